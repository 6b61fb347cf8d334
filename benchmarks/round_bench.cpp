// Speed of a round of the puzzle alone: seeded games played headless through
// a quiet round by random commands, at 75 frames a second of game time, each
// frame a command or none, an update and a per-draw step. Prints simulated
// game-seconds per wall-second on one core.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "audio/wave.h"
#include "platform/prompt.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "support/roundplayer.h"
#include "unattended.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr float kFrameTime = 1.0f / 75;
// A random player rarely tops out the well early; a game ends here at most.
constexpr int kMaxFrames = 75 * 600;

}  // namespace

int main(int argc, char** argv) {
    const int& reports = RunUnattended();
    const unsigned games = argc > 1 ? static_cast<unsigned>(std::max(atoi(argv[1]), 1)) : 200;

    long frames = 0;
    long rows = 0;
    long over = 0;
    const Clock::time_point start = Clock::now();
    for (unsigned seed = 1; seed <= games; ++seed) {
        RoundSettings settings;
        settings.seed = seed;
        settings.level = static_cast<int>(seed % 10);
        settings.quiet = true;
        C_Round round(settings);
        RoundPlayer player(seed, false, kFrameTime);
        int frame = 0;
        bool going = true;
        for (; frame < kMaxFrames && going; ++frame) {
            going = player.Frame(round);
        }
        frames += frame;
        rows += round.board->rowsCleared;
        over += going ? 0 : 1;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double gameSeconds = static_cast<double>(frames) * kFrameTime;

    std::printf("%u games (%ld topped out, %ld rows), %ld frames: %.0f game-seconds in %.2f s\n",
                games, over, rows, frames, gameSeconds, wall);
    std::printf("%.0f game-seconds per wall-second (%.0f frames per second, %.2f us a frame)\n",
                gameSeconds / wall, static_cast<double>(frames) / wall,
                wall * 1e6 / static_cast<double>(frames));
    if (reports > 0) {
        std::printf("(%d error reports answered No: sounds missing from ./wavs/?)\n", reports);
    }
    ReleaseAllWaves();
    platform::SetPromptHook(nullptr);
    return 0;
}
