#include "platform/session.h"

#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "support/sessionrecorder.h"

namespace {

using Kind = platform::SessionEvent::Kind;

// The wire format of the session's network layer, written out by hand so the
// test can say what no well-behaved peer would.
enum Command : uint8_t {
    kAcknowledge = 1,
    kConnect = 2,
    kVerifyConnect = 3,
    kSendReliable = 6,
    kSendFragment = 8,
    kSendUnsequenced = 9,
};
constexpr uint8_t kFlagAcknowledge = 0x80;
constexpr uint8_t kFlagUnsequenced = 0x40;
constexpr uint16_t kUnassignedPeer = 0xFFF;
constexpr uint16_t kHeaderSentTime = 0x8000;

struct Bytes : std::vector<uint8_t> {
    Bytes& U8(uint8_t v) {
        push_back(v);
        return *this;
    }
    Bytes& U16(uint16_t v) { return U8(static_cast<uint8_t>(v >> 8)).U8(static_cast<uint8_t>(v)); }
    Bytes& U32(uint32_t v) {
        return U16(static_cast<uint16_t>(v >> 16)).U16(static_cast<uint16_t>(v));
    }
};

uint16_t Read16(const std::vector<uint8_t>& b, std::size_t at) {
    return static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
}

// Lengths of the commands a host sends unasked (acknowledge, verify, disconnect,
// ping, bandwidth, throttle), by number; 0 for any other.
constexpr std::size_t kCommandBytes[16] = {0, 8, 0, 44, 8, 4, 0, 0, 0, 0, 12, 16};

// A connect request, complete: 48 bytes after a 2-byte header.
Bytes ConnectDatagram(uint32_t connectId, uint32_t channels = 1) {
    Bytes d;
    d.U16(kUnassignedPeer);
    d.U8(kConnect | kFlagAcknowledge).U8(0xFF).U16(1);
    d.U16(0).U8(0xFF).U8(0xFF);
    d.U32(1400).U32(32768).U32(channels).U32(0).U32(0).U32(5000).U32(2).U32(2);
    d.U32(connectId).U32(0);
    return d;
}

// A UDP socket on loopback that says whatever the test tells it to.
class RawPeer {
public:
    explicit RawPeer(uint16_t port) : fd(socket(AF_INET, SOCK_DGRAM, 0)) {
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval wait{0, 100 * 1000};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~RawPeer() { close(fd); }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    void Send(const std::vector<uint8_t>& datagram) {
        sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to),
               sizeof to);
    }

    // Handshakes as a real peer would. Sets the ids the host expects from now on.
    bool Connect() {
        return WaitFor([&] {
            // Sent again each turn: a flooded host may have let it fall.
            Send(ConnectDatagram(0x1234567));
            std::vector<uint8_t> in(4096);
            const ssize_t got = recv(fd, in.data(), in.size(), 0);
            if (got < 4 || !(Read16(in, 0) & kHeaderSentTime)) {
                return false;
            }
            in.resize(static_cast<std::size_t>(got));
            const uint16_t sentTime = Read16(in, 2);
            for (std::size_t at = 4; at + 4 <= in.size();) {
                const uint8_t command = in[at] & 0x0F;
                if (command == kVerifyConnect && at + 44 <= in.size()) {
                    hostPeerId = Read16(in, at + 4);
                    session = in[at + 7] & 3;
                    Acknowledge(in, at, sentTime);
                    return true;
                }
                at += command == kAcknowledge ? 8 : 4096;
            }
            return false;
        });
    }

    // Acknowledges what the host sent that asks for it, as a live peer does,
    // so that the host never times this one out.
    void KeepAlive() {
        std::vector<uint8_t> in(4096);
        for (ssize_t got; (got = recv(fd, in.data(), in.size(), MSG_DONTWAIT)) >= 4;) {
            if (!(Read16(in, 0) & kHeaderSentTime)) {
                continue;
            }
            const auto end = static_cast<std::size_t>(got);
            for (std::size_t at = 4, size; at + 4 <= end; at += size) {
                size = kCommandBytes[in[at] & 0x0F];
                if (size == 0 || at + size > end) {
                    break;
                }
                if (in[at] & kFlagAcknowledge) {
                    Acknowledge(in, at, Read16(in, 2));
                }
            }
        }
    }

    uint16_t Header() const { return static_cast<uint16_t>(hostPeerId | session << 12); }

    // An unsequenced packet of `length` bytes on channel 0.
    Bytes Unsequenced(uint16_t group, std::size_t length) const {
        Bytes d;
        d.U16(Header()).U8(kSendUnsequenced | kFlagUnsequenced).U8(0).U16(0);
        d.U16(group).U16(static_cast<uint16_t>(length));
        d.insert(d.end(), length, 0x5A);
        return d;
    }

private:
    void Acknowledge(const std::vector<uint8_t>& in, std::size_t command, uint16_t sentTime) {
        Bytes ack;
        ack.U16(Header()).U8(kAcknowledge).U8(in[command + 1]).U16(1);
        ack.U16(Read16(in, command + 2)).U16(sentTime);
        Send(ack);
    }

    int fd;
    sockaddr_in to{};
    uint16_t hostPeerId = 0;
    uint8_t session = 0;
};

TEST(SessionTest, HostileDatagramsReachNobodyAndAWellFormedPeerStillConnects) {
    SessionRecorder host;
    host.admits = true;
    ASSERT_TRUE(host.session->Host(0, 1));
    const uint16_t port = host.session->Port();
    ASSERT_NE(port, 0);
    RawPeer raw(port);

    std::mt19937 random(12);
    for (int i = 0; i < 400; ++i) {
        std::vector<uint8_t> junk(random() % 1500);
        for (uint8_t& byte : junk) {
            byte = static_cast<uint8_t>(random());
        }
        raw.Send(junk);
    }
    const Bytes connect = ConnectDatagram(99);
    for (std::size_t cut = 0; cut < connect.size(); ++cut) {
        raw.Send({connect.begin(), connect.begin() + static_cast<long>(cut)});
    }
    raw.Send(ConnectDatagram(98, 0));          // no channels
    raw.Send(Bytes(connect).U8(0).U8(0));      // trailing bytes
    raw.Send(std::vector<uint8_t>(60000, 0));  // far over any datagram the host reads

    // Connected, the raw peer sends what the caps must stop, then a marker.
    ASSERT_TRUE(raw.Connect());
    ASSERT_TRUE(host.WaitForCount(Kind::Connected, 1));
    raw.Send(raw.Unsequenced(1, platform::Session::kMaxPacketBytes + 1));
    Bytes fragment;
    fragment.U16(raw.Header()).U8(kSendFragment | kFlagAcknowledge).U8(0).U16(1);
    fragment.U16(1).U16(4).U32(1 << 20).U32(0).U32(0x7FFFFFFF).U32(0).U32(0);
    raw.Send(fragment);
    Bytes lying;  // says 60000 bytes follow, and 4 do
    lying.U16(raw.Header()).U8(kSendReliable | kFlagAcknowledge).U8(0).U16(1).U16(60000).U32(0);
    raw.Send(lying);
    raw.Send(raw.Unsequenced(2, platform::Session::kMaxPacketBytes));
    ASSERT_TRUE(host.WaitForCount(Kind::Received, 1));
    // The raw peer now falls silent, as a crashed game would: the host's
    // timeout notices and says so.
    ASSERT_TRUE(host.WaitForCount(Kind::Disconnected, 1));
    const auto events = host.Events();
    // Its leaving names the connection its arrival named.
    ASSERT_EQ(events.front().kind, Kind::Connected);
    EXPECT_NE(events.front().peer.connectId, 0u);
    EXPECT_EQ(events.back().peer.connectId, events.front().peer.connectId);
    ASSERT_EQ(host.Count(Kind::Received), 1u);
    for (const auto& event : events) {
        if (event.kind == Kind::Received) {
            EXPECT_EQ(event.data.size(), platform::Session::kMaxPacketBytes);
        }
    }

    SessionRecorder player;
    ASSERT_TRUE(player.session->SetGreeting({1, 2, 3}));
    ASSERT_TRUE(player.ConnectLocal(port));
    ASSERT_TRUE(player.WaitForCount(Kind::Connected, 1));
    ASSERT_TRUE(host.WaitForCount(Kind::Received, 2));
    EXPECT_EQ(host.Events().back().data, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(host.Events().back().sequence, 0u);
}

TEST(SessionTest, PeersTakeASeatOnlyWhenAdmittedAndThoseNeverAdmittedGoAtTheDeadline) {
    using std::chrono::steady_clock;
    SessionRecorder host;
    ASSERT_TRUE(host.session->Host(0, 2));
    const uint16_t port = host.session->Port();
    SessionRecorder seated;
    ASSERT_TRUE(seated.ConnectLocal(port));
    ASSERT_TRUE(host.WaitForCount(Kind::Connected, 1));
    ASSERT_TRUE(host.session->Admit(host.Events()[0].peer));
    EXPECT_TRUE(host.session->Admit(host.Events()[0].peer));

    // Stays connected and says only what is longer than a packet may be,
    // which the network layer throws away: the host never hears a word.
    RawPeer raw(port);
    const auto rawSince = steady_clock::now();
    ASSERT_TRUE(raw.Connect());
    ASSERT_TRUE(host.WaitForCount(Kind::Connected, 2));
    raw.Send(raw.Unsequenced(1, platform::Session::kMaxPacketBytes + 1));

    // Two more arrive while it is on trial; the first admitted takes the last seat.
    SessionRecorder late[2];
    for (SessionRecorder& peer : late) {
        ASSERT_TRUE(peer.ConnectLocal(port));
    }
    ASSERT_TRUE(host.WaitForCount(Kind::Connected, 4));
    const auto events = host.Events();
    EXPECT_TRUE(host.session->Admit(events[2].peer));
    EXPECT_FALSE(host.session->Admit(events[3].peer));
    EXPECT_FALSE(host.session->Admit(events[3].peer));
    EXPECT_TRUE(WaitFor([&] {
        return late[0].Count(Kind::Disconnected) + late[1].Count(Kind::Disconnected) == 1;
    }));

    EXPECT_TRUE(WaitFor(
        [&] {
            raw.KeepAlive();
            return host.Count(Kind::Disconnected) >= 1;
        },
        std::chrono::duration_cast<std::chrono::milliseconds>(platform::Session::kAdmitDeadline +
                                                              std::chrono::seconds(1) -
                                                              (steady_clock::now() - rawSince))));
    // It alone went, though the first player's trial would have ended sooner.
    EXPECT_EQ(host.Count(Kind::Disconnected), 1u);
    EXPECT_EQ(host.Events().back().peer.connectId, events[1].peer.connectId);
    EXPECT_EQ(host.Count(Kind::Received), 0u);
    EXPECT_EQ(seated.Count(Kind::Disconnected), 0u);
}

// Bytes the allocator has handed out and not had back; 0 where a sanitizer
// owns the heap (its leak check covers the same fault).
std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

TEST(SessionTest, ManyConnectsAndDisconnectsLeaveTheHostServingAndItsMemoryFlat) {
    // Counts only, so the test itself holds no more memory as it goes.
    std::atomic<int> connects{0};
    std::atomic<int> disconnects{0};
    std::atomic<int> greetings{0};
    auto host = platform::Session::Create();
    ASSERT_TRUE(host->Initialize([&](const platform::SessionEvent& event) {
        connects += event.kind == Kind::Connected ? 1 : 0;
        disconnects += event.kind == Kind::Disconnected ? 1 : 0;
        greetings += event.kind == Kind::Received ? 1 : 0;
    }));
    ASSERT_TRUE(host->SetGreeting(std::vector<uint8_t>(64, 7)));
    ASSERT_TRUE(host->Host(0, 1));
    const uint16_t port = host->Port();
    std::size_t heapAfterWarmUp = 0;
    constexpr int kCycles = 200;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        {
            SessionRecorder player;
            ASSERT_TRUE(player.session->SetGreeting(std::vector<uint8_t>(64, 8)));
            ASSERT_TRUE(player.ConnectLocal(port));
            ASSERT_TRUE(player.WaitForCount(Kind::Received, 1)) << cycle;
            ASSERT_TRUE(WaitFor([&] { return greetings == cycle; }));
        }
        ASSERT_TRUE(WaitFor([&] { return disconnects == cycle; }));
        if (cycle == 20) {
            heapAfterWarmUp = HeapInUse();
        }
    }
    EXPECT_EQ(connects, kCycles);
    // Room for the allocator's own bookkeeping, not for a connection's worth
    // of memory kept per cycle.
    if (heapAfterWarmUp != 0) {
        EXPECT_LT(HeapInUse(), heapAfterWarmUp + 8 * 1024);
    }
    host.reset();
}

}  // namespace
