#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/relaymessage.h"
#include "platform/session.h"
#include "relay/roomtable.h"

// The relay on the network: each connection's greeting asks for a room, and
// from the pairing on a player's datagrams reach the other player unchanged
// and the room's watchers wrapped in FROM. A connection is on trial until its
// request is granted; one refused is left on trial, so its answer arrives and
// the trial's deadline then ends it.
class C_RelayServer {
public:
    // One host holds every connection: the most the network layer numbers,
    // less the slots kept for connections on trial.
    static constexpr std::size_t kTrialSlots = 95;
    static constexpr std::size_t kMaxConnections = platform::Session::kMaxSlots - kTrialSlots;

    // `log` takes one line per room event (from the service thread).
    C_RelayServer(const RelayLimits& limits, std::function<void(const std::string&)> log);
    // Stops first: no handler runs once it returns.
    ~C_RelayServer();
    C_RelayServer(const C_RelayServer&) = delete;
    C_RelayServer& operator=(const C_RelayServer&) = delete;

    // Listens on `port` (0: one the system picks). False when the network
    // cannot start or the port cannot be bound.
    bool Start(uint16_t port);
    // Ends every connection and the expiry. Idempotent.
    void Stop();

    // The port listened on; 0 before Start.
    uint16_t Port() const;
    std::size_t Rooms() const;
    // Datagrams from players not forwarded: over-long, or bearing the relay's mark.
    std::size_t Dropped() const;

private:
    void OnEvent(const platform::SessionEvent& event);
    void Request(RelayClient client, platform::SessionPeer peer, const std::vector<uint8_t>& data);
    void Forward(RelayClient client, const platform::SessionEvent& event);
    void Gone(RelayClient client);
    void Say(RelayClient client, const C_RelayMessage& message,
             platform::SessionDelivery delivery = platform::SessionDelivery::Reliable);
    void ExpireRooms();
    double Now() const;

    const RelayLimits limits;
    std::unique_ptr<platform::Session> session;
    const std::chrono::steady_clock::time_point started;
    mutable std::mutex lock;
    C_RoomTable table;
    std::size_t marked = 0;
    // Expiry runs on a thread of its own: the session calls only on events.
    std::condition_variable wake;
    bool stopping = false;
    std::thread expiry;
};
