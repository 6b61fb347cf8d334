// One machine of the tests behind NAT: a computer player that hosts or joins
// a match as on a LAN, or makes, joins or watches a room through a relay,
// and prints what it saw as lines a script reads:
//   hosting                     (lan-host: listening)
//   code XXXXX                  (create: the room's code)
//   watching                    (watch: in the room)
//   no match: WHY               (nobody was met in time, or a refusal)
//   snapshots seat0 N seat1 M   (watch: each side's snapshots received)
//   result SEAT|draw            (the winner, by seat: 0 made the room or hosts)
//
// relay_match_player lan-host | lan-join ADDRESS | create RELAY
//                    | join RELAY CODE | watch RELAY CODE
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "net/matchmessage.h"
#include "net/net.h"
#include "platform/prompt.h"
#include "support/netplayer.h"
#include "versus/matchend.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kFrame = std::chrono::milliseconds(5);
// Long enough for a joiner in another home to come; a script waits longer.
constexpr auto kMeetDeadline = std::chrono::seconds(120);
// A host that answers at all answers a join within a second: one silent this
// long is out of reach.
constexpr auto kDirectJoinDeadline = std::chrono::seconds(15);
// Fast, but with the snapshots of a real match's pace a wall second.
constexpr float kSpeed = 100.0f;
constexpr uint8_t kLevel = 9;

int Usage() {
    std::fprintf(stderr,
                 "relay_match_player lan-host | lan-join ADDRESS | create RELAY | join RELAY CODE "
                 "| watch RELAY CODE\n");
    return 2;
}

// What the winner's seat is for this side's match: seat 0 hosts.
std::string Seat(int winner, bool host) {
    if (winner == kDraw) {
        return "draw";
    }
    const bool hostWon = (winner == SIDE_PLAYER) == host;
    return hostWon ? "0" : "1";
}

int Play(NetPlayer& player, Clock::duration meetWithin) {
    const Clock::time_point deadline = Clock::now() + meetWithin;
    bool offered = false;
    bool ready = false;
    while (!player.Over()) {
        player.Frame();
        C_MatchLink* link = player.net->Match();
        const C_Net::LinkState state = player.net->GetLinkState();
        if (!link && Clock::now() > deadline) {
            std::printf("no match: nobody came\n");
            return 1;
        }
        if (state == C_Net::LinkState::Idle || state == C_Net::LinkState::PeerLost) {
            const std::string& why = player.net->GetRefusal();
            std::printf("no match: %s\n", why.empty() ? "the link ended" : why.c_str());
            return 1;
        }
        if (link && player.net->IsHost() && !offered) {
            offered = link->Offer(0x5EEDull, kLevel);
        }
        if (link && !player.net->IsHost() && !ready) {
            ready = link->Ready();
        }
        if (!player.net->GetRoomCode().empty() && player.net->IsHost() && !offered) {
            static bool said = false;
            if (!said) {
                std::printf("code %s\n", player.net->GetRoomCode().c_str());
                std::fflush(stdout);
                said = true;
            }
        }
        std::this_thread::sleep_for(kFrame);
    }
    std::printf("result %s\n", Seat(player.match->winner, player.net->IsHost()).c_str());
    return 0;
}

int Watch(C_Net& net) {
    const Clock::time_point deadline = Clock::now() + kMeetDeadline;
    int snapshots[2] = {0, 0};
    // Seats as sides: the room's creator hosts, and takes a tie.
    MatchEnd end;
    end.tie = 0;
    bool ended[2] = {false, false};
    bool said = false;
    std::optional<int> winner;
    while (!winner) {
        net.Update();
        if (net.GetLinkState() == C_Net::LinkState::Idle) {
            std::printf("no match: %s\n", net.GetRefusal().c_str());
            return 1;
        }
        if (!said && net.GetLinkState() == C_Net::LinkState::Watching) {
            std::printf("watching\n");
            std::fflush(stdout);
            said = true;
        }
        for (C_Net::Watched news; net.TakeWatched(news);) {
            C_MatchMessage message;
            if (news.left) {
                end.left[news.seat] = true;
            } else if (C_MatchMessage::Decode(news.bytes, message) == C_MatchMessage::NONE) {
                if (message.kind == C_MatchMessage::SNAPSHOT) {
                    snapshots[news.seat] += 1;
                } else if (message.kind == C_MatchMessage::LOSS) {
                    end.losses[news.seat] = message.gameTime;
                    ended[news.seat] = true;
                } else if (message.kind == C_MatchMessage::OUTLASTED) {
                    ended[news.seat] = true;
                }
            }
        }
        if ((ended[0] && ended[1]) || end.left[0] || end.left[1]) {
            winner = end.Winner();
        }
        if (!said && Clock::now() > deadline) {
            std::printf("no match: the room was not reached\n");
            return 1;
        }
        std::this_thread::sleep_for(kFrame);
    }
    std::printf("snapshots seat0 %d seat1 %d\n", snapshots[0], snapshots[1]);
    std::printf("result %s\n", *winner == kDraw ? "draw" : std::to_string(*winner).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::SetPromptHook([](const std::string& title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return false;
    });
    if (argc < 2) {
        return Usage();
    }
    const std::string mode = argv[1];
    NetPlayer player;
    player.strength = STRENGTH_EASY;
    player.speed = kSpeed;
    player.net = std::make_unique<C_Net>();
    player.net->Init();
    if (mode == "lan-host" && argc == 2) {
        player.net->Host();
        std::printf("hosting\n");
    } else if (mode == "lan-join" && argc == 3) {
        player.net->Join(argv[2]);
    } else if (mode == "create" && argc == 3) {
        player.net->CreateRoom(argv[2]);
    } else if (mode == "join" && argc == 4) {
        player.net->JoinRoom(argv[2], argv[3]);
    } else if (mode == "watch" && argc == 4) {
        player.net->WatchRoom(argv[2], argv[3]);
        return Watch(*player.net);
    } else {
        return Usage();
    }
    return Play(player, mode == "lan-join" ? kDirectJoinDeadline : kMeetDeadline);
}
