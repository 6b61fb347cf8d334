// Speed of the puzzle's rules alone: seeded games played at the board level
// (no window, no drawing), timed per kind of operation. The time between two
// operations is charged to the later one, so "moves" include choosing them.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "audio/wave.h"
#include "console/console.h"
#include "core/globals.h"
#include "platform/prompt.h"
#include "support/seededgame.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kKinds = 7;
const char* const kNames[kKinds] = {"moves and turns", "landings",      "row scans", "flow steps",
                                    "removals",        "gravity steps", "settlings"};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    int reports = 0;
    platform::SetPromptHook([&reports](const std::string&, const std::string&) {
        ++reports;
        return false;
    });
    const unsigned games = argc > 1 ? static_cast<unsigned>(std::max(atoi(argv[1]), 1)) : 1000;

    long counts[kKinds] = {};
    double seconds[kKinds] = {};
    GameTally tally;
    const Clock::time_point start = Clock::now();
    for (unsigned seed = 1; seed <= games; ++seed) {
        Clock::time_point last = Clock::now();
        SeededGame game(seed, [&](GameOp op, const C_GameBoard&, const std::set<const C_Piece*>&) {
            const Clock::time_point now = Clock::now();
            const int kind = static_cast<int>(op);
            counts[kind] += 1;
            seconds[kind] += std::chrono::duration<double>(now - last).count();
            last = Clock::now();
        });
        game.Play(150, &tally);
        g_pConsole->Update();
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();

    std::printf("%u seeded games in %.2f s (%ld landings, %ld flows, %ld cycles)\n", games, total,
                tally.landings, tally.flows, tally.cycles);
    for (int kind = 0; kind < kKinds; ++kind) {
        std::printf("  %-16s %9ld in %7.3f s: %10.0f per second, %7.2f us each\n", kNames[kind],
                    counts[kind], seconds[kind], counts[kind] / seconds[kind],
                    seconds[kind] * 1e6 / static_cast<double>(counts[kind]));
    }
    if (reports > 0) {
        std::printf("(%d error reports answered No: sounds missing from ./wavs/?)\n", reports);
    }
    ReleaseAllWaves();
    platform::SetPromptHook(nullptr);
    return 0;
}
