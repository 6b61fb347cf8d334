#include "net/matchmessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
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
    m.name = "Zo\xC3\xAB";
    return m;
}

// A well-formed message of `kind` with big-endian `value` written over its
// bytes from `at` on: a field no honest sender would encode.
std::vector<uint8_t> Forged(C_MatchMessage::Kind kind, std::size_t at, uint32_t value,
                            std::size_t width = 4) {
    std::vector<uint8_t> bytes = Message(kind).Encode();
    for (std::size_t i = 0; i < width; ++i) {
        bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
    }
    return bytes;
}

const C_MatchMessage::Kind kKinds[] = {C_MatchMessage::START,     C_MatchMessage::READY,
                                       C_MatchMessage::ATTACK,    C_MatchMessage::LOSS,
                                       C_MatchMessage::OUTLASTED, C_MatchMessage::SNAPSHOT,
                                       C_MatchMessage::NAME};

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
    C_MatchMessage name;
    C_MatchMessage::Decode(Message(C_MatchMessage::NAME).Encode(), name);
    EXPECT_EQ(name.name, "Zo\xC3\xAB");
    // Two cells a byte: the whole well and what the view needs fit a packet.
    EXPECT_EQ(C_MatchMessage::kPackedCells, 144u);
    EXPECT_LE(C_MatchMessage::Length(C_MatchMessage::SNAPSHOT), 256u);
}

TEST(MatchMessageTest, BadBytesAndNumbersBeyondTheirBoundsAreRefused) {
    using M = C_MatchMessage;
    // Field offsets: the header's two bytes, then the kind's fields in order.
    const struct {
        std::vector<uint8_t> bytes;
        M::Fault fault;
    } cases[] = {
        {{}, M::SHORT},
        {{M::kVersion}, M::SHORT},
        {{M::kVersion + 1, M::READY}, M::WRONG_VERSION},
        {{M::kVersion, 0}, M::UNKNOWN_KIND},
        {{M::kVersion, 8}, M::UNKNOWN_KIND},
        {Forged(M::ATTACK, 6, 0, 1), M::BAD_FIELD},             // no rows
        {Forged(M::ATTACK, 6, M::kRows + 1, 1), M::BAD_FIELD},  // more than a well
        {Forged(M::ATTACK, 2, 0x80000000u), M::BAD_FIELD},      // beyond an int
        {Forged(M::ATTACK, 2, 0xFFFFFFFFu), M::BAD_FIELD},
        {Forged(M::ATTACK, 2, 0), M::BAD_FIELD},                    // numbered from 1
        {Forged(M::ATTACK, 7, M::kMaxGameTime + 1), M::BAD_FIELD},  // beyond a day
        {Forged(M::LOSS, 2, 0xFFFFFFFFu), M::BAD_FIELD},
        {Forged(M::OUTLASTED, 2, M::kMaxGameTime + 1), M::BAD_FIELD},
        {Forged(M::SNAPSHOT, 2, 0xFFFFFFFFu), M::BAD_FIELD},
        {Forged(M::SNAPSHOT, 6, 0x80000000u), M::BAD_FIELD},  // a score beyond an int
        {Forged(M::START, 10, M::kLevels, 1), M::BAD_FIELD},  // shapes would not fall
        {Forged(M::START, 10, 255, 1), M::BAD_FIELD},
    };
    for (std::size_t n = 0; n < std::size(cases); ++n) {
        C_MatchMessage out;
        EXPECT_EQ(C_MatchMessage::Decode(cases[n].bytes, out), cases[n].fault) << "case " << n;
    }
    // The bounds themselves still read.
    C_MatchMessage out;
    EXPECT_EQ(M::Decode(Forged(M::ATTACK, 2, M::kMaxSequence), out), M::NONE);
    EXPECT_EQ(M::Decode(Forged(M::LOSS, 2, M::kMaxGameTime), out), M::NONE);
    EXPECT_EQ(M::Decode(Forged(M::START, 10, M::kLevels - 1, 1), out), M::NONE);

    // A name keeps what a player's name may hold: printable, sixteen
    // characters at most, no spaces at the ends; bytes after a NUL are not it.
    std::vector<uint8_t> name = Message(M::NAME).Encode();
    const std::string hostile = "\x01 Eve\x7F the Long-Named Rogue";
    std::copy(hostile.begin(), hostile.end(), name.begin() + 2);
    ASSERT_EQ(M::Decode(name, out), M::NONE);
    EXPECT_EQ(out.name, "Eve the Long-Nam");
    std::fill(name.begin() + 2, name.end(), 'x');
    name[5] = 0;
    ASSERT_EQ(M::Decode(name, out), M::NONE);
    EXPECT_EQ(out.name, "xxx");

    C_MatchMessage tooMany = Message(C_MatchMessage::ATTACK);
    tooMany.rows = C_MatchMessage::kRows + 1;
    C_MatchMessage badCell = Message(C_MatchMessage::SNAPSHOT);
    badCell.cells[100] = 16;
    C_MatchMessage longName = Message(C_MatchMessage::NAME);
    longName.name.assign(C_MatchMessage::kNameBytes + 1, 'x');
    EXPECT_TRUE(tooMany.Encode().empty());
    EXPECT_TRUE(badCell.Encode().empty());
    EXPECT_TRUE(longName.Encode().empty());
}

}  // namespace
