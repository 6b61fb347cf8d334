#include "net/matchlink.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

using Event = C_MatchLink::Event;

// Two sides joined back to back; what one sends waits in the other's queue
// until delivered, so crossings can be staged.
struct Pair {
    std::deque<std::vector<uint8_t>> toHost;
    std::deque<std::vector<uint8_t>> toJoiner;
    C_MatchLink host{MatchRole::Host,
                     [this](const std::vector<uint8_t>& b, bool) { toJoiner.push_back(b); }};
    C_MatchLink joiner{MatchRole::Joiner,
                       [this](const std::vector<uint8_t>& b, bool) { toHost.push_back(b); }};

    // Hands every queued message over; a fault fails the test.
    void Deliver() {
        std::string fault;
        while (!toHost.empty() || !toJoiner.empty()) {
            for (auto* queue : {&toHost, &toJoiner}) {
                C_MatchLink& to = queue == &toHost ? host : joiner;
                while (!queue->empty()) {
                    EXPECT_TRUE(to.Receive(queue->front(), fault)) << fault;
                    queue->pop_front();
                }
            }
        }
    }

    static std::vector<Event> Events(C_MatchLink& link) {
        std::vector<Event> events;
        for (Event e; link.Poll(e);) {
            events.push_back(e);
        }
        return events;
    }

    // Both sides' last event decides the match for `winner`.
    void ExpectDecided(MatchRole winner) {
        for (C_MatchLink* side : {&host, &joiner}) {
            const auto events = Events(*side);
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(events.back().kind, Event::DECIDED);
            EXPECT_EQ(events.back().winner, winner);
            EXPECT_EQ(side->GetPhase(), C_MatchLink::Phase::Over);
        }
    }

    void Start(uint64_t seed, uint8_t level) {
        ASSERT_TRUE(host.Offer(seed, level));
        Deliver();
        ASSERT_TRUE(joiner.Ready());
        Deliver();
        Events(host);
        Events(joiner);
    }
};

TEST(MatchLinkTest, BothSidesBeginWithTheHostsSeedAndLevelOnlyOnceBothPressStart) {
    Pair pair;
    EXPECT_FALSE(pair.joiner.Ready());  // nothing offered yet
    ASSERT_TRUE(pair.host.Offer(0xFEEDFACE12345678ull, 9));
    EXPECT_FALSE(pair.host.Offer(1, 1));
    pair.Deliver();
    const auto offered = Pair::Events(pair.joiner);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].kind, Event::OFFERED);
    EXPECT_EQ(pair.host.GetPhase(), C_MatchLink::Phase::Lobby);

    ASSERT_TRUE(pair.joiner.Ready());
    pair.Deliver();
    for (C_MatchLink* side : {&pair.host, &pair.joiner}) {
        const auto events = Pair::Events(*side);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, Event::BEGAN);
        EXPECT_EQ(events[0].message.seed, 0xFEEDFACE12345678ull);
        EXPECT_EQ(events[0].message.level, 9);
        EXPECT_EQ(side->GetPhase(), C_MatchLink::Phase::Started);
    }
}

TEST(MatchLinkTest, AnAttackRepeatedArrivesOnce) {
    Pair pair;
    pair.Start(5, 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(pair.host.SendAttack(static_cast<uint8_t>(i + 1), 1000u * i));
    }
    // The second attack comes twice, the first once more after the third.
    const auto sent = pair.toJoiner;
    pair.toJoiner = {sent[0], sent[1], sent[1], sent[2], sent[0]};
    pair.Deliver();
    std::vector<uint32_t> sequences;
    for (const Event& e : Pair::Events(pair.joiner)) {
        EXPECT_EQ(e.kind, Event::ATTACK);
        EXPECT_EQ(e.message.rows, e.message.sequence);
        sequences.push_back(e.message.sequence);
    }
    EXPECT_EQ(sequences, (std::vector<uint32_t>{1, 2, 3}));
}

TEST(MatchLinkTest, BothSidesAgreeOnTheWinnerWhenBothTopOutInTheSameSecond) {
    const struct {
        uint32_t host, joiner;
        MatchRole winner;
    } cases[] = {
        {61000, 61999, MatchRole::Joiner},
        {61999, 61000, MatchRole::Host},
        {61500, 61500, MatchRole::Host},  // a tie goes to the host
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(DecideWinner(c.host, c.joiner), c.winner);
        Pair pair;
        pair.Start(1, 1);
        // Both losses are on their way before either arrives.
        ASSERT_TRUE(pair.host.SendLoss(c.host));
        ASSERT_TRUE(pair.joiner.SendLoss(c.joiner));
        pair.Deliver();
        pair.ExpectDecided(c.winner);
    }
}

TEST(MatchLinkTest, TheOneThatOutlastsALossWinsAndAVanishedPeerLeavesAWin) {
    Pair pair;
    pair.Start(1, 1);
    ASSERT_TRUE(pair.joiner.SendLoss(30000));
    pair.Deliver();
    const auto heard = Pair::Events(pair.host);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].kind, Event::PEER_LOSS);
    // The host plays on to the joiner's time before it may say it lasted.
    EXPECT_FALSE(pair.host.SendOutlasted(29990));
    ASSERT_TRUE(pair.host.SendOutlasted(30000));
    EXPECT_FALSE(pair.host.SendAttack(1, 30000));
    pair.Deliver();
    pair.ExpectDecided(MatchRole::Host);

    // The host offers the next match; the joiner vanishes in it.
    pair.Start(2, 2);
    pair.host.PeerGone();
    const auto gone = Pair::Events(pair.host);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].kind, Event::PEER_GONE);
    EXPECT_EQ(gone[0].winner, MatchRole::Host);
    EXPECT_EQ(pair.host.GetPhase(), C_MatchLink::Phase::Over);
}

}  // namespace
