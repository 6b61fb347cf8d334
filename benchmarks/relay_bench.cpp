// The relay under many matches at once. The relay runs in a child process
// of its own, so its CPU time and memory are read from /proc apart from the
// clients'; the clients are two hosts in this process (the creators' and
// the joiners'), each speaking for one side of every match from an address
// of its own on the loopback. Each side sends what a match sends: a snapshot
// of 155 bytes about 4.5 times a second, unreliably (about 700 B/s), and now
// and then an attack, reliably. Every datagram carries the time it was sent;
// the side it reaches notes how long it took, relay and both network layers
// included, so its p99 bounds the relay's own forwarding delay from above.
//
// relay_bench [matches, default 1900] [seconds measured, default 20]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "net/relaymessage.h"
#include "platform/session.h"
#include "relay/relayserver.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::SessionDelivery;
using platform::SessionPeer;

constexpr std::size_t kSnapshotBytes = 155;
constexpr std::size_t kAttackBytes = 12;
constexpr auto kSnapshotEvery = std::chrono::microseconds(220000);
constexpr auto kAttackEvery = std::chrono::seconds(4);
// Forwarding delays are counted in buckets of this, up to the last.
constexpr auto kBucket = std::chrono::microseconds(50);
constexpr std::size_t kBuckets = 4000;

int64_t Ticks() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The relay's child: serves until its parent closes the pipe.
[[noreturn]] void RunRelay(int portPipe, int stopPipe) {
    RelayLimits limits;
    limits.maxRooms = 1 << 20;
    limits.maxRoomsPerAddress = 1 << 20;
    limits.attemptBurst = 1e9;
    C_RelayServer relay(limits, nullptr);
    uint16_t port = relay.Start(0) ? relay.Port() : 0;
    if (write(portPipe, &port, sizeof port) != sizeof port || port == 0) {
        _exit(1);
    }
    char byte = 0;
    while (read(stopPipe, &byte, 1) > 0) {
    }
    relay.Stop();
    _exit(0);
}

// A /proc/<pid> figure: the CPU seconds spent, or VmRSS in kB.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t at = text.rfind(')');
    if (at == std::string::npos) {
        return 0.0;
    }
    // After the name: state is field 3; utime and stime are 14 and 15.
    std::vector<std::string> fields;
    std::size_t from = at + 2;
    while (from < text.size()) {
        const std::size_t space = text.find(' ', from);
        fields.push_back(text.substr(from, space - from));
        if (space == std::string::npos) {
            break;
        }
        from = space + 1;
    }
    if (fields.size() < 13) {
        return 0.0;
    }
    return (std::stod(fields[11]) + std::stod(fields[12])) / sysconf(_SC_CLK_TCK);
}

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// One side of every match, on one host.
class Side {
public:
    Side(const std::string& address, std::size_t matches)
        : session(platform::Session::Create()), peers(matches), answers(matches) {
        platform::SessionAddress local;
        if (!session || !platform::Session::Resolve(address, 0, local) ||
            !session->Open(matches, local) ||
            !session->Initialize([this](const platform::SessionEvent& event) { OnEvent(event); })) {
            std::fprintf(stderr, "relay_bench: cannot open a client host at %s\n", address.c_str());
            std::exit(1);
        }
    }
    ~Side() { session->Stop(); }

    void Ask(std::size_t match, uint16_t port, C_RelayMessage::Kind kind, const std::string& code) {
        C_RelayMessage request;
        request.kind = kind;
        request.code = code;
        platform::SessionAddress relay;
        platform::Session::Resolve("127.0.0.1", port, relay);
        std::lock_guard<std::mutex> guard(lock);
        session->Dial(relay, request.Encode(), &peers[match]);
        slotToMatch[peers[match].slot] = match;
    }
    // The code of `match`'s room, once answered; empty before.
    std::string Code(std::size_t match) {
        std::lock_guard<std::mutex> guard(lock);
        return answers[match];
    }
    std::size_t Paired() const { return paired; }

    // Sends what is due by `now`, then flushes once.
    void SendDue(Clock::time_point now, std::mt19937& random) {
        if (due.empty()) {
            due.resize(peers.size() * 2);
            for (std::size_t i = 0; i < due.size(); ++i) {
                const auto spread = i % 2 == 0 ? kSnapshotEvery : kAttackEvery;
                due[i] = now + std::chrono::microseconds(random() % spread.count());
            }
        }
        std::vector<uint8_t> bytes;
        for (std::size_t i = 0; i < due.size(); ++i) {
            if (due[i] > now) {
                continue;
            }
            const bool attack = i % 2 == 1;
            due[i] += attack ? std::chrono::duration_cast<std::chrono::microseconds>(kAttackEvery)
                             : kSnapshotEvery;
            bytes.assign(attack ? kAttackBytes : kSnapshotBytes, 0x11);
            // A match datagram's first byte is its version, never the relay's mark.
            bytes[0] = 2;
            const int64_t stamp = Ticks();
            std::memcpy(bytes.data() + 1, &stamp, sizeof stamp);
            session->Send(peers[i / 2], bytes,
                          attack ? SessionDelivery::Reliable : SessionDelivery::Unreliable, false);
        }
        session->Flush();
    }

    std::atomic<bool> measuring{false};
    std::array<std::atomic<uint64_t>, kBuckets> delays{};
    std::atomic<uint64_t> received{0};

private:
    void OnEvent(const platform::SessionEvent& event) {
        if (event.kind != platform::SessionEvent::Kind::Received || event.data.empty()) {
            return;
        }
        if (event.data[0] == 2 && event.data.size() > 8) {
            int64_t stamp = 0;
            std::memcpy(&stamp, event.data.data() + 1, sizeof stamp);
            if (measuring) {
                const auto took = std::chrono::nanoseconds(Ticks() - stamp);
                delays[std::min<std::size_t>(took / kBucket, kBuckets - 1)]++;
                received++;
            }
            return;
        }
        C_RelayMessage message;
        if (!C_RelayMessage::Decode(event.data, message)) {
            return;
        }
        if (message.kind == C_RelayMessage::PAIRED) {
            paired++;
        } else if (message.kind == C_RelayMessage::ANSWER) {
            std::lock_guard<std::mutex> guard(lock);
            const auto found = slotToMatch.find(event.peer.slot);
            if (found != slotToMatch.end()) {
                answers[found->second] = message.code.empty() ? "?" : message.code;
            }
        }
    }

    std::unique_ptr<platform::Session> session;
    std::mutex lock;
    std::vector<SessionPeer> peers;
    std::vector<std::string> answers;
    std::map<uint16_t, std::size_t> slotToMatch;
    std::atomic<std::size_t> paired{0};
    std::vector<Clock::time_point> due;
};

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t matches = std::clamp<long>(argc > 1 ? std::atol(argv[1]) : 1900, 1,
                                                 C_RelayServer::kMaxConnections / 2);
    const int seconds = std::max(argc > 2 ? std::atoi(argv[2]) : 20, 1);

    // The child starts before this process has any thread.
    int portPipe[2];
    int stopPipe[2];
    if (pipe(portPipe) != 0 || pipe(stopPipe) != 0) {
        return 1;
    }
    const pid_t relayPid = fork();
    if (relayPid == 0) {
        close(portPipe[0]);
        close(stopPipe[1]);
        RunRelay(portPipe[1], stopPipe[0]);
    }
    close(portPipe[1]);
    close(stopPipe[0]);
    uint16_t port = 0;
    if (relayPid < 0 || read(portPipe[0], &port, sizeof port) != sizeof port || port == 0) {
        std::fprintf(stderr, "relay_bench: the relay did not start\n");
        return 1;
    }
    const long residentBefore = ResidentKb(relayPid);

    Side creators("127.0.1.1", matches);
    Side joiners("127.0.1.2", matches);
    // Rooms are made in batches, as players come, not all in one instant.
    constexpr std::size_t kBatch = 100;
    for (std::size_t first = 0; first < matches; first += kBatch) {
        const std::size_t last = std::min(matches, first + kBatch);
        for (std::size_t m = first; m < last; ++m) {
            creators.Ask(m, port, C_RelayMessage::CREATE, "");
        }
        if (!WaitUntil(
                [&] {
                    for (std::size_t m = first; m < last; ++m) {
                        if (creators.Code(m).empty()) {
                            return false;
                        }
                    }
                    return true;
                },
                std::chrono::seconds(30))) {
            std::fprintf(stderr, "relay_bench: rooms were not all created\n");
            return 1;
        }
        for (std::size_t m = first; m < last; ++m) {
            joiners.Ask(m, port, C_RelayMessage::JOIN, creators.Code(m));
        }
        if (!WaitUntil([&] { return joiners.Paired() >= last && creators.Paired() >= last; },
                       std::chrono::seconds(30))) {
            std::fprintf(stderr, "relay_bench: only %zu of %zu matches paired\n", joiners.Paired(),
                         last);
            return 1;
        }
    }
    const long residentWithRooms = ResidentKb(relayPid);

    std::mt19937 random(27421);
    std::atomic<bool> sending{true};
    std::thread sender([&] {
        auto next = Clock::now();
        while (sending) {
            const auto now = Clock::now();
            creators.SendDue(now, random);
            joiners.SendDue(now, random);
            next += std::chrono::milliseconds(5);
            std::this_thread::sleep_until(next);
        }
    });
    // A few seconds for the traffic to settle, then the measured ones.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    creators.measuring = joiners.measuring = true;
    const double cpuBefore = CpuSeconds(relayPid);
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu = CpuSeconds(relayPid) - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    creators.measuring = joiners.measuring = false;
    sending = false;
    sender.join();

    uint64_t total = 0;
    std::vector<uint64_t> merged(kBuckets);
    for (std::size_t b = 0; b < kBuckets; ++b) {
        merged[b] = creators.delays[b] + joiners.delays[b];
        total += merged[b];
    }
    auto percentile = [&](double share) {
        uint64_t seen = 0;
        for (std::size_t b = 0; b < kBuckets; ++b) {
            seen += merged[b];
            if (seen >= share * total) {
                return std::chrono::duration<double, std::milli>((b + 1) * kBucket).count();
            }
        }
        return std::chrono::duration<double, std::milli>(kBuckets * kBucket).count();
    };
    const double share = cpu / wall;
    const double perMatchMs = share / matches * 1000.0;
    std::printf("matches %zu, %d s measured, %llu datagrams forwarded to players (%.0f/s)\n",
                matches, seconds, static_cast<unsigned long long>(total), total / wall);
    std::printf(
        "relay CPU: %.1f %% of a core, %.3f ms per match per second: %.0f matches per core\n",
        share * 100.0, perMatchMs, share > 0 ? matches / share : 0.0);
    std::printf("relay memory: %ld kB before rooms, %ld kB with them: %.0f bytes per room\n",
                residentBefore, residentWithRooms,
                (residentWithRooms - residentBefore) * 1024.0 / matches);
    std::printf(
        "delay from send to arrival through the relay: p50 %.2f ms, p99 %.2f ms, "
        "p99.9 %.2f ms\n",
        percentile(0.5), percentile(0.99), percentile(0.999));

    close(stopPipe[1]);
    int status = 0;
    waitpid(relayPid, &status, 0);
    return 0;
}
