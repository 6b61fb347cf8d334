// Replays headless: every replay of the corpus (tests/corpus/, run from the
// repository root) read and played to its end, as fast as one core plays
// them. Prints the game-seconds played per wall-second, and the bytes per
// minute of game time of each kind of replay.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "audio/wave.h"
#include "platform/prompt.h"
#include "replay/replayfile.h"
#include "replay/replayplayer.h"
#include "replay/replayshelf.h"
#include "unattended.h"

namespace {

using Clock = std::chrono::steady_clock;

struct KindFigures {
    std::vector<double> bytesPerMinute;
    double seconds = 0.0;
};

}  // namespace

int main(int argc, char** argv) {
    const int& reports = RunUnattended();
    const std::string folder = argc > 1 ? argv[1] : "tests/corpus";
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == C_ReplayShelf::kExtension) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::map<std::string, KindFigures> kinds;
    double played = 0.0;
    double wall = 0.0;
    int failed = 0;
    for (const auto& path : paths) {
        Replay replay;
        std::string why;
        if (!ReadReplayFile(path.string(), replay, why)) {
            std::printf("%s: %s\n", path.c_str(), why.c_str());
            ++failed;
            continue;
        }
        const Clock::time_point start = Clock::now();
        C_ReplayPlayer player(replay);
        player.PlayToEnd();
        wall += std::chrono::duration<double>(Clock::now() - start).count();
        failed += player.EndsAsRecorded(why) ? 0 : 1;
        const double seconds = replay.Seconds();
        played += seconds;
        KindFigures& kind = kinds[replay.mode == REPLAY_GAME ? "single game" : "computer match"];
        kind.seconds += seconds;
        kind.bytesPerMinute.push_back(static_cast<double>(std::filesystem::file_size(path)) /
                                      (seconds / 60.0));
    }
    std::printf("%zu replays, %.0f game-seconds in %.2f s: %.0f game-seconds per wall-second\n",
                paths.size(), played, wall, played / wall);
    for (auto& [name, kind] : kinds) {
        std::sort(kind.bytesPerMinute.begin(), kind.bytesPerMinute.end());
        const auto& sizes = kind.bytesPerMinute;
        std::printf("%s: %zu replays, %.0f game-minutes, bytes a minute: median %.0f, max %.0f\n",
                    name.c_str(), sizes.size(), kind.seconds / 60.0, sizes[sizes.size() / 2],
                    sizes.back());
    }
    if (failed > 0) {
        std::printf("%d replays did not read or did not end as recorded\n", failed);
    }
    if (reports > 0) {
        std::printf("(%d error reports answered No)\n", reports);
    }
    ReleaseAllWaves();
    platform::SetPromptHook(nullptr);
    return failed == 0 ? 0 : 1;
}
