// Network matches between two computer players in one process, over a relay
// that loses, delays and reorders datagrams.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/matchlink.h"
#include "net/net.h"
#include "support/framework.h"
#include "support/netplayer.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kMatches = 10;
#else
constexpr int kMatches = 50;
#endif
// Game seconds per second: the matches run fast, but not so fast that a
// side's snapshots, a few per game second, flood the link.
constexpr float kSpeed = 500.0f;
constexpr uint8_t kLevel = 9;

class NetMatchTest : public FrameworkTest {
protected:
    bool Until(const std::function<bool()>& done, std::chrono::seconds deadline) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            host.Frame();
            joiner.Frame();
            // Paced, so that the tests beside it on a busy machine get their share.
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return true;
    }

    void Begin(uint64_t seed) {
        host.match.reset();
        joiner.match.reset();
        ASSERT_TRUE(host.net->Match()->Offer(seed, kLevel));
        ASSERT_TRUE(Until([&] { return joiner.net->Match()->Ready() || joiner.match != nullptr; },
                          std::chrono::seconds(30)))
            << LinkText();
        ASSERT_TRUE(Until([&] { return host.match && joiner.match; }, std::chrono::seconds(30)))
            << LinkText();
    }

    // Both links' state and phase, for a failure's message.
    std::string LinkText() const {
        std::string text;
        for (const NetPlayer* p : {&host, &joiner}) {
            const C_MatchLink* link = p->net->Match();
            text += " state " + std::to_string(static_cast<int>(p->net->GetLinkState())) +
                    " phase " + (link ? std::to_string(static_cast<int>(link->GetPhase())) : "-");
        }
        return text;
    }

    NetPlayer host;
    NetPlayer joiner;
};

TEST_F(NetMatchTest, ComputersOverALossyRelayAgreeOnEveryWinnerAndEveryAttackArrivesOnce) {
    host.speed = joiner.speed = kSpeed;
    const std::unique_ptr<LossyRelay> relay =
        HostAndJoin(&host.net, &joiner.net, LossyRelay::Settings{});
    ASSERT_TRUE(
        Until([&] { return host.net->Match() && joiner.net->Match(); }, std::chrono::seconds(30)));

    int hostWins = 0;
    int attacks = 0;
    for (int n = 0; n < kMatches; ++n) {
        ASSERT_NO_FATAL_FAILURE(Begin(1000 + static_cast<uint64_t>(n)));
        ASSERT_EQ(joiner.match->seed, host.match->seed);
        ASSERT_TRUE(Until([&] { return host.Over() && joiner.Over(); }, std::chrono::seconds(60)))
            << "match " << n << " hangs";
        EXPECT_FALSE(host.match->peerGone || joiner.match->peerGone) << LinkText();
        EXPECT_NE(host.match->winner, joiner.match->winner) << "match " << n;
        hostWins += host.match->winner == SIDE_PLAYER ? 1 : 0;
        for (const auto& [to, from] : {std::pair{&joiner, &host}, std::pair{&host, &joiner}}) {
            // Taken only numbered 1, 2, 3 ... : each once, none lost.
            const uint32_t sent = from->net->Match()->GetAttacksSent();
            EXPECT_EQ(to->net->Match()->GetAttacksTaken(), sent) << "match " << n;
            attacks += static_cast<int>(sent);
        }
    }
    // Matches that attack, and winners on both sides.
    EXPECT_GT(attacks, kMatches);
    EXPECT_GT(hostWins, 0);
    EXPECT_LT(hostWins, kMatches);

    // The joiner's machine dies mid-match: the host wins once it hears nothing.
    // In real time, so that the match is still on when the link goes.
    host.speed = joiner.speed = 1.0f;
    ASSERT_NO_FATAL_FAILURE(Begin(7));
    ASSERT_TRUE(Until([&] { return host.match->PeerWell().has_value(); }, std::chrono::seconds(30)))
        << LinkText();
    ASSERT_FALSE(host.Over());
    relay->Cut();
    ASSERT_TRUE(Until([&] { return host.match->peerGone; }, std::chrono::seconds(15)));
    EXPECT_EQ(host.match->winner, SIDE_PLAYER);
    EXPECT_GT(relay->Dropped(), 0u);
    EXPECT_TRUE(Prompts().reports.empty()) << Prompts().reports.front().text;
}

TEST(NetMatchRows, RowsOnTheirWayAreKeptToAWellsDepthAndNoneOnceThisSideHasEnded) {
    C_MatchLink link(MatchRole::Host, nullptr);
    ASSERT_TRUE(link.Offer(3, 0));
    std::string fault;
    C_MatchMessage message;
    message.kind = C_MatchMessage::READY;
    ASSERT_TRUE(link.Receive(message.Encode(), fault)) << fault;
    C_NetMatch match(link, true);
    message.kind = C_MatchMessage::ATTACK;
    message.rows = C_MatchMessage::kRows;
    // A flood of the largest attacks: 24,000 rows that one landing would push.
    const auto flood = [&](uint32_t count, float at) {
        for (uint32_t n = 0; n < count; ++n) {
            message.sequence = link.GetAttacksTaken() + 1;
            ASSERT_TRUE(link.Receive(message.Encode(), fault)) << fault;
            match.Update(at, &link);
            ASSERT_LE(match.Incoming(), C_NetMatch::kMaxIncoming);
        }
    };
    flood(1000, 0.0f);
    EXPECT_EQ(match.Incoming(), C_NetMatch::kMaxIncoming);
    // Their wait over, the rows reach the round: still no more than a well.
    match.Update(kAttackWait + 0.5f, &link);
    EXPECT_EQ(match.Incoming(), C_NetMatch::kMaxIncoming);
    EXPECT_LE(match.Round().incoming.size(), std::size_t{C_NetMatch::kMaxIncoming});

    match.Forfeit(&link);
    const int before = match.Incoming();
    flood(2000, kAttackWait + 1.0f);
    EXPECT_EQ(match.Incoming(), before);
    EXPECT_EQ(link.GetAttacksTaken(), 3000u);
}

}  // namespace
