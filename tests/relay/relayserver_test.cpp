#include "relay/relayserver.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/sessionrecorder.h"

namespace {

using platform::SessionDelivery;
using platform::SessionPeer;
using Kind = platform::SessionEvent::Kind;
using Bytes = std::vector<uint8_t>;

// Clients of the relay from one loopback address, each connection greeted
// with its own request; records what every connection receives.
class Home {
public:
    explicit Home(const std::string& address) : session(platform::Session::Create()) {
        platform::SessionAddress local;
        if (!session || !platform::Session::Resolve(address, 0, local) ||
            !session->Open(64, local) ||
            !session->Initialize([this](const platform::SessionEvent& event) {
                std::lock_guard<std::mutex> guard(lock);
                events.push_back(event);
            })) {
            session.reset();
        }
    }
    ~Home() {
        if (session) {
            session->Stop();
        }
    }

    SessionPeer Ask(uint16_t port, C_RelayMessage::Kind kind, const std::string& code = "",
                    uint32_t protocol = kRelayProtocol) {
        C_RelayMessage request;
        request.kind = kind;
        request.code = code;
        request.protocol = protocol;
        platform::SessionAddress relay;
        SessionPeer peer;
        EXPECT_TRUE(platform::Session::Resolve("127.0.0.1", port, relay));
        EXPECT_TRUE(session->Dial(relay, request.Encode(), &peer));
        return peer;
    }

    // What `peer` received, in order.
    std::vector<platform::SessionEvent> Got(SessionPeer peer) const {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<platform::SessionEvent> got;
        for (const auto& event : events) {
            if (event.kind == Kind::Received && event.peer.connectId == peer.connectId) {
                got.push_back(event);
            }
        }
        return got;
    }
    bool Heard(SessionPeer peer, std::size_t count) const {
        return WaitFor([&] { return Got(peer).size() >= count; });
    }
    // The relay's message at `index` of what `peer` received.
    C_RelayMessage Message(SessionPeer peer, std::size_t index) const {
        C_RelayMessage message;
        EXPECT_TRUE(Heard(peer, index + 1));
        const auto got = Got(peer);
        EXPECT_TRUE(index < got.size() && C_RelayMessage::Decode(got[index].data, message));
        return message;
    }
    RelayAnswer Answer(SessionPeer peer) const { return Message(peer, 0).answer; }
    // Asks for a room: the creator's connection and the relay's answer.
    std::pair<SessionPeer, C_RelayMessage> Create(uint16_t port) {
        const SessionPeer creator = Ask(port, C_RelayMessage::CREATE);
        return {creator, Message(creator, 0)};
    }
    void Forget() {
        std::lock_guard<std::mutex> guard(lock);
        events.clear();
        events.shrink_to_fit();
    }
    bool Send(SessionPeer peer, const Bytes& bytes, SessionDelivery delivery) {
        return session->Send(peer, bytes, delivery);
    }

    std::unique_ptr<platform::Session> session;

private:
    mutable std::mutex lock;
    std::vector<platform::SessionEvent> events;
};

struct RelayServerTest : ::testing::Test {
    void Start(const RelayLimits& limits = RelayLimits()) {
        relay = std::make_unique<C_RelayServer>(limits, [this](const std::string& line) {
            // The first and the last only: the log grows no memory here.
            std::lock_guard<std::mutex> guard(lock);
            (firstLine.empty() ? firstLine : lastLine) = line;
        });
        ASSERT_TRUE(relay->Start(0));
        port = relay->Port();
        ASSERT_NE(port, 0);
    }
    void TearDown() override {
        if (relay) {
            relay->Stop();
        }
    }
    std::unique_ptr<C_RelayServer> relay;
    uint16_t port = 0;
    std::mutex lock;
    std::string firstLine, lastLine;
};

Bytes Datagram(uint8_t first, std::size_t size) {
    Bytes bytes(size, 0x5A);
    bytes[0] = first;
    return bytes;
}

TEST_F(RelayServerTest, TwoPlayersPairAndTheirDatagramsPassUnchangedToEachOtherAndTheWatcher) {
    RelayLimits limits;
    limits.emptyRoomSeconds = 0.2;
    Start(limits);
    Home homeA("127.0.0.2"), homeB("127.0.0.3"), homeC("127.0.0.4");
    ASSERT_TRUE(homeA.session && homeB.session && homeC.session);
    const auto [a, created] = homeA.Create(port);
    ASSERT_EQ(created.answer, RelayAnswer::Created);
    const SessionPeer b = homeB.Ask(port, C_RelayMessage::JOIN, created.code);
    const C_RelayMessage joined = homeB.Message(b, 0);
    EXPECT_EQ(joined.answer, RelayAnswer::Joined);
    EXPECT_EQ(joined.code, created.code);
    for (const auto& [home, peer, seat] : {std::tuple{&homeA, a, 0}, std::tuple{&homeB, b, 1}}) {
        const C_RelayMessage paired = home->Message(peer, 1);
        EXPECT_EQ(paired.kind, C_RelayMessage::PAIRED);
        EXPECT_EQ(paired.seat, seat);
    }
    const SessionPeer w = homeC.Ask(port, C_RelayMessage::WATCH, created.code);
    ASSERT_EQ(homeC.Answer(w), RelayAnswer::Watching);

    // Each way with its own delivery, and the watcher hears both, wrapped.
    const Bytes fromA = Datagram(1, 155), fromB = Datagram(2, C_RelayMessage::kMaxPayload);
    ASSERT_TRUE(homeA.Send(a, fromA, SessionDelivery::Reliable));
    ASSERT_TRUE(homeB.Send(b, fromB, SessionDelivery::Unreliable));
    ASSERT_TRUE(homeB.Heard(b, 3));
    ASSERT_TRUE(homeA.Heard(a, 3));
    EXPECT_EQ(homeB.Got(b)[2].data, fromA);
    EXPECT_EQ(homeB.Got(b)[2].delivery, SessionDelivery::Reliable);
    EXPECT_EQ(homeA.Got(a)[2].data, fromB);
    EXPECT_EQ(homeA.Got(a)[2].delivery, SessionDelivery::Unreliable);
    ASSERT_TRUE(homeC.Heard(w, 3));
    int seats = 0;
    for (std::size_t i = 1; i < 3; ++i) {
        const C_RelayMessage from = homeC.Message(w, i);
        EXPECT_EQ(from.kind, C_RelayMessage::FROM);
        EXPECT_EQ(from.payload, from.seat == 0 ? fromA : fromB) << int{from.seat};
        seats |= 1 << from.seat;
    }
    EXPECT_EQ(seats, 3) << "one from each side";

    // Neither what the watcher says, nor what is over-long or bears the
    // relay's mark, reaches anyone; the last two are counted. A marker sent
    // after them shows the player has heard all it will.
    ASSERT_TRUE(homeC.Send(w, Datagram(1, 20), SessionDelivery::Reliable));
    ASSERT_TRUE(
        homeA.Send(a, Datagram(1, C_RelayMessage::kMaxPayload + 1), SessionDelivery::Reliable));
    ASSERT_TRUE(
        homeA.Send(a, {C_RelayMessage::kMark0, C_RelayMessage::kMark1, C_RelayMessage::LEFT, 0},
                   SessionDelivery::Reliable));
    const Bytes marker = Datagram(3, 8);
    ASSERT_TRUE(homeA.Send(a, marker, SessionDelivery::Reliable));
    ASSERT_TRUE(homeB.Heard(b, 4));
    EXPECT_EQ(homeB.Got(b)[3].data, marker);
    EXPECT_EQ(relay->Dropped(), 2u);
    ASSERT_TRUE(homeC.Heard(w, 4));
    EXPECT_EQ(homeC.Message(w, 3).payload, marker);

    // The creator leaves: the others hear it; once all are gone the room
    // expires, each event a line of the log.
    homeA.session->Drop(a);
    for (const auto& [home, peer, count] : {std::tuple{&homeB, b, 5u}, std::tuple{&homeC, w, 5u}}) {
        const C_RelayMessage left = home->Message(peer, count - 1);
        EXPECT_EQ(left.kind, C_RelayMessage::LEFT);
        EXPECT_EQ(left.seat, 0);
    }
    EXPECT_EQ(relay->Rooms(), 1u);
    homeB.session->Drop(b);
    homeC.session->Drop(w);
    ASSERT_TRUE(WaitFor([&] { return relay->Rooms() == 0; }));
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(firstLine, "room " + created.code + " created");
    EXPECT_EQ(lastLine, "room " + created.code + " expired");
}

TEST_F(RelayServerTest, RefusalsAreAnsweredAndAFloodOfWrongCodesCostsOnlyItsSender) {
    RelayLimits limits;
    limits.attemptBurst = 3;
    limits.attemptsPerSecond = 0.01;
    Start(limits);
    Home host("127.0.0.2"), flooder("127.0.0.5"), friendly("127.0.0.6");
    ASSERT_TRUE(host.session && flooder.session && friendly.session);
    const C_RelayMessage created = host.Create(port).second;
    ASSERT_EQ(created.answer, RelayAnswer::Created);
    const std::string wrong = created.code == "ZZZZZ" ? "YYYYY" : "ZZZZZ";

    EXPECT_EQ(host.Answer(host.Ask(port, C_RelayMessage::CREATE, "", kRelayProtocol + 1)),
              RelayAnswer::OtherVersion);
    EXPECT_EQ(friendly.Answer(
                  friendly.Ask(port, C_RelayMessage::JOIN, created.code, kRelayProtocol ^ 0x100)),
              RelayAnswer::OtherVersion);
    EXPECT_STREQ(SayRelayAnswer(RelayAnswer::OtherVersion),
                 "This room runs another version of Tubrix");

    std::vector<SessionPeer> flood;
    for (int i = 0; i < 8; ++i) {
        flood.push_back(flooder.Ask(port, C_RelayMessage::JOIN, wrong));
    }
    std::vector<RelayAnswer> answers;
    for (const SessionPeer peer : flood) {
        answers.push_back(flooder.Answer(peer));
    }
    EXPECT_EQ(std::count(answers.begin(), answers.end(), RelayAnswer::NoSuchRoom), 3);
    EXPECT_EQ(std::count(answers.begin(), answers.end(), RelayAnswer::Throttled), 5);
    EXPECT_EQ(flooder.Answer(flooder.Ask(port, C_RelayMessage::JOIN, created.code)),
              RelayAnswer::Throttled)
        << "even the right code waits at a flooding address";
    const SessionPeer joiner = friendly.Ask(port, C_RelayMessage::JOIN, created.code);
    EXPECT_EQ(friendly.Answer(joiner), RelayAnswer::Joined);
    EXPECT_EQ(friendly.Message(joiner, 1).kind, C_RelayMessage::PAIRED);
}

TEST_F(RelayServerTest, RoomsMadeAndExpiredOverAndOverLeaveTheRelayAsItWas) {
    RelayLimits limits;
    limits.emptyRoomSeconds = 0.0;
    limits.attemptsPerSecond = 1e6;
    Start(limits);
    Home home("127.0.0.2");
    ASSERT_TRUE(home.session);
    std::size_t heapAfterWarmUp = 0;
    constexpr int kRooms = 150;
    for (int n = 1; n <= kRooms; ++n) {
        const auto [creator, created] = home.Create(port);
        ASSERT_EQ(created.answer, RelayAnswer::Created) << n;
        const SessionPeer joiner = home.Ask(port, C_RelayMessage::JOIN, created.code);
        ASSERT_EQ(home.Answer(joiner), RelayAnswer::Joined);
        home.session->Drop(creator);
        home.session->Drop(joiner);
        ASSERT_TRUE(WaitFor([&] { return relay->Rooms() == 0; })) << n;
        home.Forget();
        if (n == 30) {
            heapAfterWarmUp = mallinfo2().uordblks;
        }
    }
    // Room for the allocator's own bookkeeping, not for a room's worth kept
    // per cycle (the table alone is held to that over 10,000 rooms).
    if (heapAfterWarmUp != 0) {
        EXPECT_LT(mallinfo2().uordblks, heapAfterWarmUp + 16 * 1024);
    }
}

}  // namespace
