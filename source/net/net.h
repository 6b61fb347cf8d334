#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/hresult.h"
#include "net/hello.h"

namespace platform {
class Session;
struct SessionAddress;
struct SessionEvent;
}  // namespace platform

// What a session is opened with; the joiner fills in only the GUID.
struct C_ApplicationDesc {
    C_Hello::Guid guidApplication{};
    int32_t maxPlayers = 0;
    std::string sessionName;
};

struct C_PlayerInfo {
    std::string name;
};

// The two-player peer session, started from the console.
class C_Net {
public:
    // The port the host listens on and the joiner connects to. Open it (UDP)
    // in a firewall on the hosting machine.
    static constexpr uint16_t kDefaultPort = 27420;
    static constexpr C_Hello::Guid kApplicationGuid = {0xD1, 0x05, 0x06, 0x05, 0x6F, 0xB3,
                                                       0x4F, 0x8D, 0xAA, 0x50, 0xB9, 0xE8,
                                                       0xB4, 0x70, 0x9D, 0xEA};
    static constexpr int32_t kMaxPlayers = 2;

    // Tests pass a port of their own; 0 hosts on one the system picks.
    explicit C_Net(uint16_t port = kDefaultPort);
    // Stops the session's thread before anything it touches goes, then
    // releases the host address, the device address and the peer.
    ~C_Net();
    C_Net(const C_Net&) = delete;
    C_Net& operator=(const C_Net&) = delete;

    // Makes the peer and its addresses; each failure is reported and the
    // remaining steps still run. Run again, it closes the old session first.
    void Init();
    // Every step of Host and Join needs the peer or an address; without them
    // they only mark which side this is.
    // Hosts a session; always returns 1 and marks this side the host.
    int Host();
    // Connects to the session on `hostName`; always returns 0. The outcome
    // arrives later as a message.
    int Join(std::string hostName);

    // Called once for every session event; prints the one line all events print.
    static HRESULT DirectPlayMessageHandler(void* userContext, uint32_t messageType,
                                            const void* message);

    bool IsHost() const { return isHost != 0; }
    // Messages handled since construction, from any thread.
    int GetMessageCount() const { return messages.load(); }
    // The port this side's host listens on; 0 when it hosts nothing.
    uint16_t GetHostPort() const;

private:
    void Release();
    // Runs on the session's thread.
    void OnEvent(const platform::SessionEvent& event);

    std::unique_ptr<platform::Session> peer;
    std::unique_ptr<platform::SessionAddress> deviceAddress;
    std::unique_ptr<platform::SessionAddress> hostAddress;
    C_ApplicationDesc applicationDescription;
    C_PlayerInfo playerInformation;
    int isHost = 0;

    uint16_t port;
    // Set while this side hosts: the host turns away peers that are not ours.
    std::atomic<bool> checksPeers{false};
    std::atomic<int> messages{0};
};
