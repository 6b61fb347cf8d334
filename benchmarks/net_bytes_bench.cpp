// Bytes a network match sends: two hard computer players in one process,
// each on a session of its own, the joiner reaching the host over loopback
// through a relay that loses and delays nothing and counts every datagram's
// bytes. The game clock is the wall clock, so the network layer's pings, acks
// and resends come at their own pace. Matches follow one another until the
// wall time is up. Prints each side's bytes a second on the wire (the network
// layer's headers included) while a match is on, its busiest second, and how
// much of it the match's snapshots and attacks are.
//
// net_bytes_bench [seconds, default 60] [starting level, default 9]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

#include "audio/wave.h"
#include "net/net.h"
#include "platform/prompt.h"
#include "support/netplayer.h"
#include "unattended.h"

namespace {

using Clock = std::chrono::steady_clock;

// Under this a second, each way, a match goes over the slowest of links.
constexpr double kTargetBytesPerSecond = 2048;
constexpr auto kFrame = std::chrono::microseconds(1000000 / 75);

// Each side's bytes while matches were on, and its busiest second.
struct Tally {
    uint64_t bytes = 0;
    uint64_t peak = 0;
    uint64_t attacks = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int& reports = RunUnattended();
    const int seconds = argc > 1 ? std::max(atoi(argv[1]), 1) : 60;
    const auto level = static_cast<uint8_t>(argc > 2 ? std::clamp(atoi(argv[2]), 0, 9) : 9);

    NetPlayer host;
    NetPlayer joiner;
    host.strength = joiner.strength = STRENGTH_HARD;
    const std::unique_ptr<LossyRelay> relay =
        HostAndJoin(&host.net, &joiner.net, LossyRelay::Settings{0.0, {}, 1});

    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    // Frames both machines at the game's pace until `done` or the wall time
    // is up; while `counting`, the relay's bytes go to the tallies.
    Tally hostTally;
    Tally joinerTally;
    double matchSeconds = 0;
    auto run = [&](const std::function<bool()>& done, bool counting) {
        Clock::time_point second = Clock::now();
        const Clock::time_point from = second;
        uint64_t hostFrom = relay->ServerBytes();
        uint64_t joinerFrom = relay->ClientBytes();
        uint64_t hostSecond = hostFrom;
        uint64_t joinerSecond = joinerFrom;
        while (!done() && Clock::now() < end) {
            host.Frame();
            joiner.Frame();
            std::this_thread::sleep_for(kFrame);
            if (counting && Clock::now() - second >= std::chrono::seconds(1)) {
                hostTally.peak = std::max(hostTally.peak, relay->ServerBytes() - hostSecond);
                joinerTally.peak = std::max(joinerTally.peak, relay->ClientBytes() - joinerSecond);
                hostSecond = relay->ServerBytes();
                joinerSecond = relay->ClientBytes();
                second = Clock::now();
            }
        }
        if (counting) {
            hostTally.bytes += relay->ServerBytes() - hostFrom;
            joinerTally.bytes += relay->ClientBytes() - joinerFrom;
            matchSeconds += std::chrono::duration<double>(Clock::now() - from).count();
        }
        return done();
    };

    if (!run([&] { return host.net->Match() && joiner.net->Match(); }, false)) {
        std::printf("the two sides did not connect\n");
        return 1;
    }
    int matches = 0;
    int hostWins = 0;
    for (uint64_t seed = 1; Clock::now() < end; ++seed) {
        host.match.reset();
        joiner.match.reset();
        host.net->Match()->Offer(seed, level);
        run([&] { return joiner.net->Match()->Ready(); }, false);
        run([&] { return host.match && joiner.match; }, false);
        if (!host.match || !joiner.match) {
            break;
        }
        const bool over = run([&] { return host.Over() && joiner.Over(); }, true);
        // Numbered per match; a match the wall time cut short counts too.
        hostTally.attacks += host.net->Match()->GetAttacksSent();
        joinerTally.attacks += joiner.net->Match()->GetAttacksSent();
        matches += over ? 1 : 0;
        hostWins += over && host.match->winner == SIDE_PLAYER ? 1 : 0;
    }
    if (matchSeconds <= 0) {
        std::printf("no match began in %d s\n", seconds);
        return 1;
    }

    const double snapshotBytes =
        static_cast<double>(C_MatchMessage::Length(C_MatchMessage::SNAPSHOT));
    const double attackBytes = static_cast<double>(C_MatchMessage::Length(C_MatchMessage::ATTACK));
    std::printf(
        "hard against hard from level %d, %.1f s of matches in %d s: %d decided (host won "
        "%d), one a snapshot every %.2f s\n",
        level, matchSeconds, seconds, matches, hostWins, C_NetMatch::kSnapshotPeriod);
    std::printf("%-7s %10s %8s %9s | %10s %10s %s\n", "", "bytes", "B/s", "peak B/s", "snapshots",
                "attacks", "rest (headers, acks, pings, start, end)");
    bool met = true;
    for (const auto& [name, tally, peer] : {std::tuple{"host", hostTally, joiner.net->Match()},
                                            std::tuple{"joiner", joinerTally, host.net->Match()}}) {
        // Every snapshot arrives on a link that loses nothing, so the other
        // side's count is this side's.
        const double snapshots = snapshotBytes * peer->GetSnapshotsReceived();
        const double attacks = attackBytes * static_cast<double>(tally.attacks);
        const double total = static_cast<double>(tally.bytes);
        const double rate = total / matchSeconds;
        met = met && rate < kTargetBytesPerSecond;
        std::printf("%-7s %10.0f %8.0f %9llu | %5.0f B/s %5.0f B/s %5.0f B/s (%llu attacks)\n",
                    name, total, rate, static_cast<unsigned long long>(tally.peak),
                    snapshots / matchSeconds, attacks / matchSeconds,
                    (total - snapshots - attacks) / matchSeconds,
                    static_cast<unsigned long long>(tally.attacks));
    }
    std::printf("%s the target of %.0f B/s a side\n", met ? "under" : "OVER",
                kTargetBytesPerSecond);
    if (reports > 0) {
        std::printf("(%d error reports answered No)\n", reports);
    }
    ReleaseAllWaves();
    platform::SetPromptHook(nullptr);
    return 0;
}
