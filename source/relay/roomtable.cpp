#include "relay/roomtable.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace {

// Tries at a free code before the table is called full: with 31^5 codes a
// few thousand rooms almost never need a second.
constexpr int kCodeTries = 64;

void Decrease(std::map<uint32_t, std::size_t>* counts, uint32_t address) {
    const auto found = counts->find(address);
    if (found != counts->end() && --found->second == 0) {
        counts->erase(found);
    }
}

}  // namespace

std::string NormalRoomCode(const std::string& typed) {
    std::string code;
    for (const char c : typed) {
        if (c == ' ' || c == '-') {
            continue;
        }
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper == '\0' || std::strchr(kRoomCodeAlphabet, upper) == nullptr ||
            code.size() == kRoomCodeLength) {
            return "";
        }
        code += upper;
    }
    return code.size() == kRoomCodeLength ? code : "";
}

C_RoomTable::C_RoomTable(const RelayLimits& limitsIn, uint32_t protocolIn,
                         std::function<uint32_t()> drawIn,
                         std::function<void(const std::string&)> logIn)
    : limits(limitsIn), protocol(protocolIn), draw(std::move(drawIn)), log(std::move(logIn)) {}

void C_RoomTable::Log(const std::string& what, const std::string& code) {
    if (log) {
        log("room " + code + " " + what);
    }
}

std::string C_RoomTable::NewCode() {
    const std::size_t letters = std::strlen(kRoomCodeAlphabet);
    for (int attempt = 0; attempt < kCodeTries; ++attempt) {
        std::string code;
        for (int n = 0; n < kRoomCodeLength; ++n) {
            code += kRoomCodeAlphabet[draw() % letters];
        }
        if (rooms.count(code) == 0) {
            return code;
        }
    }
    return "";
}

bool C_RoomTable::Spend(uint32_t address, double now) {
    auto found = attempts.find(address);
    if (found == attempts.end()) {
        if (attempts.size() >= limits.maxAddresses) {
            // The address heard from longest ago has refilled the most.
            const auto oldest = std::min_element(
                attempts.begin(), attempts.end(),
                [](const auto& a, const auto& b) { return a.second.at < b.second.at; });
            attempts.erase(oldest);
        }
        found = attempts.emplace(address, Attempts{limits.attemptBurst, now}).first;
    }
    Attempts& kept = found->second;
    kept.tokens =
        std::min(limits.attemptBurst, kept.tokens + (now - kept.at) * limits.attemptsPerSecond);
    kept.at = now;
    if (kept.tokens < 1.0) {
        return false;
    }
    kept.tokens -= 1.0;
    return true;
}

C_RoomTable::Answer C_RoomTable::Create(RelayClient client, uint32_t address,
                                        uint32_t clientProtocol, double now, std::string* code) {
    (void)now;
    if (places.count(client) != 0) {
        return Answer::AlreadyInARoom;
    }
    if (clientProtocol != protocol) {
        return Answer::OtherVersion;
    }
    const auto held = roomsOf.find(address);
    if (rooms.size() >= limits.maxRooms ||
        (held != roomsOf.end() && held->second >= limits.maxRoomsPerAddress)) {
        return Answer::TooManyRooms;
    }
    *code = NewCode();
    if (code->empty()) {
        return Answer::TooManyRooms;
    }
    Room& room = rooms[*code];
    room.players[0] = client;
    room.seated = 1;
    room.creator = address;
    places[client] = {*code, address, false};
    roomsOf[address] += 1;
    Log("created", *code);
    return Answer::Created;
}

C_RoomTable::Answer C_RoomTable::Find(RelayClient client, uint32_t address,
                                      const std::string& typed, uint32_t clientProtocol, double now,
                                      std::string* code) {
    if (places.count(client) != 0) {
        return Answer::AlreadyInARoom;
    }
    // Spent before the code is looked at: a wrong code costs its sender.
    if (!Spend(address, now)) {
        return Answer::Throttled;
    }
    *code = NormalRoomCode(typed);
    if (rooms.count(*code) == 0) {
        return Answer::NoSuchRoom;
    }
    return clientProtocol == protocol ? Answer::Joined : Answer::OtherVersion;
}

C_RoomTable::Answer C_RoomTable::Join(RelayClient client, uint32_t address,
                                      const std::string& typed, uint32_t clientProtocol,
                                      double now) {
    std::string code;
    const Answer found = Find(client, address, typed, clientProtocol, now, &code);
    if (found != Answer::Joined) {
        return found;
    }
    Room& room = rooms.at(code);
    if (room.seated == 2) {
        return Answer::RoomFull;
    }
    RelayClient& seat = room.players[0] == 0 ? room.players[0] : room.players[1];
    seat = client;
    room.seated += 1;
    room.emptySince = -1.0;
    places[client] = {code, address, false};
    Log("joined", code);
    return Answer::Joined;
}

C_RoomTable::Answer C_RoomTable::Watch(RelayClient client, uint32_t address,
                                       const std::string& typed, uint32_t clientProtocol,
                                       double now) {
    std::string code;
    const Answer found = Find(client, address, typed, clientProtocol, now, &code);
    if (found != Answer::Joined) {
        return found;
    }
    Room& room = rooms.at(code);
    const auto held = watchersOf.find(address);
    if (room.watchers.size() >= limits.maxWatchersPerRoom ||
        (held != watchersOf.end() && held->second >= limits.maxWatchersPerAddress)) {
        return Answer::TooManyWatchers;
    }
    room.watchers.push_back(client);
    room.emptySince = -1.0;
    places[client] = {code, address, true};
    watchersOf[address] += 1;
    Log("watched", code);
    return Answer::Watching;
}

void C_RoomTable::Leave(RelayClient client, double now) {
    const auto found = places.find(client);
    if (found == places.end()) {
        return;
    }
    const Place place = found->second;
    places.erase(found);
    Room& room = rooms.at(place.code);
    if (place.watching) {
        room.watchers.erase(std::remove(room.watchers.begin(), room.watchers.end(), client),
                            room.watchers.end());
        Decrease(&watchersOf, place.address);
    } else {
        for (RelayClient& player : room.players) {
            if (player == client) {
                player = 0;
                room.seated -= 1;
            }
        }
    }
    Log(place.watching ? "lost a watcher" : "lost a player", place.code);
    if (room.seated == 0 && room.watchers.empty()) {
        room.emptySince = now;
    }
}

std::vector<RelayClient> C_RoomTable::Recipients(RelayClient client, std::size_t bytes) const {
    std::vector<RelayClient> to;
    const auto found = places.find(client);
    if (found == places.end() || found->second.watching) {
        return to;
    }
    if (bytes > limits.maxDatagram) {
        dropped += 1;
        return to;
    }
    const Room& room = rooms.at(found->second.code);
    for (const RelayClient player : room.players) {
        if (player != 0 && player != client) {
            to.push_back(player);
        }
    }
    to.insert(to.end(), room.watchers.begin(), room.watchers.end());
    return to;
}

void C_RoomTable::Expire(double now) {
    for (auto it = rooms.begin(); it != rooms.end();) {
        const Room& room = it->second;
        if (room.emptySince >= 0.0 && now - room.emptySince >= limits.emptyRoomSeconds) {
            Log("expired", it->first);
            Decrease(&roomsOf, room.creator);
            it = rooms.erase(it);
        } else {
            ++it;
        }
    }
}

bool C_RoomTable::MembersOf(RelayClient client, Members* members) const {
    const auto found = places.find(client);
    if (found == places.end()) {
        return false;
    }
    const Room& room = rooms.at(found->second.code);
    members->players[0] = room.players[0];
    members->players[1] = room.players[1];
    members->watchers = room.watchers;
    members->seat = found->second.watching ? -1 : room.players[0] == client ? 0 : 1;
    return true;
}
