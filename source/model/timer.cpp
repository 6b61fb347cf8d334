#include "model/timer.h"

#include <algorithm>
#include <cmath>

#include "console/console.h"
#include "core/globals.h"
#include "model/model.h"
#include "platform/clock.h"

namespace {

// The measured rate is shared by every timer, as the read-out is one number.
int g_measuredFps = 0;

constexpr float kFpsRefreshPeriod = 0.25f;
constexpr float kMinSpinMargin = 0.00001f;
constexpr float kMaxSpinMargin = 0.002f;

bool GamePaused() {
    if (g_pModel != nullptr) {
        return g_pModel->Held();
    }
    return g_pConsole != nullptr && g_pConsole->IsPaused();
}

}  // namespace

C_Timer::C_Timer() {
    Reset();
}

void C_Timer::Reset() {
    platform::ClockSource& clock = platform::Clock();
    frequency = std::max<int64_t>(clock.Frequency(), 1);
    currentCount = clock.Counter();
    lastCount = currentCount;
    frameTime = 0.0f;
    gameTime = 0.0f;
    nextFrame = 0.0f;
}

void C_Timer::ReadCounter() {
    currentCount = platform::Clock().Counter();
    frameTime = static_cast<float>(currentCount - lastCount) / static_cast<float>(frequency);
}

// Sleeps through most of the slot and polls only its last moments, so a
// limited frame neither ends early nor keeps a processor busy.
void C_Timer::WaitForSlot() {
    platform::ClockSource& clock = platform::Clock();
    for (;;) {
        ReadCounter();
        const float remaining = nextFrame - (gameTime + frameTime);
        if (remaining < 0.0f) {
            return;
        }
        if (remaining > spinMargin) {
            const float sleep = remaining - spinMargin;
            const int64_t before = currentCount;
            clock.Sleep(static_cast<int64_t>(sleep * static_cast<float>(frequency)));
            const float slept =
                static_cast<float>(clock.Counter() - before) / static_cast<float>(frequency);
            // Follow the typical wake-up delay: polling then covers only
            // the moments the sleep is likely to overshoot.
            const float late = std::max(slept - sleep, 0.0f);
            spinMargin =
                std::clamp(0.875f * spinMargin + 0.125f * late, kMinSpinMargin, kMaxSpinMargin);
        }
    }
}

void C_Timer::Update(float targetFps) {
    if (targetFps > 1.0f) {
        WaitForSlot();
        lastCount = currentCount;
        if (!GamePaused()) {
            gameTime += frameTime;
            nextFrame = gameTime + 1.0f / targetFps;
        }
        return;
    }
    ReadCounter();
    lastCount = currentCount;
    if (!GamePaused()) {
        gameTime += frameTime;
    }
}

float C_Timer::GetPeriodPhase(float period, float offset) const {
    const float t = gameTime - offset;
    const float a = std::fmod(t, period);
    const float b = std::fmod(t - frameTime, period);
    if (b > a) {
        return 0.0f;
    }
    return a;
}

int C_Timer::GetFps() {
    if (GetPeriodPhase(kFpsRefreshPeriod, 0.0f) == 0.0f && frameTime != 0.0f) {
        g_measuredFps = static_cast<int>(std::ceil(1.0 / frameTime));
    }
    return g_measuredFps;
}
