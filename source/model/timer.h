#pragma once

#include <cstdint>

// Measures frames, keeps the game clock (which stands still while the console
// pauses the game) and holds frames to a target rate.
class C_Timer {
public:
    C_Timer();

    // Restarts the clock: game time 0, and the next limited frame ends at once.
    void Reset();
    // Measures one frame; above a target of 1 it first waits until the frame's
    // slot of 1 / targetFps seconds of game time is over.
    void Update(float targetFps);

    // The measured rate, refreshed four times per second of game time.
    int GetFps();
    // 0 in a frame during which game time - offset crossed a multiple of
    // `period`, otherwise the time since the last multiple.
    float GetPeriodPhase(float period, float offset) const;
    float GetGameTime() const { return gameTime; }
    float GetFrameTime() const { return frameTime; }

private:
    void ReadCounter();
    void WaitForSlot();

    int64_t currentCount = 0;
    int64_t lastCount = 0;
    int64_t frequency = 1;
    float frameTime = 0.0f;
    float gameTime = 0.0f;
    float nextFrame = 0.0f;
    // How close to the deadline the limiter stops sleeping and starts polling:
    // follows how late the clock's sleeps wake up.
    float spinMargin = 0.001f;
};
