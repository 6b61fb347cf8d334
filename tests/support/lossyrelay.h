#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

// A poor link between one client and a server on loopback: the client sends
// to Port(), the server hears the relay. Each datagram, either way, is lost
// with probability `loss` or held back 0 to `maxDelay`, so some overtake
// others. Seeded, so a run's choices repeat for the same traffic.
class LossyRelay {
public:
    struct Settings {
        double loss = 0.10;
        std::chrono::milliseconds maxDelay{150};
        uint32_t seed = 1;
    };

    LossyRelay(uint16_t serverPort, const Settings& settings);
    ~LossyRelay();
    LossyRelay(const LossyRelay&) = delete;
    LossyRelay& operator=(const LossyRelay&) = delete;

    // 0 when the sockets could not be opened.
    uint16_t Port() const { return port; }
    // From now on every datagram is lost, as if either side had vanished.
    void Cut() { cut = true; }
    uint64_t Forwarded() const { return forwarded.load(); }
    uint64_t Dropped() const { return dropped.load(); }
    // Datagram bytes each side has sent the relay so far, lost or not.
    uint64_t ClientBytes() const { return clientBytes.load(); }
    uint64_t ServerBytes() const { return serverBytes.load(); }

private:
    void Run();

    Settings settings;
    // The client talks to `front`; `back` talks to the server.
    int front = -1;
    int back = -1;
    uint16_t port = 0;
    sockaddr_in server{};
    std::atomic<bool> stopping{false};
    std::atomic<bool> cut{false};
    std::atomic<uint64_t> forwarded{0};
    std::atomic<uint64_t> dropped{0};
    std::atomic<uint64_t> clientBytes{0};
    std::atomic<uint64_t> serverBytes{0};
    std::thread worker;
};
