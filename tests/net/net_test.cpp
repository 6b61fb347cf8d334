#include "net/net.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
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

    // A peer that greets `host` as a player of ours does.
    static bool Greet(SessionRecorder& player, const C_Net& host) {
        return player.session->SetGreeting(C_Hello{C_Net::kApplicationGuid, "joiner"}.Encode()) &&
               player.ConnectLocal(host.GetHostPort());
    }

    // A joiner that has seen its connection open and the host's hello.
    std::unique_ptr<C_Net> JoinHost(const C_Net& host) {
        auto joiner = std::make_unique<C_Net>(host.GetHostPort());
        joiner->Init();
        EXPECT_EQ(joiner->Join("localhost"), 0);
        EXPECT_TRUE(WaitFor([&] { return joiner->GetMessageCount() >= 2; }));
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
    EXPECT_TRUE(WaitFor([&] { return second->GetMessageCount() == 4; }));
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

}  // namespace
