#pragma once

#include <memory>

#include "core/hresult.h"
#include "model/gamestate.h"
#include "model/stateids.h"
#include "model/timer.h"
#include "view/font.h"

// Owns the one current screen and switches screens on request, keeps the
// frame timer and the target frame rate, and draws the frame-rate read-out.
class C_Model {
public:
    C_Model() = default;
    virtual ~C_Model();
    C_Model(const C_Model&) = delete;
    C_Model& operator=(const C_Model&) = delete;

    // Makes the frame-rate font and the timer and builds the first screen.
    // Cannot fail.
    HRESULT Init();
    // Console upkeep, frame timing, the screen's update unless paused, and
    // then any switch requested during this frame.
    HRESULT Update();
    // The current screen, then the frame-rate read-out.
    HRESULT Render();

    // Requests a switch at the end of the current or next Update; the last
    // request before then wins.
    void SetNextState(int id) { nextState = id; }
    void SetFrameRate(int fps);
    int GetFrameRate() const { return targetFrameRate; }

    C_GameState* GetState() const { return currentState.get(); }
    C_Timer* GetTimer() const { return timer.get(); }
    // The frame-rate font, shared with the screens.
    C_Font* GetFont() const { return font.get(); }
    bool IsInitialised() const { return initialised != 0; }

private:
    void ChangeState();

    void RenderFps();

    std::unique_ptr<C_GameState> currentState;
    std::unique_ptr<C_Font> font;
    std::unique_ptr<C_Timer> timer;
    int nextState = STATE_MENU;
    int initialised = 0;
    int targetFrameRate = 75;
};
