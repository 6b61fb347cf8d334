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

    // Both sides' last event ends the match.
    void ExpectDecided() {
        for (C_MatchLink* side : {&host, &joiner}) {
            const auto events = Events(*side);
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(events.back().kind, Event::DECIDED);
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

std::vector<uint8_t> AttackBytes(uint32_t sequence) {
    C_MatchMessage attack;
    attack.kind = C_MatchMessage::ATTACK;
    attack.sequence = sequence;
    attack.rows = 1;
    return attack.Encode();
}

TEST(MatchLinkTest, AttacksAreTakenOnlyInTheirOrderAnyOtherNumberIsAFault) {
    const struct {
        std::vector<uint8_t> bytes;
        const char* fault;
    } hostile[] = {
        {AttackBytes(2), "an attack numbered 2 where 3 was next"},  // a repeat
        {AttackBytes(4), "an attack numbered 4 where 3 was next"},  // one skipped
        {AttackBytes(1000000), "an attack numbered 1000000 where 3 was next"},
        {[] {
             auto b = AttackBytes(1);
             b[2] = 0x80;  // 0x80000001
             return b;
         }(),
         "a message with a field out of range"},
    };
    for (const auto& c : hostile) {
        SCOPED_TRACE(c.fault);
        Pair pair;
        pair.Start(5, 3);
        ASSERT_TRUE(pair.host.SendAttack(1, 100));
        ASSERT_TRUE(pair.host.SendAttack(2, 200));
        pair.Deliver();
        std::string fault;
        EXPECT_FALSE(pair.joiner.Receive(c.bytes, fault));
        EXPECT_EQ(fault, c.fault);
        std::vector<uint32_t> sequences;
        for (const Event& e : Pair::Events(pair.joiner)) {
            EXPECT_EQ(e.kind, Event::ATTACK);
            EXPECT_EQ(e.message.rows, e.message.sequence);
            sequences.push_back(e.message.sequence);
        }
        EXPECT_EQ(sequences, (std::vector<uint32_t>{1, 2}));
    }
}

TEST(MatchLinkTest, WhatAPeerFloodsIsNotKeptWithoutBound) {
    Pair pair;
    pair.Start(5, 3);
    // This side has ended: attacks are counted, so their order still holds,
    // but none is kept for a well that takes no more; snapshots keep the newest.
    ASSERT_TRUE(pair.host.SendLoss(1000));
    pair.Deliver();
    Pair::Events(pair.joiner);
    C_MatchMessage snapshot;
    for (uint32_t n = 1; n <= 2000; ++n) {
        ASSERT_TRUE(pair.joiner.SendAttack(1, n));
        snapshot.score = n;
        ASSERT_TRUE(pair.joiner.SendSnapshot(snapshot));
    }
    pair.Deliver();
    EXPECT_EQ(pair.host.GetAttacksTaken(), 2000u);
    const auto kept = Pair::Events(pair.host);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].kind, Event::SNAPSHOT);
    EXPECT_EQ(kept[0].message.score, 2000u);

    // Still playing, with nobody taking the news: the link refuses more
    // rather than keep it.
    Pair unread;
    unread.Start(5, 3);
    std::string fault;
    uint32_t refusedAt = 0;
    for (uint32_t n = 1; n <= C_MatchLink::kMaxEvents + 1 && refusedAt == 0; ++n) {
        if (!unread.host.Receive(AttackBytes(n), fault)) {
            refusedAt = n;
        }
    }
    EXPECT_EQ(refusedAt, C_MatchLink::kMaxEvents + 1);
    EXPECT_EQ(fault, "more messages than the game could read");
}

TEST(MatchLinkTest, EachSideNamesItsPlayerOnceInTheLobby) {
    Pair pair;
    EXPECT_TRUE(pair.host.GetPeerName().empty());
    ASSERT_TRUE(pair.joiner.SendName("Zo\xC3\xAB"));
    ASSERT_TRUE(pair.host.SendName("Host"));
    pair.Deliver();
    EXPECT_EQ(pair.host.GetPeerName(), "Zo\xC3\xAB");
    EXPECT_EQ(pair.joiner.GetPeerName(), "Host");
    // A second name, and one in a match, are not a player's.
    std::string fault;
    C_MatchMessage name;
    name.kind = C_MatchMessage::NAME;
    name.name = "Mallory";
    EXPECT_FALSE(pair.host.Receive(name.Encode(), fault));
    EXPECT_EQ(fault, "a name message out of place in the lobby");
    Pair playing;
    playing.Start(1, 1);
    EXPECT_FALSE(playing.joiner.SendName("Late"));
    EXPECT_FALSE(playing.host.Receive(name.Encode(), fault));
    EXPECT_EQ(playing.host.GetPeerName(), "");
}

TEST(MatchLinkTest, LossesThatCrossEndTheMatchOnBothSidesEachHearingTheOthersTime) {
    Pair pair;
    pair.Start(1, 1);
    // Both losses are on their way before either arrives.
    ASSERT_TRUE(pair.host.SendLoss(61999));
    ASSERT_TRUE(pair.joiner.SendLoss(61000));
    pair.Deliver();
    for (const auto& [side, heard] : {std::pair{&pair.host, 61000u}, {&pair.joiner, 61999u}}) {
        const auto events = Pair::Events(*side);
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].kind, Event::PEER_LOSS);
        EXPECT_EQ(events[0].message.gameTime, heard);
        EXPECT_EQ(events[1].kind, Event::DECIDED);
        EXPECT_EQ(side->GetPhase(), C_MatchLink::Phase::Over);
    }
}

TEST(MatchLinkTest, OutlastingALossEndsTheMatchAndAVanishedPeerEndsItHere) {
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
    pair.ExpectDecided();

    // The host offers the next match; the joiner vanishes in it.
    pair.Start(2, 2);
    pair.host.PeerGone();
    const auto gone = Pair::Events(pair.host);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].kind, Event::PEER_GONE);
    EXPECT_EQ(pair.host.GetPhase(), C_MatchLink::Phase::Over);
}

}  // namespace
