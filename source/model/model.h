#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/hresult.h"
#include "model/gamestate.h"
#include "model/stateids.h"
#include "model/timer.h"
#include "replay/replay.h"
#include "screens/screencontext.h"
#include "store/highscores.h"
#include "versus/matchsetup.h"
#include "view/font.h"

class C_Mp3;
class C_Settings;

// A finished game waiting for its player's name, and the screen that follows
// the table.
struct FinishedGame {
    HighScore game;
    int nextState = STATE_MENU;
};

// Owns the one current screen and switches screens on request, keeps the
// frame timer and the target frame rate, and draws the frame-rate read-out.
// It also keeps what lasts across screens: the player's settings and the
// score table, one each for the run, and the two tunes, each looping on the
// screens it belongs to. Every screen it builds is handed one context: this
// model, the settings, the score table, the input and the network.
class C_Model {
public:
    C_Model();
    virtual ~C_Model();
    C_Model(const C_Model&) = delete;
    C_Model& operator=(const C_Model&) = delete;

    // Makes the frame-rate font and the timer, loads the settings and the
    // score table and applies the settings (volumes, fullscreen), and builds
    // the first screen. Cannot fail: a file that cannot be read is one console
    // line and its defaults.
    HRESULT Init();
    // Console upkeep, frame timing, the screen's update unless paused, and
    // then any switch requested during this frame.
    HRESULT Update();
    // The current screen, then the frame-rate read-out.
    HRESULT Render();

    // Requests a switch at the end of the current or next Update; the last
    // request before then wins.
    void SetNextState(int id) { nextState = id; }
    // As SetNextState, handing over the match chosen: the versus and match
    // screens are built from the last one handed over.
    void SetNextState(int id, const MatchSetup& setup) {
        nextState = id;
        matchSetup = setup;
    }
    void SetFrameRate(int fps);
    int GetFrameRate() const { return targetFrameRate; }

    // Opens the sound device with the two tunes, and the current screen's
    // tune plays. The first frame does not wait for it: the game calls this
    // once that frame is shown. Does nothing the second time.
    void StartSound();
    C_GameState* GetState() const { return currentState.get(); }
    // The console's pause holds the current screen and the game time: not a
    // screen that says it is not pausable.
    bool Held() const;
    C_Timer* GetTimer() const { return timer.get(); }
    // The frame-rate font, shared with the screens.
    C_Font* GetFont() const { return font.get(); }
    bool IsInitialised() const { return initialised != 0; }

    // The settings and the score table in force: the screens' context's.
    C_Settings* GetSettings() const { return &Chosen(); }
    C_HighScores* GetHighScores() const { return screens ? &screens->scores : highScores.get(); }
    // What every screen is built with, made at Init from this model, its
    // settings and score table and the framework's controller and network. A
    // test hands the screens built after a network and settings of its own;
    // the context's model stays this one.
    const ScreenContext& GetScreenContext() const { return *screens; }
    void SetScreenContext(const ScreenContext& context) { screens.emplace(context); }
    // Null before Init.
    C_Mp3* GetMenuTune() const { return menuTune.get(); }
    C_Mp3* GetPlayTune() const { return playTune.get(); }
    // The window went fullscreen or back: the choice is kept for the next run.
    void OnFullscreenSwitched();
    // Makes the settings' volumes and fullscreen choice the game's.
    void ApplySettings();

    // A game that makes the score table, for the screen that asks its name.
    void SetFinishedGame(const FinishedGame& finished);
    // Hands the waiting game over once; false when none waits.
    bool TakeFinishedGame(FinishedGame* finished);

    // Switches to watching the replay file at `path` on its game's screen
    // (the play screen for a game, the match screen for a match, the play
    // screen saying why when it cannot be shown), then back to `after`.
    void WatchReplay(const std::string& path, int after = STATE_MENU);
    // Hands the replay to watch over once, or the line that says why there
    // is none; false when no watching waits.
    bool TakeReplayToWatch(Replay* replay, std::string* why, int* after);

private:
    void ChangeState();
    C_Settings& Chosen() const { return screens ? screens->settings : *settings; }

    void RenderFps();
    // The tune of the screen just built loops; a screen without one is quiet.
    void PlayTuneOf(int state);

    std::unique_ptr<C_GameState> currentState;
    std::unique_ptr<C_Font> font;
    std::unique_ptr<C_Timer> timer;
    std::unique_ptr<C_Settings> settings;
    std::unique_ptr<C_HighScores> highScores;
    std::unique_ptr<C_Mp3> menuTune;
    std::unique_ptr<C_Mp3> playTune;
    // The screen last built, whose tune StartSound plays.
    int builtState = 0;
    std::optional<ScreenContext> screens;
    FinishedGame finishedGame;
    MatchSetup matchSetup;
    bool gameWaiting = false;
    bool replayWaiting = false;
    Replay replayToWatch;
    std::string replayLine;
    int afterReplay = STATE_MENU;
    int nextState = STATE_MENU;
    int initialised = 0;
    int targetFrameRate = 75;
};
