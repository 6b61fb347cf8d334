// CPU time per frame of the real game frame, headless, with the frame limiter
// at 75 against the same frames unlimited.
//
// Three runs of the same frames: back to back with no limit; with no limit but
// idling after each frame until its 1/75 s slot is over (an outside sleep, the
// cheapest possible way to wait); and with the limiter at 75. Idling alone makes
// a frame dearer (cold caches), so the limiter is judged against the idling
// run: it may add at most 10 %. Rounds alternate and medians are reported, as
// this machine's timings are noisy.
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/globals.h"
#include "model/model.h"
#include "platform/events.h"
#include "platform/prompt.h"
#include "shell/game.h"

namespace {

constexpr double kSlot = 1.0 / 75.0;

double Seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void SleepUntil(double deadline) {
    const double left = deadline - Seconds(CLOCK_MONOTONIC);
    if (left > 0) {
        timespec wait{static_cast<time_t>(left),
                      static_cast<long>((left - static_cast<time_t>(left)) * 1e9)};
        nanosleep(&wait, nullptr);
    }
}

enum class Pacing { None, OutsideSleep, Limiter };

// CPU seconds per frame over `frames` frames.
double Measure(C_Game& game, int frames, Pacing pacing) {
    platform::Event event;
    while (platform::PollEvent(&event)) {
        HandleEvent(event);
    }
    g_pModel->SetFrameRate(pacing == Pacing::Limiter ? 75 : 0);
    const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < frames; ++i) {
        const double start = Seconds(CLOCK_MONOTONIC);
        game.Frame();
        if (pacing == Pacing::OutsideSleep) {
            SleepUntil(start + kSlot);
        }
    }
    return (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) / frames;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    platform::SetPromptHook([](const std::string&, const std::string& text) {
        std::fprintf(stderr, "report: %s\n", text.c_str());
        return false;
    });
    const int frames = argc > 1 ? std::max(atoi(argv[1]), 10) : 150;
    const int rounds = 5;

    int status = 0;
    {
        C_Game game;
        g_bActive = 1;
        Measure(game, 30, Pacing::None);  // warm up

        std::vector<double> backToBack, idling, limited;
        for (int round = 0; round < rounds; ++round) {
            backToBack.push_back(Measure(game, frames, Pacing::None));
            idling.push_back(Measure(game, frames, Pacing::OutsideSleep));
            limited.push_back(Measure(game, frames, Pacing::Limiter));
        }
        const double none = Median(backToBack);
        const double idle = Median(idling);
        const double limit = Median(limited);
        std::printf("%d rounds of %d frames, median CPU time per frame:\n", rounds, frames);
        std::printf("  unlimited, back to back:       %8.1f us\n", none * 1e6);
        std::printf("  unlimited, idling to 1/75 s:   %8.1f us\n", idle * 1e6);
        std::printf("  limiter at 75:                 %8.1f us\n", limit * 1e6);
        std::printf("  a busy-waiting limiter would cost about %.1f us\n", kSlot * 1e6);
        const double overhead = limit / idle - 1.0;
        std::printf(
            "limiter adds %+.1f %% against idling frames (at most 10 %%), %+.1f %% against "
            "back-to-back frames\n",
            overhead * 100.0, (limit / none - 1.0) * 100.0);
        status = overhead > 0.10 ? 1 : 0;
    }
    platform::SetPromptHook(nullptr);
    return status;
}
