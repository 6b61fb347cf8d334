#include "net/net.h"

#include <new>
#include <utility>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "platform/session.h"

C_Net::C_Net(uint16_t sessionPort) : port(sessionPort) {}

C_Net::~C_Net() {
    Release();
}

void C_Net::Release() {
    // The service thread goes first: it calls back into this object.
    if (peer) {
        peer->Stop();
    }
    hostAddress.reset();
    deviceAddress.reset();
    peer.reset();
    applicationDescription.sessionName.clear();
    playerInformation.name.clear();
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
    if (peer && !peer->SetGreeting(C_Hello{kApplicationGuid, playerInformation.name}.Encode())) {
        DXError("net", __LINE__, E_FAIL, "Failed to set peer info");
    }
    // Every player but this one is remote.
    if (peer && deviceAddress && !peer->Host(deviceAddress->port, kMaxPlayers - 1)) {
        DXError("net", __LINE__, E_FAIL, "Failed to host game");
    }
    isHost = 1;
    return 1;
}

int C_Net::Join(std::string hostName) {
    applicationDescription = C_ApplicationDesc{kApplicationGuid, 0, ""};
    playerInformation = C_PlayerInfo{"joiner"};
    checksPeers = false;
    if (peer && !peer->SetGreeting(C_Hello{kApplicationGuid, playerInformation.name}.Encode())) {
        DXError("net", __LINE__, E_FAIL, "Failed to set peer info");
    }
    if (hostAddress && !platform::Session::Resolve(hostName, port, *hostAddress)) {
        DXError("net", __LINE__, E_FAIL, "Failed to add hostname component");
    }
    // An address that never resolved names no one: the connect cannot start.
    if (peer && hostAddress && !peer->Connect(*hostAddress)) {
        DXError("net", __LINE__, E_FAIL, "Failed to connect");
    }
    isHost = 0;
    return 0;
}

uint16_t C_Net::GetHostPort() const {
    return peer ? peer->Port() : 0;
}

void C_Net::OnEvent(const platform::SessionEvent& event) {
    if (checksPeers && event.kind == platform::SessionEvent::Kind::Received) {
        // A peer says hello once, with our application's GUID; anything
        // else is not a player of ours. Only that hello earns the seat; a peer
        // that never sends one is given up by the session.
        C_Hello hello;
        if (event.sequence != 0 || !C_Hello::Decode(event.data, hello) ||
            hello.guid != kApplicationGuid) {
            peer->Drop(event.peer);
        } else {
            // False when another player took the seat first; the session has
            // then turned this one away.
            peer->Admit(event.peer);
        }
    }
    ++messages;
    DirectPlayMessageHandler(this, static_cast<uint32_t>(event.kind), &event);
}

HRESULT C_Net::DirectPlayMessageHandler(void*, uint32_t, const void*) {
    if (g_pConsole != nullptr) {
        g_pConsole->AddLine("DirectPlayMessageHandler got a message.");
    }
    return S_OK;
}
