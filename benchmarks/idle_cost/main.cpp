// idle_cost: what a picture standing still costs. The whole process's
// processor time (every thread, the rasteriser's included, from getrusage)
// in percent of one core over a stretch of seconds, for the game on its
// untouched menu, on the play screen before Start, in a level-0 game with a
// shape falling and no key pressed, and paused; beside a bare SDL program
// presenting the same still picture every frame, and one that only waits
// for events, both at the game's 75 frames a second. Each run is its own
// process on a window of a virtual X server (started here when DISPLAY is
// not set) with SDL's OpenGL renderer, so a machine without a graphics
// driver draws with the software rasteriser.
// Run from the repository's root: the pictures are read from ./images/.
//   idle_cost [rounds] [seconds]
#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/globals.h"
#include "model/model.h"
#include "platform/image.h"
#include "platform/prompt.h"
#include "platform/sdlaccess.h"
#include "puzzle/round.h"
#include "screens/playscreen.h"
#include "shell/game.h"

extern char** environ;

namespace {

// Long enough for every fade of a screen to end before the measuring.
constexpr double kSettleSeconds = 3.0;
constexpr double kFramesPerSecond = 75.0;
constexpr int kWidth = 713;
constexpr int kHeight = 653;

struct Case {
    const char* name;
    const char* what;
};

constexpr Case kCases[] = {
    {"menu", "game: the menu, untouched"},
    {"start", "game: the play screen before Start"},
    {"falling", "game: level 0, a shape falling, no key"},
    {"paused", "game: paused"},
    {"bare-present", "bare SDL: a still picture presented each frame"},
    {"bare-wait", "bare SDL: waiting for events only"},
};

double Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Settles, then measures `seconds`; prints the percentage of one core and
// the renderer that drew.
class Meter {
public:
    Meter(double seconds_, SDL_Renderer* drawing) : seconds(seconds_), start(Now()) {
        SDL_RendererInfo info{};
        renderer = drawing != nullptr && SDL_GetRendererInfo(drawing, &info) == 0 ? info.name : "?";
    }

    // True while the run should go on; measures at the right moments.
    bool Going() {
        const double now = Now();
        if (measuredFrom < 0 && now - start >= kSettleSeconds) {
            measuredFrom = now;
            processorFrom = ProcessorSeconds();
        }
        if (measuredFrom >= 0 && now - measuredFrom >= seconds) {
            std::printf("%.2f %s\n",
                        100.0 * (ProcessorSeconds() - processorFrom) / (now - measuredFrom),
                        renderer.c_str());
            return false;
        }
        return true;
    }

private:
    double seconds;
    double start;
    double measuredFrom = -1;
    double processorFrom = 0;
    std::string renderer;
};

// The game's own loop, ended by a quit request once the meter is done.
int RunGameCase(const std::string& name, double seconds) {
    // A run that reported anything did not measure the case.
    int reports = 0;
    platform::SetPromptHook([&reports](const std::string& title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        ++reports;
        return false;
    });
    {
        C_Game game;
        if (name != "menu") {
            g_pModel->SetNextState(STATE_PLAY);
            game.Frame();
            auto* play = dynamic_cast<C_PlayScreen*>(g_pModel->GetState());
            if (play == nullptr) {
                std::fprintf(stderr, "no play screen\n");
                std::exit(1);
            }
            if (name != "start") {
                play->round->Command(COMMAND_START);
            }
            if (name == "paused") {
                game.Frame();
                play->round->Command(COMMAND_PAUSE);
            }
        }
        Meter meter(seconds, platform::ActiveRenderer());
        std::thread ender([&meter] {
            while (meter.Going()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            RequestQuit();
        });
        RunEventLoop(game);
        ender.join();
    }
    platform::SetPromptHook(nullptr);
    return reports == 0 ? 0 : 1;
}

// The menu's picture, presented every frame or once, paced at 75 a second.
int RunBareCase(bool presentEachFrame, double seconds) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("idle", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          kWidth, kHeight, SDL_WINDOW_SHOWN | SDL_WINDOW_OPENGL);
    SDL_Renderer* renderer =
        window != nullptr ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    platform::Image menu;
    if (renderer == nullptr || !platform::LoadImageFile("./images/menu.png", &menu)) {
        return 1;
    }
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, menu.width, menu.height);
    SDL_UpdateTexture(texture, nullptr, menu.argb.data(), menu.width * 4);
    auto draw = [&] {
        SDL_SetRenderDrawColor(renderer, 0xFF, 0xFF, 0xFF, 0xFF);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    };
    draw();
    Meter meter(seconds, renderer);
    double next = Now();
    bool running = true;
    while (running && meter.Going()) {
        next += 1.0 / kFramesPerSecond;
        SDL_Event event;
        // Events until the frame's slot is over.
        for (double left = next - Now(); left > 0; left = next - Now()) {
            if (SDL_WaitEventTimeout(&event, std::max(1, static_cast<int>(left * 1000))) != 0 &&
                event.type == SDL_QUIT) {
                running = false;
            }
        }
        if (presentEachFrame) {
            draw();
        }
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

std::string Self() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "idle_cost";
}

// Runs one case in its own process; its percentage, or -1, and its renderer.
double Child(const char* name, double seconds, std::string* renderer) {
    int out[2];
    if (pipe(out) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    static const std::string self = Self();
    const std::string span = std::to_string(seconds);
    std::vector<char*> argv{const_cast<char*>(self.c_str()), const_cast<char*>("child"),
                            const_cast<char*>(name), const_cast<char*>(span.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    FILE* reading = fdopen(out[0], "r");
    double percent = -1;
    char drawnBy[64] = {};
    if (reading == nullptr || std::fscanf(reading, "%lf %63s", &percent, drawnBy) != 2) {
        percent = -1;
    }
    *renderer = drawnBy;
    if (reading != nullptr) {
        std::fclose(reading);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? percent : -1;
}

// A virtual X server of our own when none is given; its pid, or 0.
pid_t StartXvfb() {
    int ready[2];
    if (pipe(ready) != 0) {
        return 0;
    }
    const std::string fd = std::to_string(ready[1]);
    std::vector<char*> argv{const_cast<char*>("Xvfb"),      const_cast<char*>("-displayfd"),
                            const_cast<char*>(fd.c_str()),  const_cast<char*>("-screen"),
                            const_cast<char*>("0"),         const_cast<char*>("1024x768x24"),
                            const_cast<char*>("-nolisten"), const_cast<char*>("tcp"),
                            const_cast<char*>("-noreset"),  nullptr};
    // Its complaints about displays already taken are not ours to show.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        close(ready[0]);
        close(ready[1]);
        return 0;
    }
    close(ready[1]);
    char number[32] = {};
    const ssize_t got = read(ready[0], number, sizeof number - 1);
    close(ready[0]);
    if (got <= 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return 0;
    }
    const std::string display = ":" + std::to_string(atoi(number));
    setenv("DISPLAY", display.c_str(), 1);
    return pid;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3 && std::strcmp(argv[1], "child") == 0) {
        const std::string name = argv[2];
        const double seconds = atof(argv[3]);
        if (name.rfind("bare-", 0) == 0) {
            return RunBareCase(name == "bare-present", seconds);
        }
        return RunGameCase(name, seconds);
    }
    // The real window system's drawing, whatever the shell set for tests.
    setenv("SDL_VIDEODRIVER", "x11", 1);
    unsetenv("SDL_RENDER_DRIVER");
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const int rounds = argc > 1 ? std::max(atoi(argv[1]), 1) : 3;
    const double seconds = argc > 2 ? std::max(atof(argv[2]), 1.0) : 10.0;
    pid_t xvfb = 0;
    // A server that does not take a window is started again, as the X tests do.
    for (int attempt = 0; attempt < 3 && getenv("DISPLAY") == nullptr; ++attempt) {
        xvfb = StartXvfb();
        const bool usable = xvfb != 0 && SDL_Init(SDL_INIT_VIDEO) == 0;
        SDL_Quit();
        if (!usable && xvfb != 0) {
            kill(xvfb, SIGTERM);
            waitpid(xvfb, nullptr, 0);
            xvfb = 0;
            unsetenv("DISPLAY");
        }
    }
    std::printf("idle_cost: %d rounds of %.0f s, display %s\n", rounds, seconds,
                getenv("DISPLAY") != nullptr ? getenv("DISPLAY") : "none");
    std::printf("%-48s %-8s %6s   %s\n", "", "renderer", "median", "(% of one core each round)");
    int failed = 0;
    for (const Case& c : kCases) {
        std::vector<double> runs;
        std::string renderer;
        for (int round = 0; round < rounds; ++round) {
            const double percent = Child(c.name, seconds, &renderer);
            if (percent < 0) {
                std::fprintf(stderr, "a run of %s failed\n", c.name);
                ++failed;
                break;
            }
            runs.push_back(percent);
        }
        if (runs.empty()) {
            continue;
        }
        std::printf("%-48s %-8s %6.1f   (", c.what, renderer.c_str(), Median(runs));
        for (size_t i = 0; i < runs.size(); ++i) {
            std::printf("%s%.1f", i == 0 ? "" : " ", runs[i]);
        }
        std::printf(")\n");
        std::fflush(stdout);
    }
    if (xvfb != 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    return failed == 0 ? 0 : 1;
}
