#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One message of a network match. Every kind has one fixed length, and a
// message is read only at exactly that length: version, kind, then the
// kind's fields, big-endian.
struct C_MatchMessage {
    enum Kind : uint8_t {
        // Host to joiner: the match's seed and starting level; pressing Start.
        START = 1,
        // Joiner to host: pressing Start for the match offered.
        READY = 2,
        // Rows a cascade sends, numbered from 1 per sender.
        ATTACK = 3,
        // The sender's well topped out at `gameTime`.
        LOSS = 4,
        // The sender reached `gameTime`, the time of the other's loss, alive.
        OUTLASTED = 5,
        // The sender's well for the other's view; sent unreliably.
        SNAPSHOT = 6,
        // The sender's player's name, once, in the lobby.
        NAME = 7,
    };
    // Why bytes did not decode; each is reason enough to drop the peer.
    enum Fault : uint8_t { NONE, SHORT, LONG, UNKNOWN_KIND, WRONG_VERSION, BAD_FIELD };

    static constexpr uint8_t kVersion = 2;
    static constexpr int kColumns = 12;
    static constexpr int kRows = 24;
    static constexpr std::size_t kCells = kColumns * kRows;
    // Two cells a byte.
    static constexpr std::size_t kPackedCells = kCells / 2;
    static constexpr uint8_t kMaxCell = 15;
    // A match starts at a level below this; far above it a shape would fall
    // in no time at all.
    static constexpr uint8_t kLevels = 10;
    // Attack numbers stay within an int, as the junk rows' seeds take them.
    static constexpr uint32_t kMaxSequence = 0x7FFFFFFF;
    // No match lasts a day; a time beyond it is not a game's.
    static constexpr uint32_t kMaxGameTime = 24u * 60 * 60 * 1000;
    // A score the screen can show as an int.
    static constexpr uint32_t kMaxScore = 0x7FFFFFFF;
    // A name's bytes, NUL-padded: sixteen characters of up to four bytes.
    static constexpr std::size_t kNameBytes = 64;

    Kind kind = START;
    // START.
    uint64_t seed = 0;
    uint8_t level = 0;
    // ATTACK.
    uint32_t sequence = 0;
    uint8_t rows = 0;
    // ATTACK, LOSS, OUTLASTED, SNAPSHOT: the sender's game time, milliseconds.
    uint32_t gameTime = 0;
    // SNAPSHOT: the score, the rows waiting for the sender, and its well row
    // by row from the top, each cell at most kMaxCell.
    uint32_t score = 0;
    uint8_t incoming = 0;
    std::array<uint8_t, kCells> cells{};
    // NAME: printable, at most a player name's length, maybe empty.
    std::string name;

    // Version and kind.
    static constexpr std::size_t kHeaderBytes = 2;
    // The whole length of a message of `kind`; 0 for an unknown kind.
    static constexpr std::size_t Length(uint8_t kind) {
        switch (kind) {
            case START:
                return kHeaderBytes + 8 + 1;
            case READY:
                return kHeaderBytes;
            case ATTACK:
                return kHeaderBytes + 4 + 1 + 4;
            case LOSS:
            case OUTLASTED:
                return kHeaderBytes + 4;
            case SNAPSHOT:
                return kHeaderBytes + 4 + 4 + 1 + kPackedCells;
            case NAME:
                return kHeaderBytes + kNameBytes;
            default:
                return 0;
        }
    }
    // Empty when a field is out of its range (an attack of no rows or more
    // than a well holds, a cell above kMaxCell, a number beyond its bound,
    // a name longer than its bytes).
    std::vector<uint8_t> Encode() const;
    // Reads untrusted bytes: NONE, with `out` set, only for exactly one
    // well-formed message with every number within its bound; otherwise why
    // not, with `out` unchanged. A name comes out sanitised as a player's.
    static Fault Decode(const std::vector<uint8_t>& bytes, C_MatchMessage& out);
    static const char* Describe(Fault fault);
};
