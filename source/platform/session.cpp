#include "platform/session.h"

#include <enet/enet.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

namespace platform {

namespace {

// How often the service thread turns the host over when nothing wakes it.
constexpr std::chrono::milliseconds kServicePeriod{5};
// A connect that is not answered is given up after this long (milliseconds).
// The network layer checks only when a resend falls due, and resend waits
// double, so it goes after about twice the maximum at most.
constexpr enet_uint32 kTimeoutMinimum = 3000;
constexpr enet_uint32 kTimeoutMaximum = 6000;
// A connected peer from which nothing at all has come for this long is given
// up: a live one answers the layer's pings, sent twice a second.
constexpr std::chrono::milliseconds kSilenceLimit{5000};
// The layer's own limits only back the silence up on a connection. With them
// as short as a connect's, one reliable message lost six times in a row
// dropped a live peer, while everything else was getting through: over a link
// that loses 10 % each way, about one 50-match test run in eight.
constexpr enet_uint32 kConnectedTimeoutLimit = 1024;
constexpr enet_uint32 kConnectedTimeout = 60000;
static_assert(Session::kAdmitDeadline < kSilenceLimit,
              "a peer that never greets must go before a vanished player would");
// The session whose host this thread is servicing, for NoteHeard.
thread_local Session* servicing = nullptr;
// The session whose handler this thread is running: its sends wait for the
// end of the turn, to leave in one pass over the peers.
thread_local const Session* handling = nullptr;
// Deadlines are seconds long: looking over every slot for them at each turn
// would cost a host of thousands of peers more than its traffic does.
constexpr std::chrono::milliseconds kOverduePeriod{20};
// One channel for every packet: an unreliable packet then never reaches the
// far side before a reliable one sent ahead of it, so a message that opens a
// phase always comes before those sent in it.
constexpr std::size_t kChannels = 1;
// No host name is longer (RFC 1035).
constexpr std::size_t kMaxNameLength = 253;
// Sent with the disconnect of a peer the host has no room for.
constexpr enet_uint32 kFullReason = 1;

void SendGreeting(ENetPeer* peer, const std::vector<uint8_t>& greeting) {
    if (greeting.empty()) {
        return;
    }
    ENetPacket* packet =
        enet_packet_create(greeting.data(), greeting.size(), ENET_PACKET_FLAG_RELIABLE);
    if (packet != nullptr && enet_peer_send(peer, 0, packet) < 0) {
        enet_packet_destroy(packet);
    }
}

}  // namespace

std::unique_ptr<Session> Session::Create() {
    if (enet_initialize() != 0) {
        return nullptr;
    }
    std::unique_ptr<Session> session(new Session);
    // Without the pipe the service thread still turns at its period.
    if (pipe2(session->nudge, O_NONBLOCK | O_CLOEXEC) != 0) {
        session->nudge[0] = session->nudge[1] = -1;
    }
    return session;
}

Session::~Session() {
    Stop();
    {
        std::lock_guard<std::mutex> guard(lock);
        CloseHost();
    }
    for (const int end : nudge) {
        if (end >= 0) {
            close(end);
        }
    }
    enet_deinitialize();
}

void Session::Nudge() {
    wake.notify_all();
    if (nudge[1] >= 0) {
        const uint8_t byte = 1;
        // A full pipe already wakes the thread.
        [[maybe_unused]] const ssize_t written = write(nudge[1], &byte, 1);
    }
}

void Session::Await(int socket) {
    if (nudge[0] < 0) {
        std::this_thread::sleep_for(kServicePeriod);
        return;
    }
    pollfd waits[2] = {{nudge[0], POLLIN, 0}, {socket, POLLIN, 0}};
    if (poll(waits, 2, static_cast<int>(kServicePeriod.count())) > 0 &&
        (waits[0].revents & POLLIN) != 0) {
        std::array<uint8_t, 64> drained{};
        while (read(nudge[0], drained.data(), drained.size()) > 0) {
        }
    }
}

bool Session::Initialize(Handler eventHandler) {
    std::lock_guard<std::mutex> guard(lock);
    if (service.joinable() || stopping || !eventHandler) {
        return false;
    }
    handler = std::move(eventHandler);
    try {
        service = std::thread(&Session::Serve, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void Session::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    Nudge();
    if (service.joinable()) {
        service.join();
    }
}

bool Session::SetGreeting(std::vector<uint8_t> bytes) {
    if (bytes.size() > kMaxPacketBytes) {
        return false;
    }
    std::lock_guard<std::mutex> guard(lock);
    greeting = std::move(bytes);
    return true;
}

bool Session::OpenHost(const SessionAddress* local, std::size_t slots, std::size_t allowed,
                       bool hosts) {
    if (slots == 0 || slots > kMaxSlots) {
        return false;
    }
    ENetAddress address{};
    if (local != nullptr) {
        address = ENetAddress{local->host, local->port};
    }
    host = enet_host_create(local != nullptr ? &address : nullptr, slots, kChannels, 0, 0);
    if (host == nullptr) {
        return false;
    }
    host->maximumPacketSize = kMaxPacketBytes;
    host->maximumWaitingData = kMaxWaitingBytes;
    host->intercept = NoteHeard;
    ENetAddress bound{};
    port = local != nullptr && enet_socket_get_address(host->socket, &bound) == 0 ? bound.port
           : local != nullptr                                                     ? local->port
                                                                                  : 0;
    maxPeers = allowed;
    hosting = hosts;
    connections.assign(host->peerCount, Connection{});
    dialGreetings.clear();
    Nudge();
    return true;
}

bool Session::Host(uint16_t listenPort, std::size_t maxRemote, std::size_t spareSlots) {
    std::lock_guard<std::mutex> guard(lock);
    CloseHost();
    const SessionAddress any{ENET_HOST_ANY, listenPort};
    return maxRemote <= kMaxSlots && spareSlots <= kMaxSlots &&
           OpenHost(&any, maxRemote + spareSlots, maxRemote, true);
}

bool Session::Connect(const SessionAddress& address) {
    std::lock_guard<std::mutex> guard(lock);
    CloseHost();
    // Nobody answers on the wildcard or the broadcast address.
    if (address.host == ENET_HOST_ANY || address.host == ENET_HOST_BROADCAST || address.port == 0) {
        return false;
    }
    if (!OpenHost(nullptr, 1, 1, false)) {
        return false;
    }
    ENetAddress remote{address.host, address.port};
    ENetPeer* peer = enet_host_connect(host, &remote, kChannels, 0);
    if (peer == nullptr) {
        CloseHost();
        return false;
    }
    enet_peer_timeout(peer, 0, kTimeoutMinimum, kTimeoutMaximum);
    enet_host_flush(host);
    return true;
}

bool Session::Open(std::size_t maxConnections, const SessionAddress& local) {
    std::lock_guard<std::mutex> guard(lock);
    CloseHost();
    if (!OpenHost(&local, maxConnections, maxConnections, false)) {
        return false;
    }
    dialGreetings.assign(host->peerCount, {});
    return true;
}

bool Session::Dial(const SessionAddress& address, std::vector<uint8_t> opening, SessionPeer* peer) {
    std::lock_guard<std::mutex> guard(lock);
    if (host == nullptr || hosting || dialGreetings.empty() || address.host == ENET_HOST_ANY ||
        address.host == ENET_HOST_BROADCAST || address.port == 0 ||
        opening.size() > kMaxPacketBytes) {
        return false;
    }
    ENetAddress remote{address.host, address.port};
    ENetPeer* dialed = enet_host_connect(host, &remote, kChannels, 0);
    if (dialed == nullptr) {
        return false;
    }
    enet_peer_timeout(dialed, 0, kTimeoutMinimum, kTimeoutMaximum);
    const auto slot = static_cast<uint16_t>(dialed - host->peers);
    dialGreetings[slot] = std::move(opening);
    *peer = SessionPeer{slot, dialed->connectID};
    if (handling != this) {
        enet_host_flush(host);
    } else {
        unflushed = true;
    }
    return true;
}

void Session::Drop(SessionPeer peer) {
    std::lock_guard<std::mutex> guard(lock);
    if (host == nullptr || peer.slot >= host->peerCount) {
        return;
    }
    ENetPeer* target = &host->peers[peer.slot];
    if (target->connectID == peer.connectId && target->state != ENET_PEER_STATE_DISCONNECTED) {
        enet_peer_disconnect_now(target, 0);
        connections[peer.slot] = Connection{};
    }
}

bool Session::Admit(SessionPeer peer) {
    std::lock_guard<std::mutex> guard(lock);
    if (host == nullptr || peer.slot >= host->peerCount) {
        return false;
    }
    Connection& connection = connections[peer.slot];
    if (connection.standing == Connection::Standing::None || connection.id != peer.connectId) {
        return false;
    }
    if (connection.standing == Connection::Standing::Seated) {
        return true;
    }
    if (Seated() >= maxPeers) {
        enet_peer_disconnect_now(&host->peers[peer.slot], kFullReason);
        connection = Connection{};
        return false;
    }
    connection.standing = Connection::Standing::Seated;
    return true;
}

std::size_t Session::Seated() const {
    std::size_t seated = 0;
    for (const Connection& connection : connections) {
        seated += connection.standing == Connection::Standing::Seated ? 1 : 0;
    }
    return seated;
}

void Session::DropOverdue(std::vector<SessionEvent>& events) {
    const auto now = std::chrono::steady_clock::now();
    if (now - overdueCheckedAt < kOverduePeriod) {
        return;
    }
    overdueCheckedAt = now;
    for (std::size_t slot = 0; slot < connections.size(); ++slot) {
        Connection& connection = connections[slot];
        const bool unadmitted = connection.standing == Connection::Standing::OnTrial &&
                                now - connection.connectedAt >= kAdmitDeadline;
        const bool silent = connection.standing != Connection::Standing::None &&
                            now - connection.heardAt >= kSilenceLimit;
        if (unadmitted || silent) {
            enet_peer_disconnect_now(&host->peers[slot], 0);
            events.push_back(SessionEvent{SessionEvent::Kind::Disconnected,
                                          {static_cast<uint16_t>(slot), connection.id},
                                          {},
                                          0});
            connection = Connection{};
        }
    }
}

int Session::NoteHeard(ENetHost* serviced, ENetEvent* /*event*/) {
    if (servicing == nullptr || servicing->host != serviced) {
        return 0;
    }
    // The datagram names the peer it is for; the layer itself takes it only
    // from that peer's address. One that names none (a connect) notes nobody.
    enet_uint16 named = 0;
    if (serviced->receivedDataLength < sizeof named) {
        return 0;
    }
    std::memcpy(&named, serviced->receivedData, sizeof named);
    const std::size_t slot = ENET_NET_TO_HOST_16(named) &
                             ~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK);
    const ENetAddress& from = serviced->receivedAddress;
    if (slot < serviced->peerCount) {
        const ENetPeer& peer = serviced->peers[slot];
        if (peer.state != ENET_PEER_STATE_DISCONNECTED && peer.address.host == from.host &&
            peer.address.port == from.port) {
            servicing->connections[slot].heardAt = std::chrono::steady_clock::now();
        }
    }
    // The layer reads it as it would have.
    return 0;
}

ENetPeer* Session::Find(SessionPeer peer) const {
    if (host == nullptr || peer.slot >= host->peerCount) {
        return nullptr;
    }
    ENetPeer* target = &host->peers[peer.slot];
    return target->connectID == peer.connectId && target->state == ENET_PEER_STATE_CONNECTED
               ? target
               : nullptr;
}

void Session::Flush() {
    std::lock_guard<std::mutex> guard(lock);
    if (host != nullptr) {
        enet_host_flush(host);
    }
}

bool Session::Send(SessionPeer peer, const std::vector<uint8_t>& bytes, SessionDelivery delivery,
                   bool now) {
    if (bytes.empty() || bytes.size() > kMaxPacketBytes) {
        return false;
    }
    std::lock_guard<std::mutex> guard(lock);
    ENetPeer* target = Find(peer);
    if (target == nullptr) {
        return false;
    }
    const enet_uint32 flags = delivery == SessionDelivery::Reliable ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (packet == nullptr) {
        return false;
    }
    if (enet_peer_send(target, 0, packet) < 0) {
        enet_packet_destroy(packet);
        return false;
    }
    if (now && handling != this) {
        enet_host_flush(host);
    } else {
        unflushed = true;
    }
    return true;
}

std::chrono::milliseconds Session::RoundTrip(SessionPeer peer) const {
    std::lock_guard<std::mutex> guard(lock);
    const ENetPeer* target = Find(peer);
    return std::chrono::milliseconds(target != nullptr ? static_cast<long>(target->roundTripTime)
                                                       : -1L);
}

std::string Session::PeerAddress(SessionPeer peer) const {
    std::lock_guard<std::mutex> guard(lock);
    const ENetPeer* target = Find(peer);
    std::array<char, 64> text{};
    if (target == nullptr ||
        enet_address_get_host_ip(&target->address, text.data(), text.size()) != 0) {
        return {};
    }
    return text.data();
}

SessionAddress Session::PeerEndpoint(SessionPeer peer) const {
    std::lock_guard<std::mutex> guard(lock);
    const ENetPeer* target = Find(peer);
    return target != nullptr ? SessionAddress{target->address.host, target->address.port}
                             : SessionAddress{};
}

uint16_t Session::Port() const {
    std::lock_guard<std::mutex> guard(lock);
    return host != nullptr ? port : 0;
}

bool Session::Resolve(const std::string& name, uint16_t toPort, SessionAddress& out) {
    if (name.empty() || name.size() > kMaxNameLength || name.find('\0') != std::string::npos) {
        return false;
    }
    ENetAddress address{};
    if (enet_address_set_host(&address, name.c_str()) != 0) {
        return false;
    }
    out.host = address.host;
    out.port = toPort;
    return true;
}

void Session::Serve() {
    std::vector<SessionEvent> events;
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping) {
        if (host == nullptr) {
            wake.wait(guard);
            continue;
        }
        Collect(events);
        const bool more = events.size() >= kMaxEventsPerTurn;
        guard.unlock();
        handling = this;
        for (const SessionEvent& event : events) {
            handler(event);
        }
        handling = nullptr;
        events.clear();
        guard.lock();
        if (unflushed && host != nullptr) {
            enet_host_flush(host);
        }
        unflushed = false;
        if (!more && !stopping && host != nullptr) {
            const int socket = host->socket;
            guard.unlock();
            Await(socket);
            guard.lock();
        }
    }
}

void Session::Collect(std::vector<SessionEvent>& events) {
    // Before the host is serviced: every packet handed over in earlier turns
    // has been judged by now, so a greeting that came in time is never
    // overtaken by the deadline.
    DropOverdue(events);
    servicing = this;
    ENetEvent event;
    while (events.size() < kMaxEventsPerTurn && enet_host_service(host, &event, 0) > 0) {
        const auto slot = static_cast<uint16_t>(event.peer - host->peers);
        Connection& connection = connections[slot];
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT: {
                if (Seated() >= maxPeers) {
                    enet_peer_disconnect_now(event.peer, kFullReason);
                    break;
                }
                // The peer we connected to is the one we asked for.
                const auto now = std::chrono::steady_clock::now();
                connection = Connection{
                    hosting ? Connection::Standing::OnTrial : Connection::Standing::Seated,
                    event.peer->connectID, 0, now, now};
                enet_peer_timeout(event.peer, kConnectedTimeoutLimit, kConnectedTimeout,
                                  kConnectedTimeout);
                if (slot < dialGreetings.size() && !dialGreetings[slot].empty()) {
                    SendGreeting(event.peer, dialGreetings[slot]);
                    dialGreetings[slot].clear();
                    dialGreetings[slot].shrink_to_fit();
                } else {
                    SendGreeting(event.peer, greeting);
                }
                events.push_back(
                    SessionEvent{SessionEvent::Kind::Connected, {slot, connection.id}, {}, 0});
                break;
            }
            case ENET_EVENT_TYPE_DISCONNECT:
                // The network layer has already cleared the peer's own id.
                events.push_back(
                    SessionEvent{SessionEvent::Kind::Disconnected, {slot, connection.id}, {}, 0});
                connection = Connection{};
                break;
            case ENET_EVENT_TYPE_RECEIVE: {
                const ENetPacket* packet = event.packet;
                if (packet->dataLength > kMaxPacketBytes) {
                    // The layer below should never pass one on; a peer that
                    // manages it is not one to keep.
                    enet_packet_destroy(event.packet);
                    enet_peer_disconnect_now(event.peer, 0);
                    connection = Connection{};
                    break;
                }
                events.push_back(SessionEvent{SessionEvent::Kind::Received,
                                              {slot, connection.id},
                                              {packet->data, packet->data + packet->dataLength},
                                              connection.delivered,
                                              (packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0
                                                  ? SessionDelivery::Reliable
                                                  : SessionDelivery::Unreliable});
                if (connection.delivered < std::numeric_limits<uint32_t>::max()) {
                    ++connection.delivered;
                }
                enet_packet_destroy(event.packet);
                break;
            }
            case ENET_EVENT_TYPE_NONE:
                break;
        }
    }
    enet_host_flush(host);
    servicing = nullptr;
}

void Session::CloseHost() {
    if (host == nullptr) {
        return;
    }
    // Goodbyes go out now, so the far side need not wait for its timeout.
    for (std::size_t i = 0; i < host->peerCount; ++i) {
        if (host->peers[i].state != ENET_PEER_STATE_DISCONNECTED) {
            enet_peer_disconnect_now(&host->peers[i], 0);
        }
    }
    enet_host_destroy(host);
    host = nullptr;
    port = 0;
    connections.clear();
    dialGreetings.clear();
}

}  // namespace platform
