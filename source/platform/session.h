#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _ENetEvent;
struct _ENetHost;
struct _ENetPeer;

namespace platform {

// A resolved IPv4 address in network byte order, and a port.
struct SessionAddress {
    uint32_t host = 0;
    uint16_t port = 0;
};

// Names one connection; once that connection is gone it names nothing, even
// if its slot is reused.
struct SessionPeer {
    uint16_t slot = 0;
    uint32_t connectId = 0;
};

// How a packet travels: resent until it arrives, in order with the other
// reliable ones; or sent once and dropped when lost, never overtaking a
// reliable packet sent before it nor delivered after a newer one.
enum class SessionDelivery { Reliable, Unreliable };

struct SessionEvent {
    enum class Kind { Connected, Disconnected, Received };
    Kind kind = Kind::Connected;
    SessionPeer peer;
    // Received only: the packet, at most Session::kMaxPacketBytes.
    std::vector<uint8_t> data;
    // Received only: how many packets this connection delivered before this one.
    uint32_t sequence = 0;
    // Received only: how it travelled, so a relay can pass it on alike.
    SessionDelivery delivery = SessionDelivery::Reliable;
};

// A datagram session of a few peers. One service thread runs the network
// host and calls the handler once per event, without holding the session's
// lock, so the handler may call Drop and Admit. Every other call may come from
// any thread; all of them share the one lock with the service thread.
//
// A hosted peer is on trial from its connect until the caller admits it: only
// admitted peers take the seats, so a peer that connects and never says who
// it is cannot keep a player out, and one still on trial after
// kAdmitDeadline is dropped (the handler hears it disconnect). The peer a
// Connect reaches is admitted as it connects. A connected peer not heard from
// for five seconds is dropped the same way.
class Session {
public:
    using Handler = std::function<void(const SessionEvent&)>;

    // Larger packets are refused by the network layer before they are whole.
    static constexpr std::size_t kMaxPacketBytes = 256;
    // Bounds what one peer may hold in half-assembled or undelivered packets.
    static constexpr std::size_t kMaxWaitingBytes = 16 * 1024;
    // Events handed to the handler per service turn; the rest wait their turn.
    static constexpr std::size_t kMaxEventsPerTurn = 32;
    // Slots beyond the allowed peers, so a refused or half-open connection or
    // two do not keep a welcome one out.
    static constexpr std::size_t kSpareSlots = 2;
    // The most connections one host holds, spare slots included: the network
    // layer numbers its peers in twelve bits.
    static constexpr std::size_t kMaxSlots = 4095;
    // A player's greeting leaves the moment its connection opens and needs one
    // round trip; this leaves room for the network layer to resend a lost one
    // a few times on a slow link, while a peer that will never greet holds a
    // slot for less than the shortest time a vanished player is kept.
    static constexpr std::chrono::milliseconds kAdmitDeadline{2500};

    // Null when the network library cannot start.
    static std::unique_ptr<Session> Create();
    // Stops and joins the service thread, then tells every connected peer
    // goodbye and releases the host.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the service thread with `handler`. False if it is already
    // running, `handler` is empty or the thread cannot start.
    bool Initialize(Handler handler);
    // Stops and joins the service thread; no handler call follows. Idempotent.
    void Stop();
    // The packet sent first on every new connection. False (and unchanged)
    // when longer than kMaxPacketBytes.
    bool SetGreeting(std::vector<uint8_t> greeting);
    // Closes whatever host is open, then listens on every interface at `port`
    // (0: one the system picks) for at most `maxRemote` admitted peers, with
    // `spareSlots` more for peers on trial; further ones are disconnected as
    // they arrive. False when the port cannot be bound or the slots come to
    // more than kMaxSlots.
    bool Host(uint16_t port, std::size_t maxRemote, std::size_t spareSlots = kSpareSlots);
    // Closes whatever host is open, then starts connecting to `address`; the
    // outcome comes later as an event. False when the connect cannot start.
    bool Connect(const SessionAddress& address);
    // Closes whatever host is open, then opens one that only connects out,
    // to at most `maxConnections` peers at once, from `local` (host 0: any
    // address; port 0: any port). For a program that speaks for many
    // clients, as a test or a benchmark of a server does.
    bool Open(std::size_t maxConnections, const SessionAddress& local = {});
    // Starts one more connection from the host Open made, greeted with
    // `greeting` (empty: the session's); `*peer` names it at once, and the
    // outcome comes later as an event. False when it cannot start.
    bool Dial(const SessionAddress& address, std::vector<uint8_t> greeting, SessionPeer* peer);
    // Ends a connection at once; the far side sees it disconnect.
    void Drop(SessionPeer peer);
    // Gives a hosted peer on trial a seat. False when it is gone, or when the
    // seats are taken: it is then disconnected as a full host turns one away.
    bool Admit(SessionPeer peer);
    // Queues `bytes` for `peer` and sends it at once. False when the peer is
    // gone or not yet connected, or `bytes` is empty or longer than
    // kMaxPacketBytes. With `now` false it leaves at the next Flush, or the
    // service thread's next turn: one pass over the peers for many sends.
    bool Send(SessionPeer peer, const std::vector<uint8_t>& bytes, SessionDelivery delivery,
              bool now = true);
    // Sends whatever is queued.
    void Flush();
    // The network layer's smoothed round trip to `peer`; -1 when it is gone.
    std::chrono::milliseconds RoundTrip(SessionPeer peer) const;
    // The port the open host listens on, 0 when none.
    uint16_t Port() const;
    // `peer`'s dotted address, to show who is playing; empty when it is gone.
    std::string PeerAddress(SessionPeer peer) const;
    // `peer`'s address and port; host 0 when it is gone.
    SessionAddress PeerEndpoint(SessionPeer peer) const;

    // "localhost", a host name or a dotted address. False if it does not
    // resolve. Blocks while a name server answers: call it off the frame.
    static bool Resolve(const std::string& name, uint16_t port, SessionAddress& out);

private:
    Session() = default;
    void Serve();
    // Wakes the service thread from its wait.
    void Nudge();
    // Waits at most the service period for a datagram on the open host, or a
    // nudge; the lock is not held.
    void Await(int socket);
    // Opens `host` as every kind does; false when the network layer cannot.
    bool OpenHost(const SessionAddress* local, std::size_t slots, std::size_t allowed, bool hosts);
    // One turn of the network host: its events, at most kMaxEventsPerTurn.
    void Collect(std::vector<SessionEvent>& events);
    void CloseHost();
    std::size_t Seated() const;
    // The connected peer `peer` names, or null.
    _ENetPeer* Find(SessionPeer peer) const;
    // Drops the peers whose trial ran out and those silent too long, telling
    // the handler through `events`.
    void DropOverdue(std::vector<SessionEvent>& events);
    // Sees every datagram the host being serviced receives, before the
    // network layer reads it, and notes when its sender was heard.
    static int NoteHeard(_ENetHost* host, _ENetEvent* event);

    mutable std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    _ENetHost* host = nullptr;
    std::size_t maxPeers = 0;
    uint16_t port = 0;
    std::vector<uint8_t> greeting;
    bool hosting = false;
    struct Connection {
        enum class Standing { None, OnTrial, Seated };
        Standing standing = Standing::None;
        uint32_t id = 0;
        // Packets it delivered so far.
        uint32_t delivered = 0;
        std::chrono::steady_clock::time_point connectedAt{};
        // When a datagram of any kind last came from it.
        std::chrono::steady_clock::time_point heardAt{};
    };
    // Per slot of the host: the connection in it.
    std::vector<Connection> connections;
    // Per slot of a host that dials: the greeting its connection opens with.
    std::vector<std::vector<uint8_t>> dialGreetings;
    // Sends queued from the handler leave together once its turn's events are done.
    bool unflushed = false;
    std::chrono::steady_clock::time_point overdueCheckedAt{};
    // Written to wake the service thread; read end first. -1 where no pipe opened.
    int nudge[2] = {-1, -1};
    Handler handler;
    std::thread service;
};

}  // namespace platform
