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

// What each kind carries, compared field by field after the trip.
void ExpectSame(const C_MatchMessage& a, const C_MatchMessage& b) {
    ASSERT_EQ(a.kind, b.kind);
    switch (a.kind) {
        case C_MatchMessage::START:
            EXPECT_EQ(a.seed, b.seed);
            EXPECT_EQ(a.level, b.level);
            break;
        case C_MatchMessage::ATTACK:
            EXPECT_EQ(a.sequence, b.sequence);
            EXPECT_EQ(a.rows, b.rows);
            EXPECT_EQ(a.gameTime, b.gameTime);
            break;
        case C_MatchMessage::SNAPSHOT:
            EXPECT_EQ(a.score, b.score);
            EXPECT_EQ(a.incoming, b.incoming);
            EXPECT_EQ(a.cells, b.cells);
            EXPECT_EQ(a.gameTime, b.gameTime);
            break;
        case C_MatchMessage::READY:
            break;
        default:
            EXPECT_EQ(a.gameTime, b.gameTime);
            break;
    }
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
        ExpectSame(Message(kind), back);

        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        const std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
        C_MatchMessage untouched = Message(C_MatchMessage::LOSS);
        untouched.gameTime = 42;
        EXPECT_EQ(C_MatchMessage::Decode(longer, untouched), C_MatchMessage::LONG);
        EXPECT_EQ(C_MatchMessage::Decode(shorter, untouched), C_MatchMessage::SHORT);
        EXPECT_EQ(untouched.gameTime, 42u);
    }
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
