// Demo B's frame with many balls, headless on the software renderer: one
// ball is dropped per update with Up held until there are n, then Up is let
// go and the pile's next frames are timed, Update (the balls' moves and the
// collision sweep) apart from Render (sprites and names). Medians of wall
// time, and of the thread's processor time, which a busy machine disturbs
// less.
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "demos/demob.h"
#include "input/controller.h"
#include "input/keyboard.h"
#include "model/model.h"
#include "platform/display.h"
#include "platform/prompt.h"
#include "shell/game.h"
#include "view/view.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

double ThreadMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// Wall and processor time of one call, in microseconds.
struct Timing {
    std::vector<double> wall;
    std::vector<double> processor;

    template <typename Work>
    void Time(Work work) {
        const Clock::time_point start = Clock::now();
        const double startProcessor = ThreadMicroseconds();
        work();
        processor.push_back(ThreadMicroseconds() - startProcessor);
        wall.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    int reports = 0;
    platform::SetPromptHook([&reports](const std::string& title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        ++reports;
        return false;
    });
    const int frames = argc > 1 ? std::max(atoi(argv[1]), 1) : 31;
    srand(1);
    {
        C_Game game;
        std::printf("%6s %12s %12s %12s %12s %12s  (median of %d frames)\n", "balls", "update us",
                    "(processor)", "render us", "(processor)", "sprites only", frames);
        for (int balls : {100, 1000, 5000}) {
            g_pModel->SetNextState(STATE_DEMO_B);
            game.Frame();
            auto* demo = dynamic_cast<C_DemoB*>(g_pModel->GetState());
            if (demo == nullptr) {
                std::fprintf(stderr, "demo B did not start\n");
                return 1;
            }
            C_Keyboard* keyboard = g_pController->GetKeyboard();
            keyboard->OnKey(DIK_UP, true);
            while (static_cast<int>(demo->GetBalls().size()) < balls) {
                g_pController->Update();
                demo->Update();
            }
            keyboard->OnKey(DIK_UP, false);
            g_pController->Update();
            g_pController->Update();
            platform::Display* device = g_pView->GetDevice();
            Timing update;
            Timing render;
            Timing sprites;
            for (int frame = 0; frame < frames; ++frame) {
                update.Time([demo] { demo->Update(); });
                device->Clear(0xFFFFFFFF);
                device->BeginScene();
                render.Time([demo] { demo->Render(); });
                // The console's test flag leaves the names out: the sprites alone.
                g_pConsole->SetTestOn(true);
                sprites.Time([demo] { demo->Render(); });
                g_pConsole->SetTestOn(false);
                device->EndScene();
            }
            std::printf("%6d %12.0f %12.0f %12.0f %12.0f %12.0f\n", balls, Median(update.wall),
                        Median(update.processor), Median(render.wall), Median(render.processor),
                        Median(sprites.processor));
        }
    }
    platform::SetPromptHook(nullptr);
    if (reports > 0) {
        std::printf("%d error reports\n", reports);
        return 1;
    }
    return 0;
}
