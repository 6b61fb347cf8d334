// Two sides of a network match in one process, over a lossy relay.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "net/net.h"
#include "support/framework.h"
#include "support/netplayer.h"
#include "support/sessionrecorder.h"

namespace {

using Event = C_MatchLink::Event;

// One side's network and every match event it has taken.
struct Side {
    std::unique_ptr<C_Net> net;
    std::vector<Event> events;

    // One frame's worth: the session's news, then the match's events.
    void Pump() {
        net->Update();
        if (C_MatchLink* link = net->Match()) {
            for (Event e; link->Poll(e);) {
                events.push_back(e);
            }
        }
    }
    std::vector<Event> Of(Event::Kind kind) const {
        std::vector<Event> found;
        for (const Event& e : events) {
            if (e.kind == kind) {
                found.push_back(e);
            }
        }
        return found;
    }
};

class LinkTest : public FrameworkTest {
protected:
    // Runs frames of both sides until `condition` holds.
    bool Until(const std::function<bool()>& condition) {
        return WaitFor([&] {
            host.Pump();
            joiner.Pump();
            return condition();
        });
    }

    void StartMatch(uint64_t seed, uint8_t level) {
        host.events.clear();
        joiner.events.clear();
        ASSERT_TRUE(host.net->Match()->Offer(seed, level));
        ASSERT_TRUE(Until([&] { return !joiner.Of(Event::OFFERED).empty(); }));
        ASSERT_TRUE(joiner.net->Match()->Ready());
        ASSERT_TRUE(Until([&] { return !host.Of(Event::BEGAN).empty(); }));
    }

    Side host;
    Side joiner;
};

TEST_F(LinkTest, OverALossyRelayEveryAttackArrivesOnceBothAgreeAndAVanishedPeerLeavesAWin) {
    const std::unique_ptr<LossyRelay> relay =
        HostAndJoin(&host.net, &joiner.net, LossyRelay::Settings{});
    ASSERT_NE(relay->Port(), 0);
    ASSERT_TRUE(Until([&] {
        return host.net->GetLinkState() == C_Net::LinkState::Connected &&
               joiner.net->GetLinkState() == C_Net::LinkState::Connected;
    }));

    StartMatch(0xC0FFEE, 8);
    const auto began = joiner.Of(Event::BEGAN);
    ASSERT_EQ(began.size(), 1u);
    EXPECT_EQ(began[0].message.seed, 0xC0FFEEu);
    EXPECT_EQ(began[0].message.level, 8);

    // Both sides attack at once, with snapshots between, as a match would.
    constexpr uint32_t kAttacks = 50;
    for (uint32_t i = 1; i <= kAttacks; ++i) {
        for (Side* side : {&host, &joiner}) {
            ASSERT_TRUE(side->net->Match()->SendAttack(static_cast<uint8_t>(1 + i % 4), i * 100));
            C_MatchMessage snapshot;
            snapshot.gameTime = i * 100;
            snapshot.cells[i] = static_cast<uint8_t>(i % 16);
            ASSERT_TRUE(side->net->Match()->SendSnapshot(snapshot));
        }
        host.Pump();
        joiner.Pump();
    }
    ASSERT_TRUE(Until([&] {
        return host.Of(Event::ATTACK).size() >= kAttacks &&
               joiner.Of(Event::ATTACK).size() >= kAttacks;
    }));
    for (const Side* side : {&host, &joiner}) {
        const auto attacks = side->Of(Event::ATTACK);
        ASSERT_EQ(attacks.size(), kAttacks);
        for (uint32_t i = 0; i < kAttacks; ++i) {
            EXPECT_EQ(attacks[i].message.sequence, i + 1);
            EXPECT_EQ(attacks[i].message.rows, 1 + (i + 1) % 4);
        }
        // Some snapshots may be lost, none comes after a newer one.
        uint32_t last = 0;
        for (const Event& e : side->Of(Event::SNAPSHOT)) {
            EXPECT_GT(e.message.gameTime, last);
            last = e.message.gameTime;
        }
    }

    // Both top out in the same second; each side hears the other's loss and
    // ends the match alone.
    ASSERT_TRUE(host.net->Match()->SendLoss(61700));
    ASSERT_TRUE(joiner.net->Match()->SendLoss(61200));
    ASSERT_TRUE(Until(
        [&] { return !host.Of(Event::DECIDED).empty() && !joiner.Of(Event::DECIDED).empty(); }));
    EXPECT_EQ(host.Of(Event::PEER_LOSS).at(0).message.gameTime, 61200u);
    EXPECT_EQ(joiner.Of(Event::PEER_LOSS).at(0).message.gameTime, 61700u);
    EXPECT_GE(host.net->RoundTrip().count(), 0);

    // The next match; then the link goes dead, as when a machine is switched
    // off, and each side hears the other is gone.
    StartMatch(7, 1);
    relay->Cut();
    ASSERT_TRUE(Until([&] {
        return !host.Of(Event::PEER_GONE).empty() && !joiner.Of(Event::PEER_GONE).empty();
    }));
    EXPECT_EQ(host.net->GetLinkState(), C_Net::LinkState::PeerLost);
    EXPECT_GT(relay->Dropped(), 0u);
    EXPECT_TRUE(Prompts().reports.empty());
}

}  // namespace
