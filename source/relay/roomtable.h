#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "net/relaymessage.h"

// A client of the relay: one connection, named by whatever carries it.
using RelayClient = uint64_t;

// A code as typed: upper-cased, spaces and dashes dropped; empty when it
// cannot be a code (wrong length, a letter outside the alphabet).
std::string NormalRoomCode(const std::string& typed);

// What one relay allows, each bound for what it holds.
struct RelayLimits {
    std::size_t maxRooms = 4096;
    std::size_t maxRoomsPerAddress = 4;
    std::size_t maxWatchersPerRoom = 8;
    std::size_t maxWatchersPerAddress = 4;
    // Join and watch attempts per address: a burst, refilled at a rate.
    double attemptBurst = 10.0;
    double attemptsPerSecond = 1.0;
    // Addresses remembered for their attempts; the oldest are forgotten.
    std::size_t maxAddresses = 16384;
    // A room nobody is in goes after this many seconds.
    double emptyRoomSeconds = 60.0;
    // The longest datagram forwarded.
    std::size_t maxDatagram = C_RelayMessage::kMaxPayload;
};

// The rooms of a relay, apart from the network: who asked for which room,
// who joined and who watches, and who each datagram goes to. Times are
// seconds on the relay's steady clock. Every change is one log line.
class C_RoomTable {
public:
    using Answer = RelayAnswer;

    // `draw` gives random numbers for the codes; `log` takes a line per event.
    C_RoomTable(const RelayLimits& limits, uint32_t protocol, std::function<uint32_t()> draw,
                std::function<void(const std::string&)> log);

    // A new room for `client` (at `address`), which plays in it first; its
    // code is `*code`.
    Answer Create(RelayClient client, uint32_t address, uint32_t protocol, double now,
                  std::string* code);
    // The second player, or a watcher, by the room's code.
    Answer Join(RelayClient client, uint32_t address, const std::string& code, uint32_t protocol,
                double now);
    Answer Watch(RelayClient client, uint32_t address, const std::string& code, uint32_t protocol,
                 double now);
    // The client's connection is gone.
    void Leave(RelayClient client, double now);
    // Where a datagram from `client` goes: a player's to the other player
    // and the watchers; a watcher's nowhere. Empty for an over-long one,
    // which is counted.
    std::vector<RelayClient> Recipients(RelayClient client, std::size_t bytes) const;
    // Forgets the rooms empty for too long.
    void Expire(double now);

    // Who shares a room with a client: its players by seat (0 where a seat
    // is empty), its watchers, and the client's own seat (-1 for a watcher).
    struct Members {
        RelayClient players[2] = {0, 0};
        std::vector<RelayClient> watchers;
        int seat = -1;
    };
    // False when `client` is in no room.
    bool MembersOf(RelayClient client, Members* members) const;

    std::size_t Rooms() const { return rooms.size(); }
    std::size_t Addresses() const { return attempts.size(); }
    std::size_t Dropped() const { return dropped; }

private:
    struct Room {
        RelayClient players[2] = {0, 0};
        int seated = 0;
        std::vector<RelayClient> watchers;
        uint32_t creator = 0;
        double emptySince = -1.0;
    };
    struct Attempts {
        double tokens;
        double at;
    };
    struct Place {
        std::string code;
        uint32_t address = 0;
        bool watching = false;
    };

    // The room `typed` names for a join or a watch by `client`: Joined when
    // it may go in (`*code` is then the room's), else the refusal.
    Answer Find(RelayClient client, uint32_t address, const std::string& typed,
                uint32_t clientProtocol, double now, std::string* code);
    bool Spend(uint32_t address, double now);
    std::string NewCode();
    void Log(const std::string& what, const std::string& code);

    RelayLimits limits;
    uint32_t protocol;
    std::function<uint32_t()> draw;
    std::function<void(const std::string&)> log;
    std::map<std::string, Room> rooms;
    std::map<RelayClient, Place> places;
    std::map<uint32_t, Attempts> attempts;
    std::map<uint32_t, std::size_t> roomsOf;
    std::map<uint32_t, std::size_t> watchersOf;
    mutable std::size_t dropped = 0;
};
