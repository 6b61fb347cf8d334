#include "model/model.h"

#include "audio/mp3.h"
#include "audio/wave.h"
#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "demos/demoa.h"
#include "demos/demob.h"
#include "model/quitstate.h"
#include "pong/pong.h"
#include "replay/replayfile.h"
#include "screens/gameover.h"
#include "screens/instructions.h"
#include "screens/matchscreen.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "screens/scorescreen.h"
#include "screens/settingsscreen.h"
#include "screens/versusscreen.h"
#include "store/settings.h"
#include "view/view.h"

namespace {

constexpr uint32_t kFontColour = 0x321E1E1E;
constexpr int kFontHeight = 25;
// Light on target: every screen is dark where the read-out sits.
constexpr uint32_t kOnTarget = 0xFFE0E0E0;
constexpr uint32_t kOffTarget = 0xFFFF0000;
// The read-out's baseline corner: a copy one pixel up and left thickens it.
constexpr int kFpsLeft = 5;
constexpr int kFpsBottom = 600;

std::unique_ptr<C_GameState> BuildState(int id, const ScreenContext& context,
                                        const MatchSetup& setup) {
    switch (id) {
        case STATE_MENU:
            return std::make_unique<C_Menu>(context);
        case STATE_PONG:
            return std::make_unique<C_Pong>();
        case STATE_DEMO_A:
            return std::make_unique<C_DemoA>();
        case STATE_DEMO_B:
            return std::make_unique<C_DemoB>();
        case STATE_QUIT:
            return std::make_unique<C_QuitState>();
        case STATE_GAMEOVER_LOST:
            return std::make_unique<C_GameOver>(context, 0);
        case STATE_GAMEOVER_WON:
            return std::make_unique<C_GameOver>(context, 1);
        case STATE_PLAY:
        case STATE_REPLAY:
            return std::make_unique<C_PlayScreen>(context);
        case STATE_INSTRUCTIONS:
            return std::make_unique<C_Instructions>(context);
        case STATE_VERSUS:
            return std::make_unique<C_VersusScreen>(context, setup);
        case STATE_MATCH:
            return std::make_unique<C_MatchScreen>(context, setup);
        case STATE_SETTINGS:
            return std::make_unique<C_SettingsScreen>(context);
        case STATE_SCORES:
            return std::make_unique<C_ScoreScreen>(context);
        default:
            return nullptr;
    }
}

enum class Tune { None, Menu, Play };

// The menu's tune goes on through the screens around it, the versus screen
// among them; a game and a match play the play tune. Pong and the demos
// have none (demo B plays its own).
Tune TuneOf(int state) {
    switch (state) {
        case STATE_MENU:
        case STATE_INSTRUCTIONS:
        case STATE_SETTINGS:
        case STATE_SCORES:
        case STATE_VERSUS:
            return Tune::Menu;
        case STATE_PLAY:
        case STATE_MATCH:
            return Tune::Play;
        default:
            return Tune::None;
    }
}

void ToConsole(const std::string& line) {
    if (g_pConsole != nullptr) {
        g_pConsole->AddLine(line);
    }
}

}  // namespace

C_Model::C_Model()
    : settings(std::make_unique<C_Settings>(ToConsole)),
      highScores(std::make_unique<C_HighScores>(ToConsole)) {}

C_Model::~C_Model() {
    font.reset();
    timer.reset();
    currentState.reset();
    menuTune.reset();
    playTune.reset();
}

HRESULT C_Model::Init() {
    font = std::make_unique<C_Font>("Helvitica", kFontHeight, kFontColour);
    timer = std::make_unique<C_Timer>();
    screens.emplace(ScreenContext{*this, *settings, *highScores, *g_pController, g_pNet});
    settings->Load();
    highScores->Load();
    ApplySettings();
    ChangeState();
    initialised = 1;
    return S_OK;
}

bool C_Model::Held() const {
    return g_pConsole != nullptr && g_pConsole->IsPaused() &&
           (currentState == nullptr || currentState->Pausable());
}

HRESULT C_Model::Update() {
    g_pConsole->Update();
    timer->Update(static_cast<float>(targetFrameRate));
    if (currentState && !Held()) {
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
    const int state = nextState;
    currentState = BuildState(state, *screens, matchSetup);
    nextState = 0;
    if (!currentState) {
        DXError("model", __LINE__, 0, "C_Model tried to change to an unknown state");
        return;
    }
    builtState = state;
    PlayTuneOf(state);
}

void C_Model::StartSound() {
    if (menuTune) {
        return;
    }
    menuTune = std::make_unique<C_Mp3>("menu.mp3");
    playTune = std::make_unique<C_Mp3>("play.mp3");
    if (currentState) {
        PlayTuneOf(builtState);
    }
}

void C_Model::PlayTuneOf(int state) {
    if (!menuTune || !playTune) {
        return;
    }
    switch (TuneOf(state)) {
        case Tune::Menu:
            menuTune->Loop();
            break;
        case Tune::Play:
            playTune->Loop();
            break;
        case Tune::None:
            menuTune->Stop();
            playTune->Stop();
            break;
    }
}

void C_Model::ApplySettings() {
    const C_Settings& chosen = Chosen();
    SetMusicVolume(chosen.GetMusicVolume());
    SetEffectsVolume(chosen.GetEffectsVolume());
    platform::Display* display = g_pView != nullptr ? g_pView->GetDevice() : nullptr;
    if (display != nullptr && display->HasRenderer() &&
        display->IsFullscreen() != chosen.IsFullscreen()) {
        display->SetFullscreen(chosen.IsFullscreen());
    }
}

void C_Model::OnFullscreenSwitched() {
    const platform::Display* display = g_pView != nullptr ? g_pView->GetDevice() : nullptr;
    C_Settings& chosen = Chosen();
    if (display != nullptr && display->IsFullscreen() != chosen.IsFullscreen()) {
        chosen.SetFullscreen(display->IsFullscreen());
        chosen.Save();
    }
}

void C_Model::SetFinishedGame(const FinishedGame& finished) {
    finishedGame = finished;
    gameWaiting = true;
}

void C_Model::WatchReplay(const std::string& path, int after) {
    replayWaiting = true;
    replayLine.clear();
    if (!ReadReplayFile(path, replayToWatch, replayLine)) {
        replayToWatch = Replay{};
    }
    afterReplay = after;
    nextState =
        replayLine.empty() && replayToWatch.mode != REPLAY_GAME ? STATE_MATCH : STATE_REPLAY;
}

bool C_Model::TakeReplayToWatch(Replay* replay, std::string* why, int* after) {
    if (!replayWaiting) {
        return false;
    }
    replayWaiting = false;
    *replay = std::move(replayToWatch);
    replayToWatch = Replay{};
    *why = replayLine;
    *after = afterReplay;
    return true;
}

bool C_Model::TakeFinishedGame(FinishedGame* finished) {
    if (!gameWaiting) {
        return false;
    }
    *finished = finishedGame;
    gameWaiting = false;
    return true;
}
