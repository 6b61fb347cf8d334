#pragma once

#include <cstdint>

#include "platform/clock.h"

// A clock that moves only when told: by Advance, by Sleep, and by `step`
// microseconds on every reading (so a polling wait always ends).
class ManualClock : public platform::ClockSource {
public:
    int64_t Counter() override {
        now += step;
        return now;
    }
    int64_t Frequency() override { return kFrequency; }
    void Sleep(int64_t counts) override {
        if (counts > 0) {
            now += counts;
            slept += counts;
        }
    }

    void Advance(double seconds) { now += static_cast<int64_t>(seconds * kFrequency); }
    double Seconds() const { return static_cast<double>(now) / kFrequency; }

    static constexpr int64_t kFrequency = 1000000;
    int64_t now = 0;
    int64_t step = 0;
    int64_t slept = 0;
};
