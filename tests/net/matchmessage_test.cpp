#include "net/matchmessage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

C_MatchMessage Message(C_MatchMessage::Kind kind) {
    C_MatchMessage m;
    m.kind = kind;
    m.seed = 0x0123456789ABCDEFull;
    m.level = 7;
    m.sequence = 0x01020304;
    m.rows = 3;
    m.gameTime = 61999;
    m.score = 123456;
    m.incoming = 5;
    for (std::size_t i = 0; i < m.cells.size(); ++i) {
        m.cells[i] = static_cast<uint8_t>((i * 7) % 16);
    }
    return m;
}

const C_MatchMessage::Kind kKinds[] = {C_MatchMessage::START,     C_MatchMessage::READY,
                                       C_MatchMessage::ATTACK,    C_MatchMessage::LOSS,
                                       C_MatchMessage::OUTLASTED, C_MatchMessage::SNAPSHOT};

TEST(MatchMessageTest, EveryKindRoundTripsAtItsOwnLengthAndNoOther) {
    for (const C_MatchMessage::Kind kind : kKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        const std::vector<uint8_t> bytes = Message(kind).Encode();
        ASSERT_EQ(bytes.size(), C_MatchMessage::Length(kind));
        C_MatchMessage back;
        ASSERT_EQ(C_MatchMessage::Decode(bytes, back), C_MatchMessage::NONE);
        EXPECT_EQ(back.kind, kind);
        EXPECT_EQ(back.Encode(), bytes);

        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        const std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
        C_MatchMessage untouched = Message(C_MatchMessage::LOSS);
        untouched.gameTime = 42;
        EXPECT_EQ(C_MatchMessage::Decode(longer, untouched), C_MatchMessage::LONG);
        EXPECT_EQ(C_MatchMessage::Decode(shorter, untouched), C_MatchMessage::SHORT);
        EXPECT_EQ(untouched.gameTime, 42u);
    }
    C_MatchMessage start;
    C_MatchMessage::Decode(Message(C_MatchMessage::START).Encode(), start);
    EXPECT_EQ(start.seed, 0x0123456789ABCDEFull);
    EXPECT_EQ(start.level, 7);
    C_MatchMessage snapshot;
    C_MatchMessage::Decode(Message(C_MatchMessage::SNAPSHOT).Encode(), snapshot);
    EXPECT_EQ(snapshot.cells, Message(C_MatchMessage::SNAPSHOT).cells);
    EXPECT_EQ(snapshot.score, 123456u);
    // Two cells a byte: the whole well and what the view needs fit a packet.
    EXPECT_EQ(C_MatchMessage::kPackedCells, 144u);
    EXPECT_LE(C_MatchMessage::Length(C_MatchMessage::SNAPSHOT), 256u);
}

TEST(MatchMessageTest, BadBytesAndBadFieldsAreRefused) {
    std::vector<uint8_t> attackOfNoRows = Message(C_MatchMessage::ATTACK).Encode();
    attackOfNoRows[2 + 4] = 0;
    const struct {
        std::vector<uint8_t> bytes;
        C_MatchMessage::Fault fault;
    } cases[] = {
        {{}, C_MatchMessage::SHORT},
        {{C_MatchMessage::kVersion}, C_MatchMessage::SHORT},
        {{C_MatchMessage::kVersion + 1, C_MatchMessage::READY}, C_MatchMessage::WRONG_VERSION},
        {{C_MatchMessage::kVersion, 0}, C_MatchMessage::UNKNOWN_KIND},
        {{C_MatchMessage::kVersion, 7}, C_MatchMessage::UNKNOWN_KIND},
        {attackOfNoRows, C_MatchMessage::BAD_FIELD},
    };
    for (const auto& c : cases) {
        C_MatchMessage out;
        EXPECT_EQ(C_MatchMessage::Decode(c.bytes, out), c.fault) << c.bytes.size();
    }

    C_MatchMessage tooMany = Message(C_MatchMessage::ATTACK);
    tooMany.rows = C_MatchMessage::kRows + 1;
    C_MatchMessage badCell = Message(C_MatchMessage::SNAPSHOT);
    badCell.cells[100] = 16;
    EXPECT_TRUE(tooMany.Encode().empty());
    EXPECT_TRUE(badCell.Encode().empty());
}

}  // namespace
