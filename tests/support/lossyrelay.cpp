#include "support/lossyrelay.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <queue>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int LoopbackSocket(uint16_t bindPort, uint16_t& bound) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(bindPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    bound = ntohs(address.sin_port);
    return fd;
}

struct Held {
    Clock::time_point due;
    // Arrival order breaks ties, so equal delays keep their order.
    uint64_t order;
    bool toServer;
    std::vector<uint8_t> bytes;
    bool operator>(const Held& other) const {
        return due != other.due ? due > other.due : order > other.order;
    }
};

}  // namespace

LossyRelay::LossyRelay(uint16_t serverPort, const Settings& relaySettings)
    : settings(relaySettings) {
    uint16_t unused = 0;
    front = LoopbackSocket(0, port);
    back = LoopbackSocket(0, unused);
    if (front < 0 || back < 0) {
        port = 0;
        return;
    }
    server.sin_family = AF_INET;
    server.sin_port = htons(serverPort);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    worker = std::thread(&LossyRelay::Run, this);
}

LossyRelay::~LossyRelay() {
    stopping = true;
    if (worker.joinable()) {
        worker.join();
    }
    for (const int fd : {front, back}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void LossyRelay::Run() {
    std::mt19937 random(settings.seed);
    std::bernoulli_distribution lose(settings.loss);
    std::uniform_int_distribution<long> delay(0, settings.maxDelay.count());
    std::priority_queue<Held, std::vector<Held>, std::greater<Held>> held;
    sockaddr_in client{};
    bool knowClient = false;
    uint64_t order = 0;
    std::vector<uint8_t> buffer(65536);
    while (!stopping) {
        int wait = 10;
        if (!held.empty()) {
            const auto until = std::chrono::duration_cast<std::chrono::milliseconds>(
                held.top().due - Clock::now());
            wait = static_cast<int>(std::clamp<long>(until.count(), 0, 10));
        }
        pollfd fds[2] = {{front, POLLIN, 0}, {back, POLLIN, 0}};
        poll(fds, 2, wait);
        for (int side = 0; side < 2; ++side) {
            while (true) {
                sockaddr_in from{};
                socklen_t length = sizeof from;
                const ssize_t got = recvfrom(side == 0 ? front : back, buffer.data(), buffer.size(),
                                             0, reinterpret_cast<sockaddr*>(&from), &length);
                if (got < 0) {
                    break;
                }
                (side == 0 ? clientBytes : serverBytes) += static_cast<uint64_t>(got);
                if (side == 0) {
                    client = from;
                    knowClient = true;
                }
                if (cut || lose(random)) {
                    ++dropped;
                    continue;
                }
                held.push(Held{Clock::now() + std::chrono::milliseconds(delay(random)),
                               order++,
                               side == 0,
                               {buffer.begin(), buffer.begin() + got}});
            }
        }
        while (!held.empty() && held.top().due <= Clock::now()) {
            const Held& next = held.top();
            if (cut) {
                ++dropped;
            } else if (next.toServer) {
                sendto(back, next.bytes.data(), next.bytes.size(), 0,
                       reinterpret_cast<const sockaddr*>(&server), sizeof server);
                ++forwarded;
            } else if (knowClient) {
                sendto(front, next.bytes.data(), next.bytes.size(), 0,
                       reinterpret_cast<const sockaddr*>(&client), sizeof client);
                ++forwarded;
            }
            held.pop();
        }
    }
}
