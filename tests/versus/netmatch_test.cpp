// Network matches between two computer players in one process, over a relay
// that loses, delays and reorders datagrams.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "console/console.h"
#include "core/globals.h"
#include "net/net.h"
#include "support/framework.h"
#include "support/lossyrelay.h"
#include "versus/netmatch.h"
#include "versus/opponent.h"

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

// One machine: its network, and while a match is on, the match and the
// computer playing it on the machine's own game clock.
struct Player {
    std::unique_ptr<C_Net> net;
    std::unique_ptr<C_NetMatch> match;
    std::unique_ptr<C_Opponent> opponent;
    std::chrono::steady_clock::time_point began = std::chrono::steady_clock::now();
    float time = 0.0f;
    float speed = kSpeed;

    void Frame() {
        net->Update();
        C_MatchLink* link = net->Match();
        time =
            speed * std::chrono::duration<float>(std::chrono::steady_clock::now() - began).count();
        if (!match) {
            // The lobby's events up to the start; the match takes the rest.
            for (C_MatchLink::Event e; link != nullptr && !match && link->Poll(e);) {
                if (e.kind == C_MatchLink::Event::BEGAN) {
                    match = std::make_unique<C_NetMatch>(*link, true);
                    // As many a second of the clock as a match in real time.
                    match->snapshotPeriod = C_NetMatch::kSnapshotPeriod * speed;
                    opponent = std::make_unique<C_Opponent>(STRENGTH_EASY);
                }
            }
            return;
        }
        if (!match->Over()) {
            opponent->Play(&match->Round(), time, match->Incoming());
        }
        match->Update(time, link);
        match->DrawStep();
    }
    bool Over() const { return match && match->Over(); }
};

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
            // Paced as a game's frames are, so that the tests beside it on a
            // busy machine get their share.
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
            << ConsoleText();
        ASSERT_TRUE(Until([&] { return host.match && joiner.match; }, std::chrono::seconds(30)))
            << ConsoleText();
    }

    // Both links' phases and the console, for a failure's message.
    std::string ConsoleText() const {
        std::string text;
        for (const Player* p : {&host, &joiner}) {
            const C_MatchLink* link = p->net->Match();
            text += "state " + std::to_string(static_cast<int>(p->net->GetLinkState())) +
                    " phase " +
                    (link ? std::to_string(static_cast<int>(link->GetPhase())) : "none") + "\n";
        }
        for (const std::string& line : g_pConsole->GetLines()) {
            text += line + "\n";
        }
        return text;
    }

    Player host;
    Player joiner;
};

TEST_F(NetMatchTest, ComputersOverALossyRelayAgreeOnEveryWinnerAndEveryAttackArrivesOnce) {
    host.net = std::make_unique<C_Net>(0);
    host.net->Init();
    host.net->Host();
    LossyRelay relay(host.net->GetHostPort(), LossyRelay::Settings{});
    ASSERT_NE(relay.Port(), 0);
    joiner.net = std::make_unique<C_Net>(relay.Port());
    joiner.net->Init();
    joiner.net->Join("127.0.0.1");
    ASSERT_TRUE(
        Until([&] { return host.net->Match() && joiner.net->Match(); }, std::chrono::seconds(30)));

    int hostWins = 0;
    int attacks = 0;
    for (int n = 0; n < kMatches; ++n) {
        Begin(1000 + static_cast<uint64_t>(n));
        ASSERT_EQ(joiner.match->seed, host.match->seed);
        ASSERT_TRUE(Until([&] { return host.Over() && joiner.Over(); }, std::chrono::seconds(60)))
            << "match " << n << " hangs";
        EXPECT_FALSE(host.match->peerGone || joiner.match->peerGone) << ConsoleText();
        EXPECT_NE(host.match->winner, joiner.match->winner) << "match " << n;
        hostWins += host.match->winner == SIDE_PLAYER ? 1 : 0;
        for (const auto& [to, from] : {std::pair{&joiner, &host}, std::pair{&host, &joiner}}) {
            // Numbered 1, 2, 3 ... as sent: each once, none lost.
            std::vector<uint32_t> sent(from->net->Match()->GetAttacksSent());
            std::iota(sent.begin(), sent.end(), 1u);
            EXPECT_EQ(to->match->attacksTaken, sent) << "match " << n;
            attacks += static_cast<int>(sent.size());
        }
    }
    // Matches that attack, and winners on both sides.
    EXPECT_GT(attacks, kMatches);
    EXPECT_GT(hostWins, 0);
    EXPECT_LT(hostWins, kMatches);

    // The joiner's machine dies mid-match: the host wins within the timeout.
    // In real time, so that the match is still on when the link goes.
    host.speed = joiner.speed = 1.0f;
    Begin(7);
    ASSERT_TRUE(Until([&] { return host.match->PeerWell().has_value(); }, std::chrono::seconds(30)))
        << ConsoleText();
    ASSERT_FALSE(host.Over());
    relay.Cut();
    // Within the network layer's timeout, however its resends fall.
    ASSERT_TRUE(Until([&] { return host.match->peerGone; }, std::chrono::seconds(15)));
    EXPECT_EQ(host.match->winner, SIDE_PLAYER);
    EXPECT_GT(relay.Dropped(), 0u);
    EXPECT_TRUE(Prompts().reports.empty()) << Prompts().reports.front().text;
}

}  // namespace
