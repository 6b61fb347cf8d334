#include "net/relaymessage.h"

#include <cstring>
#include <utility>

namespace {

constexpr uint8_t kLastAnswer = static_cast<uint8_t>(RelayAnswer::AlreadyInARoom);

bool IsCode(const std::string& code) {
    if (code.size() != C_RelayMessage::kCodeBytes) {
        return false;
    }
    for (const char c : code) {
        if (c == '\0' || std::strchr(kRoomCodeAlphabet, c) == nullptr) {
            return false;
        }
    }
    return true;
}

bool Refuses(RelayAnswer answer) {
    return answer != RelayAnswer::Created && answer != RelayAnswer::Joined &&
           answer != RelayAnswer::Watching;
}

// The whole length of a message of `kind` without a payload; 0 when unknown.
std::size_t FixedLength(uint8_t kind) {
    switch (kind) {
        case C_RelayMessage::CREATE:
        case C_RelayMessage::JOIN:
        case C_RelayMessage::WATCH:
            return C_RelayMessage::kHeaderBytes + 4 + C_RelayMessage::kCodeBytes;
        case C_RelayMessage::ANSWER:
            return C_RelayMessage::kHeaderBytes + 1 + C_RelayMessage::kCodeBytes;
        case C_RelayMessage::PAIRED:
        case C_RelayMessage::LEFT:
        case C_RelayMessage::FROM:
            return C_RelayMessage::kHeaderBytes + 1;
        default:
            return 0;
    }
}

}  // namespace

const char* SayRelayAnswer(RelayAnswer answer) {
    switch (answer) {
        case RelayAnswer::NoSuchRoom:
            return "No room has that code.";
        case RelayAnswer::RoomFull:
            return "That room has its two players.";
        case RelayAnswer::OtherVersion:
            return "This room runs another version of Tubrix";
        case RelayAnswer::TooManyRooms:
            return "The relay has no room to spare: try again later.";
        case RelayAnswer::TooManyWatchers:
            return "That room has all the watchers it takes.";
        case RelayAnswer::Throttled:
            return "Too many tries: wait a moment.";
        case RelayAnswer::AlreadyInARoom:
            return "Already in a room.";
        case RelayAnswer::Created:
        case RelayAnswer::Joined:
        case RelayAnswer::Watching:
            break;
    }
    return "";
}

bool C_RelayMessage::IsMarked(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == kMark0 && bytes[1] == kMark1;
}

std::vector<uint8_t> C_RelayMessage::Encode() const {
    const bool asks = kind == CREATE || kind == JOIN || kind == WATCH;
    if (FixedLength(kind) == 0 || (kind == JOIN || kind == WATCH ? !IsCode(code) : false) ||
        (kind == CREATE && !code.empty()) ||
        (kind == ANSWER && (Refuses(answer) ? !code.empty() : !IsCode(code))) ||
        ((kind == PAIRED || kind == LEFT || kind == FROM) && seat > 1) ||
        (kind == FROM ? payload.empty() || payload.size() > kMaxPayload : !payload.empty())) {
        return {};
    }
    std::vector<uint8_t> bytes = {kMark0, kMark1, kind};
    if (asks) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<uint8_t>(protocol >> shift));
        }
    }
    if (kind == ANSWER) {
        bytes.push_back(static_cast<uint8_t>(answer));
    }
    if (asks || kind == ANSWER) {
        std::string padded = code;
        padded.resize(kCodeBytes, '\0');
        bytes.insert(bytes.end(), padded.begin(), padded.end());
    } else {
        bytes.push_back(seat);
    }
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

bool C_RelayMessage::Decode(const std::vector<uint8_t>& bytes, C_RelayMessage& out) {
    if (bytes.size() < kHeaderBytes || !IsMarked(bytes)) {
        return false;
    }
    const uint8_t kind = bytes[2];
    const std::size_t length = FixedLength(kind);
    if (length == 0 || (kind == FROM ? bytes.size() <= length : bytes.size() != length)) {
        return false;
    }
    C_RelayMessage message;
    message.kind = static_cast<Kind>(kind);
    std::size_t at = kHeaderBytes;
    if (kind == CREATE || kind == JOIN || kind == WATCH) {
        message.protocol = 0;
        for (int n = 0; n < 4; ++n) {
            message.protocol = (message.protocol << 8) | bytes[at++];
        }
    }
    if (kind == ANSWER) {
        if (bytes[at] > kLastAnswer) {
            return false;
        }
        message.answer = static_cast<RelayAnswer>(bytes[at++]);
    }
    if (at + kCodeBytes == length) {
        const auto* begin = reinterpret_cast<const char*>(bytes.data() + at);
        message.code.assign(begin, strnlen(begin, kCodeBytes));
    } else {
        message.seat = bytes[at++];
        message.payload.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    }
    // Only what Encode would write back the same is one well-formed message.
    if (message.Encode() != bytes) {
        return false;
    }
    out = std::move(message);
    return true;
}
