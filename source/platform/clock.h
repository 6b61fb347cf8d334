#pragma once

#include <cstdint>

namespace platform {

// A monotonic counter with its rate, and a way to wait on it. The frame timer
// reads time only through this, so tests can drive it exactly.
class ClockSource {
public:
    virtual ~ClockSource() = default;
    virtual int64_t Counter() = 0;
    virtual int64_t Frequency() = 0;
    // Blocks for at least `counts` ticks of this clock.
    virtual void Sleep(int64_t counts) = 0;
};

// The clock in use: the steady system clock unless a test installed another.
ClockSource& Clock();

// Installs `source` (not owned); null restores the system clock.
void SetClock(ClockSource* source);

}  // namespace platform
