#pragma once

// A round's own clock on the game time the model's timer gives: the round
// restarts it with Reset, and two rounds never disturb each other's. Its
// event test is the timer's period phase, counted from the last reset.
class C_RoundClock {
public:
    // The game time of this frame's update.
    void Advance(float gameTime) {
        previous = current;
        current = gameTime;
    }
    // Time counts from now; no period has passed in this frame any more.
    void Reset() {
        resetPoint = current;
        previous = current;
    }
    // True in the frame in which a multiple of `period` passed since the last
    // reset, and right after a reset.
    bool Crossed(float period) const;
    // Seconds since the last reset.
    float Time() const { return current - resetPoint; }

private:
    float resetPoint = 0.0f;
    float previous = 0.0f;
    float current = 0.0f;
};
