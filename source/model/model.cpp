#include "model/model.h"

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "demos/demoa.h"
#include "demos/demob.h"
#include "model/quitstate.h"
#include "pong/pong.h"
#include "screens/gameover.h"
#include "screens/instructions.h"
#include "screens/matchscreen.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "screens/versusscreen.h"

namespace {

constexpr uint32_t kFontColour = 0x321E1E1E;
constexpr int kFontHeight = 25;
// Light on target: every screen is dark where the read-out sits.
constexpr uint32_t kOnTarget = 0xFFE0E0E0;
constexpr uint32_t kOffTarget = 0xFFFF0000;
// The read-out's baseline corner: a copy one pixel up and left thickens it.
constexpr int kFpsLeft = 5;
constexpr int kFpsBottom = 600;

std::unique_ptr<C_GameState> BuildState(int id) {
    switch (id) {
        case STATE_MENU:
            return std::make_unique<C_Menu>();
        case STATE_PONG:
            return std::make_unique<C_Pong>();
        case STATE_DEMO_A:
            return std::make_unique<C_DemoA>();
        case STATE_DEMO_B:
            return std::make_unique<C_DemoB>();
        case STATE_QUIT:
            return std::make_unique<C_QuitState>();
        case STATE_GAMEOVER_LOST:
            return std::make_unique<C_GameOver>(0);
        case STATE_GAMEOVER_WON:
            return std::make_unique<C_GameOver>(1);
        case STATE_PLAY:
            return std::make_unique<C_PlayScreen>();
        case STATE_INSTRUCTIONS:
            return std::make_unique<C_Instructions>();
        case STATE_VERSUS:
            return std::make_unique<C_VersusScreen>();
        case STATE_MATCH:
            return std::make_unique<C_MatchScreen>();
        default:
            return nullptr;
    }
}

}  // namespace

C_Model::~C_Model() {
    font.reset();
    timer.reset();
    currentState.reset();
}

HRESULT C_Model::Init() {
    font = std::make_unique<C_Font>("Helvitica", kFontHeight, kFontColour);
    timer = std::make_unique<C_Timer>();
    ChangeState();
    initialised = 1;
    return S_OK;
}

HRESULT C_Model::Update() {
    g_pConsole->Update();
    timer->Update(static_cast<float>(targetFrameRate));
    if (currentState && !g_pConsole->IsPaused()) {
        currentState->Update();
    }
    if (nextState != 0) {
        // The old screen goes before the new one is built: the two may load
        // resources of the same names.
        currentState.reset();
        ChangeState();
    }
    if (currentState) {
        currentState->DrawStep();
    }
    return S_OK;
}

HRESULT C_Model::Render() {
    if (currentState) {
        currentState->Render();
    }
    if (g_pConsole->IsFpsOn()) {
        RenderFps();
    }
    return S_OK;
}

void C_Model::RenderFps() {
    if (!font || !timer) {
        return;
    }
    const int fps = timer->GetFps();
    font->SetColour(fps == targetFrameRate ? kOnTarget : kOffTarget);
    const std::string text = "FPS " + IntToString(fps);
    const int h = font->GetLineHeight();
    font->DrawText(text, kFpsLeft, kFpsBottom - h, TEXT_FILTERED);
    font->DrawText(text, kFpsLeft - 1, kFpsBottom - 1 - h, TEXT_FILTERED);
}

void C_Model::SetFrameRate(int fps) {
    targetFrameRate = fps;
    g_pConsole->AddLine("New frame rate: " + IntToString(fps));
}

void C_Model::ChangeState() {
    currentState = BuildState(nextState);
    nextState = 0;
    if (!currentState) {
        DXError("model", __LINE__, 0, "C_Model tried to change to an unknown state");
    }
}
