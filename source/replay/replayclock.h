#pragma once

#include <cmath>
#include <cstdint>

#include "replay/framecoding.h"

// The game time a recorded round or match runs on: the timer's, from the
// first frame on, in whole ticks added up exactly as a replay adds them. A
// frame's time is then a short step that repeats at a steady rate, where the
// timer's own measured times would differ in every frame.
class C_ReplayClock {
public:
    // The time for this frame, given the timer's game time.
    float Advance(float timerTime) {
        if (!started) {
            started = true;
            start = timerTime;
        }
        const auto ticks = static_cast<int64_t>(
            std::floor((static_cast<double>(timerTime) - start) * kTicksPerSecond));
        if (ticks > counted) {
            now = StepTime(now, static_cast<uint32_t>(ticks - counted));
            counted = ticks;
        }
        return now;
    }
    float Time() const { return now; }

private:
    bool started = false;
    double start = 0.0;
    int64_t counted = 0;
    float now = 0.0f;
};
