#include "relay/roomtable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kProtocol = 3;
// Addresses of homes, from the range set aside for tests.
constexpr uint32_t kHomeA = 0xC6120001;
constexpr uint32_t kHomeB = 0xC6120002;
constexpr uint32_t kHomeC = 0xC6120003;

struct RelayTableTest : ::testing::Test {
    C_RoomTable Table(const RelayLimits& limits = RelayLimits()) {
        return C_RoomTable(
            limits, kProtocol, [this] { return next = next * 1664525u + 1013904223u; },
            [this](const std::string& line) { lines.push_back(line); });
    }
    uint32_t next = 7;
    std::vector<std::string> lines;
};

using Answer = C_RoomTable::Answer;

TEST_F(RelayTableTest, APlayerCreatesAnotherJoinsAWatcherHearsBothAndTheEmptyRoomExpires) {
    C_RoomTable table = Table();
    std::string code;
    ASSERT_EQ(table.Create(1, kHomeA, kProtocol, 0.0, &code), Answer::Created);
    EXPECT_EQ(NormalRoomCode(code), code);
    EXPECT_EQ(table.Join(2, kHomeB, " " + code.substr(0, 2) + "-" + code.substr(2), kProtocol, 1.0),
              Answer::Joined)
        << "typed with a space and a dash";
    std::string lower = code;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(table.Watch(3, kHomeC, lower, kProtocol, 2.0), Answer::Watching);
    EXPECT_EQ(table.Join(4, kHomeC, code, kProtocol, 2.0), Answer::RoomFull);

    EXPECT_EQ(table.Recipients(1, 100), (std::vector<RelayClient>{2, 3}));
    EXPECT_EQ(table.Recipients(2, 100), (std::vector<RelayClient>{1, 3}));
    EXPECT_TRUE(table.Recipients(3, 10).empty()) << "a watcher reaches no player";
    EXPECT_TRUE(table.Recipients(9, 10).empty()) << "nor does a stranger";

    table.Leave(1, 10.0);
    table.Leave(2, 10.0);
    table.Expire(100.0);
    EXPECT_EQ(table.Rooms(), 1u) << "a watcher keeps the room";
    table.Leave(3, 20.0);
    table.Expire(79.0);
    EXPECT_EQ(table.Rooms(), 1u);
    table.Expire(80.0);
    EXPECT_EQ(table.Rooms(), 0u);
    EXPECT_EQ(table.Join(5, kHomeB, code, kProtocol, 81.0), Answer::NoSuchRoom);
    EXPECT_EQ(lines.front(), "room " + code + " created");
    EXPECT_EQ(lines.back(), "room " + code + " expired");
}

TEST_F(RelayTableTest, RefusalsAnswerWithTheirLine) {
    C_RoomTable table = Table();
    std::string code;
    ASSERT_EQ(table.Create(1, kHomeA, kProtocol, 0.0, &code), Answer::Created);
    const struct {
        std::string typed;
        uint32_t protocol;
        Answer answer;
    } cases[] = {
        {"ZZZZZ", kProtocol, Answer::NoSuchRoom},
        {"O0IL1", kProtocol, Answer::NoSuchRoom},  // look-alikes are no code
        {code + "A", kProtocol, Answer::NoSuchRoom},
        {code, kProtocol + 1, Answer::OtherVersion},
    };
    RelayClient client = 10;
    for (const auto& c : cases) {
        EXPECT_EQ(table.Join(client++, kHomeB, c.typed, c.protocol, 0.0), c.answer) << c.typed;
    }
    EXPECT_STREQ(SayRelayAnswer(Answer::OtherVersion), "This room runs another version of Tubrix");
    EXPECT_EQ(table.Create(1, kHomeA, kProtocol, 0.0, &code), Answer::AlreadyInARoom);
    EXPECT_EQ(table.Create(2, kHomeA, kProtocol + 1, 0.0, &code), Answer::OtherVersion);
}

TEST_F(RelayTableTest, WrongCodesCostTheirSenderWhileAnotherHomeStillGetsIn) {
    C_RoomTable table = Table();
    std::string code;
    ASSERT_EQ(table.Create(1, kHomeA, kProtocol, 0.0, &code), Answer::Created);
    int refused = 0;
    for (RelayClient client = 100; client < 1100; ++client) {
        refused += table.Join(client, kHomeC, "ZZZZZ", kProtocol, 0.5) == Answer::Throttled;
    }
    EXPECT_GE(refused, 1000 - 10) << "a burst of ten, then nothing until the bucket refills";
    EXPECT_EQ(table.Join(2, kHomeC, code, kProtocol, 0.5), Answer::Throttled)
        << "the flooding home waits even with the right code";
    EXPECT_EQ(table.Join(3, kHomeB, code, kProtocol, 0.5), Answer::Joined);
    EXPECT_EQ(table.Watch(4, kHomeC, code, kProtocol, 2.0), Answer::Watching)
        << "a second later it has a try again";
}

TEST_F(RelayTableTest, AnOverlongDatagramIsDroppedAndCounted) {
    RelayLimits limits;
    limits.maxDatagram = 64;
    C_RoomTable table = Table(limits);
    std::string code;
    ASSERT_EQ(table.Create(1, kHomeA, kProtocol, 0.0, &code), Answer::Created);
    ASSERT_EQ(table.Join(2, kHomeB, code, kProtocol, 0.0), Answer::Joined);
    EXPECT_EQ(table.Recipients(1, 64).size(), 1u);
    EXPECT_TRUE(table.Recipients(1, 65).empty());
    EXPECT_EQ(table.Dropped(), 1u);
}

TEST_F(RelayTableTest, WhatItHoldsIsBoundedAndGoesBackToNothing) {
    RelayLimits limits;
    limits.maxRooms = 100;
    limits.maxAddresses = 64;
    C_RoomTable table = Table(limits);
    double now = 0.0;
    // 10,000 rooms made, joined, left and expired, from ever new homes.
    for (uint32_t n = 0; n < 10000; ++n, now += 1.0) {
        std::string code;
        const RelayClient creator = 2 * n + 1;
        ASSERT_EQ(table.Create(creator, 0xC6130000 + n, kProtocol, now, &code), Answer::Created);
        ASSERT_EQ(table.Join(creator + 1, 0xC6140000 + n, code, kProtocol, now), Answer::Joined);
        table.Leave(creator, now);
        table.Leave(creator + 1, now);
        table.Expire(now);
        // Those emptied within the last minute.
        ASSERT_LE(table.Rooms(), 61u);
        ASSERT_LE(table.Addresses(), limits.maxAddresses);
    }
    table.Expire(now + limits.emptyRoomSeconds);
    EXPECT_EQ(table.Rooms(), 0u);

    // Full is full, per home and for the relay.
    std::string code;
    for (RelayClient client = 1; client <= 4; ++client) {
        ASSERT_EQ(table.Create(client, kHomeA, kProtocol, now, &code), Answer::Created);
    }
    EXPECT_EQ(table.Create(5, kHomeA, kProtocol, now, &code), Answer::TooManyRooms);
}

}  // namespace
