// frame_floor: the game against a bare SDL program drawing the same pictures
// the cheapest correct way, scene by scene: the menu standing still, the
// menu under a moving pointer, a play screen with a shape falling and both
// score lists showing, Pong, and demo B with a thousand balls. Each run is
// its own process on the offscreen video driver (so SDL's OpenGL renderer draws), bare and game
// alternating, each paced at the game's 75 frames a second; both start at the menu and leave it for
// the scene, as the game must. Printed: processor time per frame (the renderer's threads included),
// the time from exec to the first menu frame presented, and peak resident memory (VmHWM) after each
// scene's frames, every round and then the medians with game / bare. The game draws a frame only
// when its picture changes: the still scene (the untouched menu) costs it only the frame's update
// and recording, while the others change every frame and so measure drawing: the menu with the
// pointer sweeping over its buttons, the play screen with a shape falling at level 9 and both score
// lists fading, Pong, and demo B. Run from the repository's root: the pictures are read from
// ./images/. The bare program is frame_floor_bare, built beside this one.
//   frame_floor [rounds] [frames]
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scene.h"
#include "sides.h"

extern char** environ;

namespace floor_bench {
namespace {

constexpr Scene kScenes[kSceneCount] = {Scene::Still, Scene::Menu, Scene::Play, Scene::Pong,
                                        Scene::DemoB};

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

// The bare program lies beside this one.
std::string BarePath() {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return "frame_floor_bare";
    }
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + "frame_floor_bare";
}

// Runs one side on `scene`; what it printed, or a failed Result. The game's
// side is this program again, given "game" first.
Result Child(bool bareSide, Scene scene, int frames) {
    static const std::string bare = BarePath();
    static std::string self;
    if (self.empty()) {
        char path[4096];
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        self = length > 0 ? std::string(path, static_cast<size_t>(length)) : "frame_floor";
    }
    Result result;
    int out[2];
    if (pipe(out) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string count = std::to_string(frames);
    const long long startedAt = MonotonicNanoseconds();
    const std::string started = std::to_string(startedAt);
    const std::string& program = bareSide ? bare : self;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    if (!bareSide) {
        argv.push_back(const_cast<char*>("game"));
    }
    argv.push_back(const_cast<char*>(NameOf(scene)));
    argv.push_back(const_cast<char*>(count.c_str()));
    argv.push_back(const_cast<char*>(started.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return result;
    }
    FILE* reading = fdopen(out[0], "r");
    Result read;
    const bool parsed =
        reading != nullptr && std::fscanf(reading, "%lf %lf %ld", &read.microsecondsPerFrame,
                                          &read.startMilliseconds, &read.peakKilobytes) == 3;
    if (reading != nullptr) {
        std::fclose(reading);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return parsed && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? read : result;
}

struct Column {
    std::vector<double> frame;
    std::vector<double> start;
    std::vector<double> peak;
};

void Row(const char* what, const std::vector<double>& bare, const std::vector<double>& game,
         const char* unit) {
    const double b = Median(bare);
    const double g = Median(game);
    std::printf("%-22s %10.0f %10.0f %8.2f   %s\n", what, b, g, g / b, unit);
}

}  // namespace
}  // namespace floor_bench

int main(int argc, char** argv) {
    using namespace floor_bench;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (argc > 4 && std::strcmp(argv[1], "game") == 0) {
        // The game's side: game scene frames started-at.
        const Result result =
            RunGame(SceneNamed(argv[2]), std::max(atoi(argv[3]), 1), atoll(argv[4]));
        PrintResult(result);
        return result.microsecondsPerFrame < 0 ? 1 : 0;
    }
    const int rounds = argc > 1 ? std::max(atoi(argv[1]), 1) : 5;
    const int frames = argc > 2 ? std::max(atoi(argv[2]), 1) : 300;
    std::printf("frame_floor: %d rounds, %d frames a scene at %.0f fps, %s video\n", rounds, frames,
                kFramesPerSecond, getenv("SDL_VIDEODRIVER"));
    std::printf("%-6s %-6s %9s %9s %9s %9s %9s %9s\n", "round", "scene", "bare us", "game us",
                "bare ms", "game ms", "bare KB", "game KB");
    Column bare[kSceneCount];
    Column game[kSceneCount];
    for (int round = 0; round < rounds; ++round) {
        for (int s = 0; s < kSceneCount; ++s) {
            // Alternating which goes first spreads a drifting load over both.
            const bool bareFirst = (round + s) % 2 == 0;
            // A frame of a thousand balls takes many times a menu frame.
            const int count = kScenes[s] == Scene::DemoB ? std::max(frames / 5, 10) : frames;
            const Result first = Child(bareFirst, kScenes[s], count);
            const Result second = Child(!bareFirst, kScenes[s], count);
            const Result& b = bareFirst ? first : second;
            const Result& g = bareFirst ? second : first;
            if (b.microsecondsPerFrame < 0 || g.microsecondsPerFrame < 0) {
                std::fprintf(stderr, "a %s run of %s failed\n",
                             b.microsecondsPerFrame < 0 ? "bare" : "game", NameOf(kScenes[s]));
                return 1;
            }
            std::printf("%-6d %-6s %9.0f %9.0f %9.1f %9.1f %9ld %9ld\n", round + 1,
                        NameOf(kScenes[s]), b.microsecondsPerFrame, g.microsecondsPerFrame,
                        b.startMilliseconds, g.startMilliseconds, b.peakKilobytes, g.peakKilobytes);
            bare[s].frame.push_back(b.microsecondsPerFrame);
            game[s].frame.push_back(g.microsecondsPerFrame);
            bare[s].start.push_back(b.startMilliseconds);
            game[s].start.push_back(g.startMilliseconds);
            bare[s].peak.push_back(static_cast<double>(b.peakKilobytes));
            game[s].peak.push_back(static_cast<double>(g.peakKilobytes));
        }
    }
    std::printf("\nmedians %25s %10s %8s\n", "bare", "game", "ratio");
    for (int s = 0; s < kSceneCount; ++s) {
        const std::string what = std::string(NameOf(kScenes[s])) + " frame";
        Row(what.c_str(), bare[s].frame, game[s].frame, "processor us per frame");
    }
    // Every run starts at the menu, so every run times the start-up.
    std::vector<double> bareStarts;
    std::vector<double> gameStarts;
    for (int s = 0; s < kSceneCount; ++s) {
        bareStarts.insert(bareStarts.end(), bare[s].start.begin(), bare[s].start.end());
        gameStarts.insert(gameStarts.end(), game[s].start.begin(), game[s].start.end());
    }
    Row("start-up", bareStarts, gameStarts, "ms, exec to the first menu frame shown");
    for (int s = 0; s < kSceneCount; ++s) {
        const std::string what = std::string(NameOf(kScenes[s])) + " peak memory";
        Row(what.c_str(), bare[s].peak, game[s].peak, "KB VmHWM after the scene's frames");
    }
    return 0;
}
