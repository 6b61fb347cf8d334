// Demo B's frame with many balls, headless on the software renderer: one
// ball is dropped per update with Up held until there are n, then Up is let
// go and the pile's next frames are timed, Update (the balls' moves and the
// collision sweep) apart from Render (sprites and names). Medians.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

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

double Microseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::micro>(Clock::now() - since).count();
}

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
        std::printf("%6s %14s %14s  (median of %d frames)\n", "balls", "update us", "render us",
                    frames);
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
            std::vector<double> update;
            std::vector<double> render;
            for (int frame = 0; frame < frames; ++frame) {
                Clock::time_point start = Clock::now();
                demo->Update();
                update.push_back(Microseconds(start));
                device->Clear(0xFFFFFFFF);
                device->BeginScene();
                start = Clock::now();
                demo->Render();
                render.push_back(Microseconds(start));
                device->EndScene();
            }
            std::printf("%6d %14.0f %14.0f\n", balls, Median(update), Median(render));
        }
    }
    platform::SetPromptHook(nullptr);
    if (reports > 0) {
        std::printf("%d error reports\n", reports);
        return 1;
    }
    return 0;
}
