#include "net/net.h"

#include <new>
#include <utility>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "platform/clock.h"
#include "platform/machine.h"
#include "store/playername.h"
#include "store/settings.h"

static_assert(C_MatchMessage::Length(C_MatchMessage::SNAPSHOT) <=
                  platform::Session::kMaxPacketBytes,
              "a snapshot must fit in one packet");
static_assert(C_MatchMessage::Length(C_MatchMessage::SNAPSHOT) <= C_RelayMessage::kMaxPayload,
              "a relay passes a snapshot on whole");

namespace {

double ClockSeconds() {
    platform::ClockSource& clock = platform::Clock();
    return static_cast<double>(clock.Counter()) / static_cast<double>(clock.Frequency());
}

void Say(const std::string& line) {
    if (g_pConsole != nullptr) {
        g_pConsole->AddLine(line);
    }
}

}  // namespace

C_Net::C_Net(uint16_t sessionPort, platform::NameLookup::Resolver resolver)
    : port(sessionPort), lookup(std::move(resolver)) {}

C_Net::~C_Net() {
    Release();
}

void C_Net::Release() {
    // The service thread goes first: it calls back into this object.
    if (peer) {
        peer->Stop();
    }
    lookup.Cancel();
    ForgetPeer();
    state = LinkState::Idle;
    {
        std::lock_guard<std::mutex> guard(inboxLock);
        inbox.clear();
        inboxFull = false;
    }
    hostAddress.reset();
    deviceAddress.reset();
    peer.reset();
    applicationDescription.sessionName.clear();
    playerInformation.name.clear();
    relayMode = false;
    relayPeer = {};
    relayConnected = false;
    roomCode.clear();
    paired = false;
    peerGreeted = false;
    watched.clear();
}

void C_Net::Init() {
    Release();
    peer = platform::Session::Create();
    if (!peer) {
        DXError("net", __LINE__, E_FAIL, "Couldn't Create DPlayPeer");
    }
    if (peer &&
        !peer->Initialize([this](const platform::SessionEvent& event) { OnEvent(event); })) {
        DXError("net", __LINE__, E_FAIL, "Failed to init Message Handler");
    }
    // The device is every local interface at the session's port; a host
    // address gets its name when a join resolves one.
    deviceAddress.reset(new (std::nothrow) platform::SessionAddress{0, port});
    if (!deviceAddress) {
        DXError("net", __LINE__, E_OUTOFMEMORY, "Failed to create device address");
    }
    hostAddress.reset(new (std::nothrow) platform::SessionAddress{0, port});
    if (!hostAddress) {
        DXError("net", __LINE__, E_OUTOFMEMORY, "Failed to Create Host Address");
    }
}

int C_Net::Host() {
    applicationDescription = C_ApplicationDesc{kApplicationGuid, kMaxPlayers, "lumora"};
    playerInformation = C_PlayerInfo{"host"};
    checksPeers = true;
    relayMode = false;
    refusal.clear();
    if (peer && !peer->SetGreeting(C_Hello{kApplicationGuid, playerInformation.name}.Encode())) {
        DXError("net", __LINE__, E_FAIL, "Failed to set peer info");
    }
    // Every player but this one is remote.
    // Hosting closes whatever this side joined or was joining.
    lookup.Cancel();
    ForgetPeer();
    state = LinkState::Idle;
    if (peer && deviceAddress && !peer->Host(deviceAddress->port, kMaxPlayers - 1)) {
        DXError("net", __LINE__, E_FAIL, "Failed to host game");
    } else if (peer && deviceAddress) {
        state = LinkState::Hosting;
        hostedAt = platform::MachineAddress();
    }
    isHost = 1;
    return 1;
}

int C_Net::Join(std::string hostName) {
    applicationDescription = C_ApplicationDesc{kApplicationGuid, 0, ""};
    playerInformation = C_PlayerInfo{"joiner"};
    checksPeers = false;
    relayMode = false;
    refusal.clear();
    if (peer && !peer->SetGreeting(C_Hello{kApplicationGuid, playerInformation.name}.Encode())) {
        DXError("net", __LINE__, E_FAIL, "Failed to set peer info");
    }
    joinedName = hostName;
    // A name server can take seconds to answer: the frame goes on meanwhile.
    if (hostAddress) {
        if (lookup.Start(std::move(hostName), port)) {
            state = LinkState::LookingUp;
        } else {
            DXError("net", __LINE__, E_FAIL, "Failed to add hostname component");
            FinishLookup();
        }
    }
    isHost = 0;
    return 0;
}

void C_Net::Update() {
    if (state == LinkState::LookingUp) {
        platform::SessionAddress resolved;
        switch (lookup.Take(resolved)) {
            case platform::NameLookup::State::LookingUp:
                break;
            case platform::NameLookup::State::Found:
                *hostAddress = resolved;
                FinishLookup();
                break;
            case platform::NameLookup::State::Failed:
                if (relayMode) {
                    LeaveRelay("Could not find the relay " + relayName + ".");
                    break;
                }
                DXError("net", __LINE__, E_FAIL, "Failed to add hostname component");
                FinishLookup();
                break;
            case platform::NameLookup::State::Idle:
                state = LinkState::Idle;
                break;
        }
    }
    std::vector<Inbound> arrived;
    {
        std::lock_guard<std::mutex> guard(inboxLock);
        arrived.swap(inbox);
        inboxFull = false;
    }
    for (const Inbound& inbound : arrived) {
        Take(inbound);
    }
    // After the news, so that a frame held up here reads what came meanwhile.
    const bool due = link && state == LinkState::Connected && link->PeerPlaying();
    if (due) {
        const double now = ClockSeconds();
        if (!snapshotsDue) {
            lastSnapshot = now;
        } else if (now - lastSnapshot > static_cast<double>(kPeerSilence.count())) {
            DropPeer("no word from them in " + std::to_string(kPeerSilence.count()) +
                     " seconds of the match");
        }
    }
    snapshotsDue = due;
}

void C_Net::FinishLookup() {
    ForgetPeer();
    state = LinkState::Idle;
    // An address that never resolved names no one: the connect cannot start.
    if (peer && hostAddress && !peer->Connect(*hostAddress)) {
        DXError("net", __LINE__, E_FAIL, "Failed to connect");
    } else if (peer && hostAddress) {
        state = LinkState::Connecting;
    }
}

void C_Net::Take(const Inbound& inbound) {
    if (relayMode) {
        TakeRelayed(inbound);
        return;
    }
    if (inbound.kind == Inbound::Joined) {
        OpenLink(inbound.peer);
        return;
    }
    // News of a player forgotten since is stale.
    if (!link || inbound.peer.slot != linkPeer.slot ||
        inbound.peer.connectId != linkPeer.connectId) {
        return;
    }
    switch (inbound.kind) {
        case Inbound::Left:
            link->PeerGone();
            state = LinkState::PeerLost;
            linkPeer = {};
            break;
        case Inbound::Overflowed:
            DropPeer("more messages than the game could read");
            break;
        case Inbound::Message: {
            const uint32_t snapshots = link->GetSnapshotsReceived();
            std::string fault;
            if (!link->Receive(inbound.bytes, fault)) {
                DropPeer(fault);
            } else if (link->GetSnapshotsReceived() != snapshots) {
                lastSnapshot = ClockSeconds();
            }
            break;
        }
        case Inbound::Joined:
            break;
    }
}

void C_Net::ForgetPeer() {
    link.reset();
    linkPeer = {};
    lastSnapshot = 0.0;
    snapshotsDue = false;
}

void C_Net::DropPeer(const std::string& reason) {
    if (peer) {
        peer->Drop(linkPeer);
    }
    if (g_pConsole != nullptr) {
        g_pConsole->AddLine("Dropped the other player: " + reason + ".");
    }
    linkPeer = {};
    link->PeerGone();
    state = LinkState::PeerLost;
}

std::chrono::milliseconds C_Net::RoundTrip() const {
    return peer && link && state == LinkState::Connected ? peer->RoundTrip(linkPeer)
                                                         : std::chrono::milliseconds(-1);
}

std::chrono::duration<double> C_Net::SinceLastSnapshot() const {
    return std::chrono::duration<double>(ClockSeconds() - lastSnapshot);
}

std::string C_Net::PeerName() const {
    if (link && !link->GetPeerName().empty()) {
        return link->GetPeerName();
    }
    // Through a relay the address is the relay's, which names nobody.
    if (isHost == 0 || relayMode) {
        return joinedName;
    }
    return link && peer ? peer->PeerAddress(linkPeer) : std::string();
}

uint16_t C_Net::GetHostPort() const {
    return peer ? peer->Port() : 0;
}

void C_Net::OnEvent(const platform::SessionEvent& event) {
    using Kind = platform::SessionEvent::Kind;
    // The relay's answers and the player's datagrams it passes on are all
    // read on the main thread, quietly.
    if (relayMode && event.kind == Kind::Received) {
        Deliver(Inbound{Inbound::Message, event.peer, event.data});
        return;
    }
    if (relayMode && event.kind == Kind::Connected) {
        Deliver(Inbound{Inbound::Joined, event.peer, {}});
    }
    // After the hello, a player's packets are the match's: they go to the
    // main thread, and print nothing unless they are at fault.
    if (event.kind == Kind::Received && event.sequence != 0) {
        Deliver(Inbound{Inbound::Message, event.peer, event.data});
        return;
    }
    if (checksPeers && event.kind == Kind::Received) {
        // A peer says hello once, with our application's GUID; anything
        // else is not a player of ours. Only that hello earns the seat; a peer
        // that never sends one is given up by the session.
        C_Hello hello;
        if (!C_Hello::Decode(event.data, hello) || hello.guid != kApplicationGuid) {
            peer->Drop(event.peer);
        } else if (peer->Admit(event.peer)) {
            Deliver(Inbound{Inbound::Joined, event.peer, {}});
        }
        // Otherwise another player took the seat first; the session has then
        // turned this one away.
    } else if (!checksPeers && !relayMode && event.kind == Kind::Connected) {
        // The host a join reaches is the player.
        Deliver(Inbound{Inbound::Joined, event.peer, {}});
    } else if (event.kind == Kind::Disconnected) {
        Deliver(Inbound{Inbound::Left, event.peer, {}});
    }
    ++messages;
    DirectPlayMessageHandler(this, static_cast<uint32_t>(event.kind), &event);
}

void C_Net::Deliver(Inbound inbound) {
    std::lock_guard<std::mutex> guard(inboxLock);
    if (inboxFull) {
        return;
    }
    if (inbox.size() >= kMaxInbox) {
        peer->Drop(inbound.peer);
        inbound = Inbound{Inbound::Overflowed, inbound.peer, {}};
        inboxFull = true;
    }
    inbox.push_back(std::move(inbound));
}

HRESULT C_Net::DirectPlayMessageHandler(void*, uint32_t, const void*) {
    if (g_pConsole != nullptr) {
        g_pConsole->AddLine("DirectPlayMessageHandler got a message.");
    }
    return S_OK;
}

void C_Net::CreateRoom(const std::string& relay) {
    StartRelay(C_RelayMessage::CREATE, relay, "");
}

void C_Net::JoinRoom(const std::string& relay, const std::string& code) {
    StartRelay(C_RelayMessage::JOIN, relay, code);
}

void C_Net::WatchRoom(const std::string& relay, const std::string& code) {
    StartRelay(C_RelayMessage::WATCH, relay, code);
}

void C_Net::StartRelay(C_RelayMessage::Kind kind, const std::string& relay,
                       const std::string& code) {
    // Whatever this side hosted, joined or was in goes.
    lookup.Cancel();
    ForgetPeer();
    state = LinkState::Idle;
    applicationDescription = C_ApplicationDesc{kApplicationGuid, 0, ""};
    playerInformation = C_PlayerInfo{kind == C_RelayMessage::CREATE ? "host" : "joiner"};
    checksPeers = false;
    relayMode = true;
    relayRequest = kind;
    relayPeer = {};
    relayConnected = false;
    roomCode.clear();
    refusal.clear();
    paired = false;
    peerGreeted = false;
    watched.clear();
    isHost = kind == C_RelayMessage::CREATE ? 1 : 0;
    std::string host;
    uint16_t relayPort = kRelayDefaultPort;
    if (!ParseHostPort(relay, kRelayDefaultPort, host, relayPort)) {
        LeaveRelay(relay.empty() ? "No relay is set: name one in the settings."
                                 : "\"" + relay + "\" is not a relay's HOST or HOST:PORT.");
        return;
    }
    relayName = host;
    joinedName.clear();
    C_RelayMessage request;
    request.kind = kind;
    request.code = kind == C_RelayMessage::CREATE ? "" : code;
    const std::vector<uint8_t> greeting = request.Encode();
    if (greeting.empty()) {
        // Only a code of the alphabet can name a room.
        LeaveRelay(SayRelayAnswer(RelayAnswer::NoSuchRoom));
        return;
    }
    if (peer && !peer->SetGreeting(greeting)) {
        DXError("net", __LINE__, E_FAIL, "Failed to set peer info");
    }
    if (hostAddress) {
        if (lookup.Start(host, relayPort)) {
            state = LinkState::LookingUp;
        } else {
            LeaveRelay("Could not find the relay " + relayName + ".");
        }
    }
}

void C_Net::LeaveRelay(const std::string& why) {
    if (peer && relayConnected) {
        peer->Drop(relayPeer);
    }
    ForgetPeer();
    relayPeer = {};
    relayConnected = false;
    paired = false;
    peerGreeted = false;
    state = LinkState::Idle;
    refusal = why;
    Say(why);
}

void C_Net::TakeRelayed(const Inbound& inbound) {
    if (inbound.kind == Inbound::Joined) {
        // The relay is reached; its answer to the request comes next.
        relayPeer = inbound.peer;
        relayConnected = true;
        return;
    }
    // News of a connection left since is stale; a connect that never came
    // ends with news of a connection that had no number yet.
    const bool ours = relayConnected ? inbound.peer.slot == relayPeer.slot &&
                                           inbound.peer.connectId == relayPeer.connectId
                                     : inbound.kind == Inbound::Left;
    if (!ours || state == LinkState::Idle) {
        return;
    }
    switch (inbound.kind) {
        case Inbound::Left:
            if (!relayConnected) {
                LeaveRelay("Could not reach the relay " + relayName + ".");
            } else if (link) {
                // The relay gone takes the other player with it.
                link->PeerGone();
                linkPeer = {};
                relayPeer = {};
                relayConnected = false;
                state = LinkState::PeerLost;
            } else {
                LeaveRelay("The relay closed the connection.");
            }
            break;
        case Inbound::Overflowed:
            if (link) {
                DropPeer("more messages than the game could read");
            } else {
                LeaveRelay("The relay sent more than the game could read.");
            }
            break;
        case Inbound::Message: {
            C_RelayMessage message;
            if (!C_RelayMessage::IsMarked(inbound.bytes)) {
                TakePassedOn(inbound.bytes);
            } else if (C_RelayMessage::Decode(inbound.bytes, message)) {
                TakeFromRelay(message);
            } else {
                LeaveRelay("The relay said something this game cannot read.");
            }
            break;
        }
        case Inbound::Joined:
            break;
    }
}

void C_Net::TakeFromRelay(const C_RelayMessage& message) {
    const bool watching = relayRequest == C_RelayMessage::WATCH;
    switch (message.kind) {
        case C_RelayMessage::ANSWER: {
            const std::string refused = SayRelayAnswer(message.answer);
            if (!refused.empty()) {
                LeaveRelay(refused);
                break;
            }
            roomCode = message.code;
            if (message.answer == RelayAnswer::Created) {
                state = LinkState::InRoom;
                // One line to read out, or for a script to read.
                Say("Room code: " + roomCode);
            } else if (message.answer == RelayAnswer::Watching) {
                state = LinkState::Watching;
                Say("Watching room " + roomCode + ".");
            } else {
                Say("Joined room " + roomCode + ".");
            }
            break;
        }
        case C_RelayMessage::PAIRED:
            if (watching) {
                break;
            }
            // A room's second player, maybe after another left: the match
            // starts over from the hellos.
            ForgetPeer();
            paired = true;
            isHost = message.seat == 0 ? 1 : 0;
            state = LinkState::Connecting;
            if (peer) {
                peer->Send(relayPeer,
                           C_Hello{kApplicationGuid, isHost != 0 ? "host" : "joiner"}.Encode(),
                           platform::SessionDelivery::Reliable);
            }
            if (peerGreeted) {
                LinkThroughRelay();
            }
            break;
        case C_RelayMessage::LEFT:
            if (watching) {
                Watch(Watched{message.seat, true, {}});
                break;
            }
            paired = false;
            peerGreeted = false;
            if (link) {
                link->PeerGone();
                linkPeer = {};
            }
            state = LinkState::PeerLost;
            Say("The other player left the room.");
            break;
        case C_RelayMessage::FROM:
            if (watching) {
                Watch(Watched{message.seat, false, message.payload});
            }
            break;
        case C_RelayMessage::CREATE:
        case C_RelayMessage::JOIN:
        case C_RelayMessage::WATCH:
            break;
    }
}

void C_Net::TakePassedOn(const std::vector<uint8_t>& bytes) {
    if (relayRequest == C_RelayMessage::WATCH) {
        // A watcher hears the players only as FROM.
        return;
    }
    if (link) {
        const uint32_t snapshots = link->GetSnapshotsReceived();
        std::string fault;
        if (!link->Receive(bytes, fault)) {
            DropPeer(fault);
        } else if (link->GetSnapshotsReceived() != snapshots) {
            lastSnapshot = ClockSeconds();
        }
        return;
    }
    // Before the match, only the other player's hello belongs.
    C_Hello hello;
    if (!C_Hello::Decode(bytes, hello) || hello.guid != kApplicationGuid || peerGreeted) {
        LeaveRelay("The other player is not playing this game.");
        return;
    }
    peerGreeted = true;
    if (paired) {
        LinkThroughRelay();
    }
}

void C_Net::LinkThroughRelay() {
    OpenLink(relayPeer);
}

void C_Net::OpenLink(platform::SessionPeer to) {
    ForgetPeer();
    linkPeer = to;
    const MatchRole role = isHost != 0 ? MatchRole::Host : MatchRole::Joiner;
    platform::Session* session = peer.get();
    link = std::make_unique<C_MatchLink>(
        role, [session, to](const std::vector<uint8_t>& bytes, bool reliable) {
            // A player gone by now hears nothing: the match learns of it
            // from the session, as a player lost.
            session->Send(to, bytes,
                          reliable ? platform::SessionDelivery::Reliable
                                   : platform::SessionDelivery::Unreliable);
        });
    link->SendName(playerName.empty() ? DefaultPlayerName("") : playerName);
    state = LinkState::Connected;
}

void C_Net::Watch(Watched news) {
    // A screen that stops reading loses the oldest news, not the newest.
    if (watched.size() >= kMaxInbox) {
        watched.pop_front();
    }
    watched.push_back(std::move(news));
}

bool C_Net::TakeWatched(Watched& out) {
    if (watched.empty()) {
        return false;
    }
    out = std::move(watched.front());
    watched.pop_front();
    return true;
}
