#include "shell/game.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "audio/wave.h"
#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "input/controller.h"
#include "model/model.h"
#include "net/net.h"
#include "platform/display.h"
#include "platform/events.h"
#include "view/view.h"

C_Game::C_Game() {
    HRESULT hr = g_pView->Init();
    if (FAILED(hr)) {
        DXError("game", __LINE__, hr, "C_View not properly created.");
    }
    hr = g_pConsole->Init();
    if (FAILED(hr)) {
        DXError("game", __LINE__, hr, "C_Console not properly created.");
    }
    hr = g_pController->Init();
    if (FAILED(hr)) {
        DXError("game", __LINE__, hr, "C_Controller not properly created.");
    }
    hr = g_pModel->Init();
    if (FAILED(hr)) {
        DXError("game", __LINE__, hr, "C_Model not properly created.");
    }
}

C_Game::~C_Game() {
    ReleaseAllWaves();
    DestroyFrameworkObjects();
}

void C_Game::Frame() {
    // Sound (its device and tunes) and game controllers are not needed for
    // the first picture: the window shows the menu before they start.
    if (frames == 1) {
        if (platform::Display* display = g_pView->GetDevice()) {
            display->StartGamepads();
        }
        g_pModel->StartSound();
    }
    ++frames;
    // A joined name that has resolved connects; the other player's messages
    // reach the match before the model moves.
    g_pNet->Update();
    g_pController->Update();
    g_pModel->Update();
    g_pView->Render();
}

void RequestQuit() {
    platform::PostQuit();
}

bool HandleEvent(const platform::Event& event) {
    switch (event.type) {
        case platform::EventType::Quit:
            return false;
        case platform::EventType::Activate:
            g_bActive = 1;
            break;
        case platform::EventType::Deactivate:
            g_bActive = 0;
            g_pController->OnFocusLost();
            break;
        case platform::EventType::Expose:
            // Neither a frame (none runs while inactive) nor a still one
            // (it draws nothing) would mend the window.
            g_pView->Repaint();
            break;
        case platform::EventType::KeyDown:
            // Up and Down recall earlier lines while the console is open.
            g_pConsole->OnKeyDown(event.key);
            g_pController->OnInputEvent(event);
            break;
        case platform::EventType::KeyUp:
        case platform::EventType::PadButtonDown:
        case platform::EventType::PadButtonUp:
        case platform::EventType::PadRemoved:
        case platform::EventType::MouseMotion:
        case platform::EventType::MouseButtonDown:
        case platform::EventType::MouseButtonUp:
        case platform::EventType::MouseWheel:
            g_pController->OnInputEvent(event);
            break;
        case platform::EventType::Text:
            // Typed characters reach the console whether it is open or not.
            for (const char* c = event.text; *c != '\0'; ++c) {
                g_pConsole->OnChar(*c);
            }
            g_pController->OnText(event.text);
            break;
        case platform::EventType::FullscreenSwitched:
            g_pModel->OnFullscreenSwitched();
            break;
        default:
            break;
    }
    return true;
}

long RunEventLoop(C_Game& game) {
    long frames = 0;
    for (;;) {
        platform::Event event;
        if (platform::PollEvent(&event)) {
            if (!HandleEvent(event)) {
                return frames;
            }
        } else if (g_bActive != 0 || (g_pNet != nullptr && g_pNet->NeedsFrames())) {
            game.Frame();
            ++frames;
        } else {
            platform::WaitEvent();
        }
    }
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& why) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--replay" && i + 1 < argc) {
            options.replay = argv[++i];
        } else {
            why = "usage: tubrix [--replay FILE]";
            return false;
        }
    }
    return true;
}

int GameMain(int argc, const char* const* argv) {
    Options options;
    std::string why;
    if (!ParseOptions(argc, argv, options, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 2;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    C_Game game;
    if (!options.replay.empty()) {
        g_pModel->WatchReplay(options.replay);
    }
    RunEventLoop(game);
    return 0;
}
