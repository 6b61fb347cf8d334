#include "net/relaymessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

C_RelayMessage Message(C_RelayMessage::Kind kind) {
    C_RelayMessage message;
    message.kind = kind;
    return message;
}

// Every kind round-trips; every byte string one byte shorter or longer, or
// with a field out of range, is refused and leaves the output alone.
TEST(RelayMessage, EachKindRoundTripsAndNothingElseDecodes) {
    std::vector<C_RelayMessage> good;
    good.push_back(Message(C_RelayMessage::CREATE));
    for (const auto kind : {C_RelayMessage::JOIN, C_RelayMessage::WATCH}) {
        C_RelayMessage ask = Message(kind);
        ask.code = "AB3XZ";
        ask.protocol = 0x01020304;
        good.push_back(ask);
    }
    C_RelayMessage created = Message(C_RelayMessage::ANSWER);
    created.code = "K9M2P";
    good.push_back(created);
    C_RelayMessage refused = Message(C_RelayMessage::ANSWER);
    refused.answer = RelayAnswer::OtherVersion;
    good.push_back(refused);
    C_RelayMessage paired = Message(C_RelayMessage::PAIRED);
    paired.seat = 1;
    good.push_back(paired);
    C_RelayMessage from = Message(C_RelayMessage::FROM);
    from.payload.assign(C_RelayMessage::kMaxPayload, 2);
    good.push_back(from);

    for (const C_RelayMessage& message : good) {
        const std::vector<uint8_t> bytes = message.Encode();
        ASSERT_FALSE(bytes.empty()) << int(message.kind);
        EXPECT_TRUE(C_RelayMessage::IsMarked(bytes));
        C_RelayMessage back;
        ASSERT_TRUE(C_RelayMessage::Decode(bytes, back)) << int(message.kind);
        EXPECT_EQ(back.Encode(), bytes);
        EXPECT_EQ(back.code, message.code);
        EXPECT_EQ(back.protocol,
                  message.kind <= C_RelayMessage::WATCH ? message.protocol : kRelayProtocol);

        if (message.kind == C_RelayMessage::FROM) {
            continue;  // its payload may be any length up to the packet's
        }
        std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        C_RelayMessage untouched = Message(C_RelayMessage::LEFT);
        EXPECT_FALSE(C_RelayMessage::Decode(shorter, untouched));
        EXPECT_FALSE(C_RelayMessage::Decode(longer, untouched));
        EXPECT_EQ(untouched.kind, C_RelayMessage::LEFT);
    }

    C_RelayMessage wrong = Message(C_RelayMessage::JOIN);
    wrong.code = "AB0XZ";  // 0 is not in the alphabet
    EXPECT_TRUE(wrong.Encode().empty());
    C_RelayMessage seat = Message(C_RelayMessage::PAIRED);
    seat.seat = 2;
    EXPECT_TRUE(seat.Encode().empty());
    from.payload.push_back(2);
    EXPECT_TRUE(from.Encode().empty()) << "a FROM carries no more than a packet holds";

    C_RelayMessage out;
    const std::vector<uint8_t> match = C_MatchMessage{}.Encode();
    EXPECT_FALSE(C_RelayMessage::IsMarked(match)) << "match messages never carry the mark";
    EXPECT_FALSE(C_RelayMessage::Decode(match, out));
    EXPECT_FALSE(C_RelayMessage::Decode({'T', 'R', 4, 200, 0, 0, 0, 0, 0}, out))
        << "an answer past the last";
    EXPECT_FALSE(C_RelayMessage::Decode({'T', 'R', 99, 0}, out)) << "an unknown kind";
    EXPECT_FALSE(C_RelayMessage::Decode({'T', 'R', C_RelayMessage::FROM, 0}, out))
        << "a FROM carrying nothing";
}

}  // namespace
