#include "net/net.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "net/matchmessage.h"
#include "net/relaymessage.h"
#include "relay/relayserver.h"
#include "support/framework.h"
#include "support/sessionrecorder.h"

namespace {

using Kind = platform::SessionEvent::Kind;

const std::string kLine = "DirectPlayMessageHandler got a message.";

class NetTest : public FrameworkTest {
protected:
    // Lines the handler printed so far; any other line fails the test.
    int HandlerLines() const {
        int count = 0;
        for (const std::string& line : g_pConsole->GetLines()) {
            EXPECT_EQ(line, kLine);
            count += line == kLine ? 1 : 0;
        }
        return count;
    }

    // A started host on a port of the system's choosing.
    std::unique_ptr<C_Net> StartHost() {
        auto host = std::make_unique<C_Net>(0);
        host->Init();
        EXPECT_EQ(host->Host(), 1);
        EXPECT_NE(host->GetHostPort(), 0);
        return host;
    }

    // Frames of `net` until `condition` holds.
    static bool UpdateUntil(C_Net& net, const std::function<bool()>& condition) {
        return WaitFor([&] {
            net.Update();
            return condition();
        });
    }

    // A peer that greets `host` as a player of ours does.
    static bool Greet(SessionRecorder& player, const C_Net& host) {
        return player.session->SetGreeting(C_Hello{C_Net::kApplicationGuid, "joiner"}.Encode()) &&
               player.ConnectLocal(host.GetHostPort());
    }

    // A joiner that has seen its connection open and the host's hello; its
    // frames run meanwhile, one of which connects once the name resolves.
    std::unique_ptr<C_Net> JoinHost(const C_Net& host) {
        auto joiner = std::make_unique<C_Net>(host.GetHostPort());
        joiner->Init();
        EXPECT_EQ(joiner->Join("localhost"), 0);
        EXPECT_TRUE(WaitFor([&] {
            joiner->Update();
            return joiner->GetMessageCount() >= 2;
        }));
        return joiner;
    }
};

TEST_F(NetTest, HostAndJoinerMeetAndEitherMayLeaveFirst) {
    for (const bool hostLeaves : {false, true}) {
        SCOPED_TRACE(hostLeaves ? "host leaves" : "joiner leaves");
        g_pConsole->ClearLines();
        auto host = StartHost();
        EXPECT_TRUE(host->IsHost());
        auto joiner = JoinHost(*host);
        EXPECT_FALSE(joiner->IsHost());
        // Connect and the other's hello, on each side.
        ASSERT_TRUE(WaitFor([&] { return host->GetMessageCount() >= 2; }));
        EXPECT_EQ(host->GetMessageCount(), 2);
        EXPECT_EQ(joiner->GetMessageCount(), 2);
        EXPECT_EQ(HandlerLines(), 4);

        // The one left behind hears of it.
        std::unique_ptr<C_Net>& leaving = hostLeaves ? host : joiner;
        std::unique_ptr<C_Net>& staying = hostLeaves ? joiner : host;
        leaving.reset();
        EXPECT_TRUE(WaitFor([&] { return staying->GetMessageCount() == 3; }));
        staying.reset();
        EXPECT_EQ(HandlerLines(), 5);
    }
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(NetTest, HostRefusesAThirdPlayerAndHostsAgainOnRequest) {
    auto host = StartHost();
    auto joiner = JoinHost(*host);
    // The joiner's hello has given it the seat.
    ASSERT_TRUE(WaitFor([&] { return host->GetMessageCount() >= 2; }));
    SessionRecorder third;
    ASSERT_TRUE(Greet(third, *host));
    EXPECT_TRUE(third.WaitForCount(Kind::Disconnected, 1));
    EXPECT_EQ(host->GetMessageCount(), 2);

    // Hosting again closes the old session and opens a new one.
    const int joinerBefore = joiner->GetMessageCount();
    EXPECT_EQ(host->Host(), 1);
    EXPECT_TRUE(WaitFor([&] { return joiner->GetMessageCount() == joinerBefore + 1; }));
    auto second = JoinHost(*host);
    EXPECT_TRUE(WaitFor([&] { return host->GetMessageCount() == 4; }));
    // Joining again connects again.
    EXPECT_EQ(second->Join("127.0.0.1"), 0);
    EXPECT_TRUE(WaitFor([&] {
        second->Update();
        return second->GetMessageCount() == 4;
    }));
    EXPECT_TRUE(WaitFor([&] { return host->GetMessageCount() == 7; }));
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(NetTest, StepsWithoutAPeerAreSkippedAndStillAnswer) {
    C_Net net(0);
    EXPECT_EQ(net.Host(), 1);
    EXPECT_TRUE(net.IsHost());
    EXPECT_EQ(net.GetHostPort(), 0);
    EXPECT_EQ(net.Join("localhost"), 0);
    EXPECT_FALSE(net.IsHost());
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(NetTest, FailuresAreReportedAndTheOperationCarriesOn) {
    auto host = StartHost();
    struct Case {
        const char* name;
        std::vector<const char*> reports;
    };
    const Case cases[] = {
        // Nothing to connect to either: the connect cannot start.
        {"no-such-host.invalid", {"Failed to add hostname component", "Failed to connect"}},
        {"0.0.0.0", {"Failed to connect"}},
        {"localhost", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prompts().reports.clear();
        C_Net joiner(host->GetHostPort());
        joiner.Init();
        EXPECT_EQ(joiner.Join(c.name), 0);
        // The failures come with the frame that learns how the name resolved.
        ASSERT_TRUE(WaitFor([&] {
            joiner.Update();
            return joiner.GetLinkState() != C_Net::LinkState::LookingUp;
        }));
        ASSERT_EQ(Prompts().reports.size(), c.reports.size());
        for (const char* report : c.reports) {
            EXPECT_TRUE(Prompts().Saw(report)) << report;
        }
    }
    Prompts().reports.clear();
    C_Net rival(host->GetHostPort());
    rival.Init();
    EXPECT_EQ(rival.Host(), 1);
    ASSERT_EQ(Prompts().reports.size(), 1u);
    EXPECT_TRUE(Prompts().Saw("Failed to host game"));
    EXPECT_NE(Prompts().reports[0].text.find("net"), std::string::npos);
}

TEST_F(NetTest, APeerThatNeverGreetsKeepsNoPlayerOutAndIsGivenUp) {
    auto host = StartHost();
    SessionRecorder silent;
    ASSERT_TRUE(silent.ConnectLocal(host->GetHostPort()));
    ASSERT_TRUE(silent.WaitForCount(Kind::Connected, 1));
    std::this_thread::sleep_for(std::chrono::seconds(1));

    // The host's hello goes only to a peer it lets in.
    SessionRecorder player;
    ASSERT_TRUE(Greet(player, *host));
    EXPECT_TRUE(WaitFor([&] { return player.Count(Kind::Received) == 1; },
                        platform::Session::kAdmitDeadline + std::chrono::seconds(1)));
    // The player's hello took the seat: one more is turned away.
    ASSERT_TRUE(WaitFor([&] { return host->GetMessageCount() >= 3; }));
    SessionRecorder third;
    ASSERT_TRUE(Greet(third, *host));
    EXPECT_TRUE(third.WaitForCount(Kind::Disconnected, 1));
    EXPECT_EQ(third.Count(Kind::Received), 0u);

    EXPECT_TRUE(silent.WaitForCount(Kind::Disconnected, 1));
    // Connect, hello and the silent one's leaving are all the host heard.
    EXPECT_TRUE(WaitFor([&] { return host->GetMessageCount() == 4; }));
    EXPECT_EQ(player.Count(Kind::Disconnected), 0u);
    EXPECT_EQ(HandlerLines(), 4);
}

TEST_F(NetTest, HostDropsPeersThatAreNotPlayersOfOurs) {
    auto host = StartHost();
    C_Hello::Guid foreign = C_Net::kApplicationGuid;
    foreign[15] ^= 1;
    const std::vector<uint8_t> hello = C_Hello{C_Net::kApplicationGuid, "joiner"}.Encode();
    std::vector<uint8_t> wrongVersion = hello;
    wrongVersion[0] = 2;
    std::vector<uint8_t> longerThanStated = hello;
    longerThanStated.push_back('x');
    const std::vector<uint8_t> shorterThanStated(hello.begin(), hello.end() - 1);
    std::vector<uint8_t> unprintable = hello;
    unprintable[C_Hello::kHeaderBytes] = '\n';
    std::vector<uint8_t> noName(hello.begin(), hello.begin() + C_Hello::kHeaderBytes);
    noName[C_Hello::kHeaderBytes - 1] = 0;
    std::vector<uint8_t> nameTooLong = hello;
    nameTooLong[C_Hello::kHeaderBytes - 1] = 33;
    nameTooLong.resize(C_Hello::kHeaderBytes + 33, 'x');
    const std::vector<std::vector<uint8_t>> greetings = {
        C_Hello{foreign, "joiner"}.Encode(),
        wrongVersion,
        longerThanStated,
        shorterThanStated,
        unprintable,
        noName,
        nameTooLong,
        {hello.begin(), hello.begin() + 5},
        std::vector<uint8_t>(200, 0xff),
    };
    for (const auto& greeting : greetings) {
        SCOPED_TRACE(greeting.size());
        SessionRecorder stranger;
        ASSERT_TRUE(stranger.session->SetGreeting(greeting));
        ASSERT_TRUE(stranger.ConnectLocal(host->GetHostPort()));
        EXPECT_TRUE(stranger.WaitForCount(Kind::Disconnected, 1));
        EXPECT_EQ(stranger.Count(Kind::Connected), 1u);
    }
    // The slot is free again for a player of ours.
    auto joiner = JoinHost(*host);
    EXPECT_EQ(Prompts().reports.size(), 0u);
}

TEST_F(NetTest, AMatchMessageThatDoesNotBelongDropsThePlayerWithOneLine) {
    auto host = StartHost();
    const std::vector<uint8_t> start = [] {
        C_MatchMessage m;
        m.kind = C_MatchMessage::START;
        return m.Encode();
    }();
    const std::vector<uint8_t> attack = [] {
        C_MatchMessage m;
        m.kind = C_MatchMessage::ATTACK;
        m.sequence = 1;
        m.rows = 2;
        return m.Encode();
    }();
    const uint8_t v = C_MatchMessage::kVersion;
    const struct {
        std::vector<uint8_t> bytes;
        const char* line;
    } cases[] = {
        {{start.begin(), start.end() - 1}, "a message too short"},
        {{v, C_MatchMessage::READY, 0}, "a message too long"},
        {{v, 99}, "a message of an unknown kind"},
        {{static_cast<uint8_t>(v + 1), C_MatchMessage::READY}, "a message of another version"},
        // The joiner's Start before the host offered a match.
        {{v, C_MatchMessage::READY}, "a ready message out of place in the lobby"},
        {attack, "an attack message out of place in the lobby"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        g_pConsole->ClearLines();
        SessionRecorder player;
        ASSERT_TRUE(Greet(player, *host));
        ASSERT_TRUE(UpdateUntil(
            *host, [&] { return host->GetLinkState() == C_Net::LinkState::Connected; }));
        ASSERT_TRUE(player.WaitForCount(Kind::Connected, 1));
        ASSERT_TRUE(player.session->Send(player.Events()[0].peer, c.bytes,
                                         platform::SessionDelivery::Reliable));
        ASSERT_TRUE(UpdateUntil(*host, [&] { return player.Count(Kind::Disconnected) == 1; }));
        EXPECT_EQ(host->GetLinkState(), C_Net::LinkState::PeerLost);
        const auto lines = g_pConsole->GetLines();
        EXPECT_EQ(lines.front(), std::string("Dropped the other player: ") + c.line + ".");
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l != kLine; }),
                  1);
    }
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(NetTest, AJoinReturnsAtOnceWhileItsNameResolvesAndConnectsOnceItHas) {
    auto host = StartHost();
    std::mutex lock;
    std::condition_variable answered;
    bool answer = false;
    std::atomic<int> asked{0};
    // A name server that stays silent until the test lets it answer.
    auto slowResolver = [&](const std::string& name, uint16_t toPort,
                            platform::SessionAddress& out) {
        EXPECT_EQ(name, "slow.example");
        ++asked;
        std::unique_lock<std::mutex> guard(lock);
        answered.wait(guard, [&] { return answer; });
        return platform::Session::Resolve("127.0.0.1", toPort, out);
    };
    C_Net joiner(host->GetHostPort(), slowResolver);
    const auto release = [&] {
        std::lock_guard<std::mutex> guard(lock);
        answer = true;
        answered.notify_all();
    };
    // Whatever fails, the worker the joiner joins on its way out is let go.
    struct Releaser {
        std::function<void()> release;
        ~Releaser() { release(); }
    } releaser{release};
    joiner.Init();

    EXPECT_EQ(joiner.Join("slow.example"), 0);
    ASSERT_TRUE(WaitFor([&] { return asked == 1; }));
    joiner.Update();
    EXPECT_EQ(joiner.GetLinkState(), C_Net::LinkState::LookingUp);
    EXPECT_EQ(joiner.GetMessageCount(), 0);
    release();
    EXPECT_TRUE(
        UpdateUntil(joiner, [&] { return joiner.GetLinkState() == C_Net::LinkState::Connected; }));
    EXPECT_TRUE(Prompts().reports.empty());
}

// Through a relay on the loopback: a room made, a wrong code refused with its
// line, the right one joined by a player who plays the match as on a LAN,
// and a watcher who sees both sides' snapshots and ends.
TEST_F(NetTest, ThroughARelayACodeMakesAMatchThatAWatcherSeesBothSidesOf) {
    C_RelayServer relay(RelayLimits{}, [](const std::string&) {});
    ASSERT_TRUE(relay.Start(0));
    const std::string at = "127.0.0.1:" + std::to_string(relay.Port());
    C_Net maker(0);
    C_Net joiner(0);
    C_Net watcher(0);
    C_Net stranger(0);
    C_Net* const all[] = {&maker, &joiner, &watcher, &stranger};
    for (C_Net* net : all) {
        net->Init();
    }
    const auto until = [&](const std::function<bool()>& done) {
        return WaitFor([&] {
            for (C_Net* net : all) {
                net->Update();
            }
            return done();
        });
    };
    const auto said = [](const std::string& line) {
        const auto lines = g_pConsole->GetLines();
        return std::count(lines.begin(), lines.end(), line);
    };
    maker.SetPlayerName("Maker");
    maker.CreateRoom(at);
    ASSERT_TRUE(until([&] { return maker.GetLinkState() == C_Net::LinkState::InRoom; }));
    const std::string code = maker.GetRoomCode();
    ASSERT_EQ(code.size(), static_cast<std::size_t>(kRoomCodeLength));
    EXPECT_EQ(said("Room code: " + code), 1);
    EXPECT_TRUE(maker.IsHost() && maker.ThroughRelay());

    // Another code of the alphabet names no room.
    std::string wrong = code;
    wrong[0] = wrong[0] == 'A' ? 'B' : 'A';
    stranger.JoinRoom(at, wrong);
    ASSERT_TRUE(until([&] { return !stranger.GetRefusal().empty(); }));
    EXPECT_EQ(stranger.GetLinkState(), C_Net::LinkState::Idle);
    EXPECT_EQ(stranger.GetRefusal(), SayRelayAnswer(RelayAnswer::NoSuchRoom));
    EXPECT_EQ(said(SayRelayAnswer(RelayAnswer::NoSuchRoom)), 1);

    watcher.WatchRoom(at, code);
    ASSERT_TRUE(until([&] { return watcher.GetLinkState() == C_Net::LinkState::Watching; }));
    joiner.JoinRoom(at, code);
    ASSERT_TRUE(until([&] {
        return maker.GetLinkState() == C_Net::LinkState::Connected &&
               joiner.GetLinkState() == C_Net::LinkState::Connected && joiner.PeerName() == "Maker";
    }));
    EXPECT_FALSE(joiner.IsHost());
    C_MatchLink& host = *maker.Match();
    C_MatchLink& guest = *joiner.Match();
    ASSERT_EQ(host.GetRole(), MatchRole::Host);
    ASSERT_TRUE(host.Offer(7, 2));
    ASSERT_TRUE(until([&] { return guest.Offered(); }));
    ASSERT_TRUE(guest.Ready());
    ASSERT_TRUE(until([&] { return host.GetPhase() == C_MatchLink::Phase::Started; }));
    // Each side's well tells which side it is.
    for (C_MatchLink* side : {&host, &guest}) {
        C_MatchMessage snapshot;
        snapshot.cells.fill(side == &host ? 1 : 2);
        ASSERT_TRUE(side->SendSnapshot(snapshot));
    }
    ASSERT_TRUE(host.SendAttack(2, 500));
    ASSERT_TRUE(host.SendLoss(900));
    ASSERT_TRUE(until([&] { return guest.GetSnapshotsReceived() == 1 && !guest.PeerPlaying(); }));
    EXPECT_EQ(guest.GetAttacksTaken(), 1u);
    for (C_MatchLink::Event event; guest.Poll(event);) {
    }
    ASSERT_TRUE(guest.SendOutlasted(900));
    ASSERT_TRUE(until([&] {
        return host.GetPhase() == C_MatchLink::Phase::Over &&
               guest.GetPhase() == C_MatchLink::Phase::Over;
    }));

    // What the watcher got of each seat, by kind; the other's left last.
    maker.Init();
    std::array<std::vector<C_MatchMessage::Kind>, 2> kinds;
    std::array<uint8_t, 2> cells{};
    bool makerLeft = false;
    ASSERT_TRUE(until([&] {
        for (C_Net::Watched news; watcher.TakeWatched(news);) {
            C_MatchMessage message;
            makerLeft = makerLeft || (news.left && news.seat == 0);
            if (!news.left && C_MatchMessage::Decode(news.bytes, message) == C_MatchMessage::NONE) {
                kinds[news.seat].push_back(message.kind);
                cells[news.seat] =
                    message.kind == C_MatchMessage::SNAPSHOT ? message.cells[0] : cells[news.seat];
            }
        }
        return makerLeft;
    }));
    using M = C_MatchMessage;
    EXPECT_EQ(kinds[0], (std::vector<M::Kind>{M::NAME, M::START, M::SNAPSHOT, M::ATTACK, M::LOSS}));
    EXPECT_EQ(kinds[1], (std::vector<M::Kind>{M::NAME, M::READY, M::SNAPSHOT, M::OUTLASTED}));
    EXPECT_EQ(cells, (std::array<uint8_t, 2>{1, 2}));
    ASSERT_TRUE(until([&] { return joiner.GetLinkState() == C_Net::LinkState::PeerLost; }));
    EXPECT_TRUE(Prompts().reports.empty());
}

}  // namespace
