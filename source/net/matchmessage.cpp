#include "net/matchmessage.h"

#include <algorithm>

#include "store/playername.h"

namespace {

class Writer {
public:
    explicit Writer(std::vector<uint8_t>& to) : bytes(to) {}
    void U8(uint8_t v) { bytes.push_back(v); }
    void U32(uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<uint8_t>(v >> shift));
        }
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v >> 32));
        U32(static_cast<uint32_t>(v));
    }

private:
    std::vector<uint8_t>& bytes;
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& from) : bytes(from) {}
    uint8_t U8() { return bytes[at++]; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | bytes[at++];
        }
        return v;
    }
    uint64_t U64() {
        const uint64_t high = U32();
        return high << 32 | U32();
    }

private:
    const std::vector<uint8_t>& bytes;
    std::size_t at = C_MatchMessage::kHeaderBytes;
};

bool ValidRows(uint8_t rows) {
    return rows >= 1 && rows <= C_MatchMessage::kRows;
}

// Every number within its bound, for the message's kind.
bool InRange(const C_MatchMessage& m) {
    switch (m.kind) {
        case C_MatchMessage::START:
            return m.level < C_MatchMessage::kLevels;
        case C_MatchMessage::ATTACK:
            return ValidRows(m.rows) && m.sequence >= 1 &&
                   m.sequence <= C_MatchMessage::kMaxSequence &&
                   m.gameTime <= C_MatchMessage::kMaxGameTime;
        case C_MatchMessage::LOSS:
        case C_MatchMessage::OUTLASTED:
            return m.gameTime <= C_MatchMessage::kMaxGameTime;
        case C_MatchMessage::SNAPSHOT:
            return m.gameTime <= C_MatchMessage::kMaxGameTime &&
                   m.score <= C_MatchMessage::kMaxScore;
        case C_MatchMessage::NAME:
            return m.name.size() <= C_MatchMessage::kNameBytes;
        case C_MatchMessage::READY:
            return true;
    }
    return false;
}

}  // namespace

std::vector<uint8_t> C_MatchMessage::Encode() const {
    std::vector<uint8_t> bytes;
    if (Length(kind) == 0 || !InRange(*this)) {
        return bytes;
    }
    bytes.reserve(Length(kind));
    Writer out(bytes);
    out.U8(kVersion);
    out.U8(kind);
    switch (kind) {
        case START:
            out.U64(seed);
            out.U8(level);
            break;
        case READY:
            break;
        case ATTACK:
            out.U32(sequence);
            out.U8(rows);
            out.U32(gameTime);
            break;
        case LOSS:
        case OUTLASTED:
            out.U32(gameTime);
            break;
        case SNAPSHOT:
            out.U32(gameTime);
            out.U32(score);
            out.U8(incoming);
            for (std::size_t i = 0; i < kCells; i += 2) {
                if (cells[i] > kMaxCell || cells[i + 1] > kMaxCell) {
                    return {};
                }
                out.U8(static_cast<uint8_t>(cells[i] << 4 | cells[i + 1]));
            }
            break;
        case NAME:
            bytes.insert(bytes.end(), name.begin(), name.end());
            bytes.resize(Length(NAME), 0);
            break;
    }
    return bytes;
}

C_MatchMessage::Fault C_MatchMessage::Decode(const std::vector<uint8_t>& bytes,
                                             C_MatchMessage& out) {
    if (bytes.size() < kHeaderBytes) {
        return SHORT;
    }
    if (bytes[0] != kVersion) {
        return WRONG_VERSION;
    }
    const std::size_t length = Length(bytes[1]);
    if (length == 0) {
        return UNKNOWN_KIND;
    }
    if (bytes.size() != length) {
        return bytes.size() < length ? SHORT : LONG;
    }
    C_MatchMessage message;
    message.kind = static_cast<Kind>(bytes[1]);
    Reader in(bytes);
    switch (message.kind) {
        case START:
            message.seed = in.U64();
            message.level = in.U8();
            break;
        case READY:
            break;
        case ATTACK:
            message.sequence = in.U32();
            message.rows = in.U8();
            message.gameTime = in.U32();
            break;
        case LOSS:
        case OUTLASTED:
            message.gameTime = in.U32();
            break;
        case SNAPSHOT:
            message.gameTime = in.U32();
            message.score = in.U32();
            message.incoming = in.U8();
            for (std::size_t i = 0; i < kCells; i += 2) {
                const uint8_t pair = in.U8();
                message.cells[i] = static_cast<uint8_t>(pair >> 4);
                message.cells[i + 1] = static_cast<uint8_t>(pair & 0x0F);
            }
            break;
        case NAME: {
            // Up to the first NUL; what a player's name may not hold goes.
            const auto from = bytes.begin() + kHeaderBytes;
            message.name = SanitisePlayerName(std::string(from, std::find(from, bytes.end(), 0)));
            break;
        }
    }
    if (!InRange(message)) {
        return BAD_FIELD;
    }
    out = message;
    return NONE;
}

const char* C_MatchMessage::Describe(Fault fault) {
    switch (fault) {
        case NONE:
            return "no fault";
        case SHORT:
            return "too short";
        case LONG:
            return "too long";
        case UNKNOWN_KIND:
            return "of an unknown kind";
        case WRONG_VERSION:
            return "of another version";
        case BAD_FIELD:
            return "with a field out of range";
    }
    return "unreadable";
}
