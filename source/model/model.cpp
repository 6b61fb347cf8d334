#include "model/model.h"

#include "console/console.h"
#include "demos/demoa.h"
#include "demos/demob.h"
#include "model/quitstate.h"
#include "pong/pong.h"
#include "screens/gameover.h"
#include "screens/instructions.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "shell/error.h"
#include "shell/globals.h"

namespace {

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
        default:
            return nullptr;
    }
}

}  // namespace

C_Model::~C_Model() {
    timer.reset();
    currentState.reset();
}

HRESULT C_Model::Init() {
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
    return S_OK;
}

HRESULT C_Model::Render() {
    if (currentState) {
        currentState->Render();
    }
    return S_OK;
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
