#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/hello.h"
#include "net/matchmessage.h"

// Codes are read out between friends: no 0/O, 1/I/L look-alikes.
constexpr const char* kRoomCodeAlphabet = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";
constexpr int kRoomCodeLength = 5;

// The relay's UDP port, where a relay address names none.
constexpr uint16_t kRelayDefaultPort = 27421;
// What the two players of a room must share: the greeting's and the match
// messages' versions. A relay refuses a join or a watch of another.
constexpr uint32_t kRelayProtocol =
    (static_cast<uint32_t>(C_Hello::kVersion) << 8) | C_MatchMessage::kVersion;

// How the relay answers a request for a room.
enum class RelayAnswer : uint8_t {
    Created,
    Joined,
    Watching,
    NoSuchRoom,
    RoomFull,
    OtherVersion,
    TooManyRooms,
    TooManyWatchers,
    Throttled,
    AlreadyInARoom,
};
// The line a game shows for an answer that refuses; empty for the others.
const char* SayRelayAnswer(RelayAnswer answer);

// What a game and a relay say to each other. Everything else a player sends
// through a relay is a match's own datagram, forwarded to the other player
// unchanged; those begin with their version byte (1 or 2), never with the
// relay's mark, so the two never mix up and a relay forwards nothing that
// carries its mark.
//
// A client's request is the greeting of its connection. The relay answers
// it; a room with its two players then says PAIRED to both, and from there on
// each player's datagrams reach the other and the room's watchers.
struct C_RelayMessage {
    enum Kind : uint8_t {
        // Client: a new room; this client hosts its matches.
        CREATE = 1,
        // Client: play in the room named by `code`.
        JOIN = 2,
        // Client: watch the room named by `code`.
        WATCH = 3,
        // Relay: `answer` to a request, with the room's `code` when it is in.
        ANSWER = 4,
        // Relay to both players: the room has its two; `seat` 0 hosts the
        // match (the room's creator), 1 joins it.
        PAIRED = 5,
        // Relay to the players and watchers still in: the player at `seat` left.
        LEFT = 6,
        // Relay to a watcher: a datagram the player at `seat` sent, whole.
        FROM = 7,
    };
    static constexpr uint8_t kMark0 = 'T';
    static constexpr uint8_t kMark1 = 'R';
    // Mark and kind.
    static constexpr std::size_t kHeaderBytes = 3;
    static constexpr std::size_t kCodeBytes = kRoomCodeLength;
    // The longest datagram a FROM carries: a whole packet less its header and seat.
    static constexpr std::size_t kMaxPayload = 256 - kHeaderBytes - 1;

    Kind kind = CREATE;
    // CREATE, JOIN, WATCH.
    uint32_t protocol = kRelayProtocol;
    // JOIN, WATCH, ANSWER: five letters of the code alphabet, or empty in an
    // ANSWER that refuses.
    std::string code;
    // ANSWER.
    RelayAnswer answer = RelayAnswer::Created;
    // PAIRED, LEFT, FROM: 0 or 1.
    uint8_t seat = 0;
    // FROM: at most kMaxPayload bytes, at least one.
    std::vector<uint8_t> payload;

    // True when `bytes` start with the relay's mark: they are the relay's
    // (or, from a player, not to be forwarded).
    static bool IsMarked(const std::vector<uint8_t>& bytes);
    // Empty when a field is out of its range.
    std::vector<uint8_t> Encode() const;
    // Reads untrusted bytes: false, with `out` unchanged, unless they are
    // exactly one well-formed message.
    static bool Decode(const std::vector<uint8_t>& bytes, C_RelayMessage& out);
};
