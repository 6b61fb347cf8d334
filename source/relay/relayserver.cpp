#include "relay/relayserver.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <utility>

namespace {

using platform::SessionDelivery;
using platform::SessionEvent;
using platform::SessionPeer;

// A client is its connection: the slot and the connection's id, with a bit
// above both so that no client is 0, which the table keeps for "nobody".
RelayClient ClientOf(SessionPeer peer) {
    return (uint64_t{1} << 48) | (uint64_t{peer.connectId} << 16) | peer.slot;
}

SessionPeer PeerOf(RelayClient client) {
    return SessionPeer{static_cast<uint16_t>(client & 0xFFFF), static_cast<uint32_t>(client >> 16)};
}

bool Grants(RelayAnswer answer) {
    return answer == RelayAnswer::Created || answer == RelayAnswer::Joined ||
           answer == RelayAnswer::Watching;
}

}  // namespace

C_RelayServer::C_RelayServer(const RelayLimits& limitsIn,
                             std::function<void(const std::string&)> log)
    : limits(limitsIn),
      started(std::chrono::steady_clock::now()),
      table(
          limitsIn, kRelayProtocol,
          [random = std::make_shared<std::random_device>()] { return (*random)(); },
          std::move(log)) {}

C_RelayServer::~C_RelayServer() {
    Stop();
}

bool C_RelayServer::Start(uint16_t port) {
    if (session) {
        return false;
    }
    session = platform::Session::Create();
    if (!session || !session->Host(port, kMaxConnections, kTrialSlots) ||
        !session->Initialize([this](const SessionEvent& event) { OnEvent(event); })) {
        session.reset();
        return false;
    }
    expiry = std::thread(&C_RelayServer::ExpireRooms, this);
    return true;
}

void C_RelayServer::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    if (expiry.joinable()) {
        expiry.join();
    }
    if (session) {
        session->Stop();
    }
}

uint16_t C_RelayServer::Port() const {
    return session ? session->Port() : 0;
}

std::size_t C_RelayServer::Rooms() const {
    std::lock_guard<std::mutex> guard(lock);
    return table.Rooms();
}

std::size_t C_RelayServer::Dropped() const {
    std::lock_guard<std::mutex> guard(lock);
    return table.Dropped() + marked;
}

double C_RelayServer::Now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void C_RelayServer::ExpireRooms() {
    // Often enough that a room goes within a few percent of its time.
    const auto period = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::duration<double>(std::clamp(limits.emptyRoomSeconds / 16.0, 0.01, 1.0)));
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping) {
        wake.wait_for(guard, period);
        table.Expire(Now());
    }
}

void C_RelayServer::OnEvent(const SessionEvent& event) {
    const RelayClient client = ClientOf(event.peer);
    switch (event.kind) {
        case SessionEvent::Kind::Connected:
            // On trial until its greeting asks for something it may have.
            break;
        case SessionEvent::Kind::Disconnected:
            Gone(client);
            break;
        case SessionEvent::Kind::Received:
            if (event.sequence == 0) {
                Request(client, event.peer, event.data);
            } else {
                Forward(client, event);
            }
            break;
    }
}

void C_RelayServer::Say(RelayClient client, const C_RelayMessage& message,
                        SessionDelivery delivery) {
    session->Send(PeerOf(client), message.Encode(), delivery);
}

void C_RelayServer::Request(RelayClient client, SessionPeer peer,
                            const std::vector<uint8_t>& data) {
    C_RelayMessage request;
    // Anything else as a greeting gets no answer: the trial ends it.
    if (!C_RelayMessage::Decode(data, request) ||
        (request.kind != C_RelayMessage::CREATE && request.kind != C_RelayMessage::JOIN &&
         request.kind != C_RelayMessage::WATCH)) {
        return;
    }
    const uint32_t address = session->PeerEndpoint(peer).host;
    std::lock_guard<std::mutex> guard(lock);
    const double now = Now();
    std::string code;
    RelayAnswer answer = RelayAnswer::NoSuchRoom;
    switch (request.kind) {
        case C_RelayMessage::CREATE:
            answer = table.Create(client, address, request.protocol, now, &code);
            break;
        case C_RelayMessage::JOIN:
            answer = table.Join(client, address, request.code, request.protocol, now);
            code = NormalRoomCode(request.code);
            break;
        default:
            answer = table.Watch(client, address, request.code, request.protocol, now);
            code = NormalRoomCode(request.code);
            break;
    }
    C_RelayMessage reply;
    reply.kind = C_RelayMessage::ANSWER;
    reply.answer = answer;
    if (Grants(answer)) {
        if (!session->Admit(peer)) {
            // Every seat is taken; the connection is already gone.
            table.Leave(client, now);
            return;
        }
        reply.code = code;
    }
    Say(client, reply);
    C_RoomTable::Members members;
    if (answer == RelayAnswer::Joined && table.MembersOf(client, &members)) {
        C_RelayMessage paired;
        paired.kind = C_RelayMessage::PAIRED;
        for (uint8_t seat = 0; seat < 2; ++seat) {
            paired.seat = seat;
            Say(members.players[seat], paired);
        }
    }
}

void C_RelayServer::Forward(RelayClient client, const SessionEvent& event) {
    std::lock_guard<std::mutex> guard(lock);
    C_RoomTable::Members members;
    if (!table.MembersOf(client, &members) || members.seat < 0) {
        return;
    }
    if (C_RelayMessage::IsMarked(event.data)) {
        ++marked;
        return;
    }
    const RelayClient other = members.players[1 - members.seat];
    C_RelayMessage from;
    for (const RelayClient to : table.Recipients(client, event.data.size())) {
        if (to == other) {
            session->Send(PeerOf(to), event.data, event.delivery);
            continue;
        }
        if (from.payload.empty()) {
            from.kind = C_RelayMessage::FROM;
            from.seat = static_cast<uint8_t>(members.seat);
            from.payload = event.data;
        }
        Say(to, from, event.delivery);
    }
}

void C_RelayServer::Gone(RelayClient client) {
    std::lock_guard<std::mutex> guard(lock);
    C_RoomTable::Members members;
    if (!table.MembersOf(client, &members)) {
        return;
    }
    table.Leave(client, Now());
    if (members.seat < 0) {
        return;
    }
    C_RelayMessage left;
    left.kind = C_RelayMessage::LEFT;
    left.seat = static_cast<uint8_t>(members.seat);
    const RelayClient other = members.players[1 - members.seat];
    if (other != 0) {
        Say(other, left);
    }
    for (const RelayClient watcher : members.watchers) {
        Say(watcher, left);
    }
}
