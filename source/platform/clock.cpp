#include "platform/clock.h"

#include <sys/prctl.h>
#include <time.h>

#include <chrono>

namespace platform {
namespace {

class SteadyClock : public ClockSource {
public:
    SteadyClock() {
        // The default 50 us timer slack would make every frame-limiter sleep
        // overshoot; ask the kernel for its tightest wake-ups instead.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    }

    int64_t Counter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    int64_t Frequency() override { return 1000000000; }

    void Sleep(int64_t counts) override {
        if (counts <= 0) {
            return;
        }
        timespec wait{static_cast<time_t>(counts / 1000000000),
                      static_cast<long>(counts % 1000000000)};
        while (nanosleep(&wait, &wait) != 0) {
            // Interrupted by a signal: sleep the rest.
        }
    }
};

SteadyClock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

ClockSource* g_installedClock = nullptr;

}  // namespace

ClockSource& Clock() {
    return g_installedClock != nullptr ? *g_installedClock : SystemClock();
}

void SetClock(ClockSource* source) {
    g_installedClock = source;
}

}  // namespace platform
