#include "model/timer.h"

#include <gtest/gtest.h>

#include "console/console.h"
#include "core/globals.h"
#include "support/manualclock.h"

namespace {

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetClock(&clock);
        g_pConsole->SetPaused(false);
    }
    void TearDown() override {
        g_pConsole->SetPaused(false);
        platform::SetClock(nullptr);
    }

    // One unlimited frame lasting exactly `seconds`.
    void UnlimitedFrame(C_Timer& timer, double seconds) {
        clock.Advance(seconds);
        timer.Update(0.0f);
    }

    ManualClock clock;
};

TEST_F(TimerTest, LimitedFramesLastAtLeastTheSlotAndSleepMostOfIt) {
    clock.step = 5;  // each reading moves 5 us
    C_Timer timer;
    timer.Update(75.0f);  // the first frame after a reset ends without waiting
    EXPECT_EQ(clock.slept, 0);
    EXPECT_LT(timer.GetFrameTime(), 0.001f);

    for (int frame = 0; frame < 200; ++frame) {
        const int64_t sleptBefore = clock.slept;
        const int64_t start = clock.now;
        clock.Advance(0.002);  // the frame's own work
        timer.Update(75.0f);
        EXPECT_GT(timer.GetFrameTime(), 1.0f / 75.0f) << "frame " << frame;
        // The wait is mostly sleep; polling covers at most the last 2 ms.
        const int64_t waited = clock.now - start - 2000;
        const int64_t polled = waited - (clock.slept - sleptBefore);
        EXPECT_LE(polled, 2000 + 10) << "frame " << frame;
    }
    EXPECT_NEAR(timer.GetGameTime(), 201.0f / 75.0f, 0.05f);
}

TEST_F(TimerTest, ASlowFrameIsNotMadeUpForLater) {
    clock.step = 5;
    C_Timer timer;
    timer.Update(75.0f);
    clock.Advance(0.1);
    const int64_t sleptBefore = clock.slept;
    timer.Update(75.0f);
    EXPECT_EQ(clock.slept, sleptBefore);
    EXPECT_NEAR(timer.GetFrameTime(), 0.1f, 0.0001f);
    // The next frame still gets a whole slot.
    timer.Update(75.0f);
    EXPECT_GT(timer.GetFrameTime(), 1.0f / 75.0f);
}

TEST_F(TimerTest, TargetsOfOneOrLessDoNotLimit) {
    for (float target : {1.0f, 0.5f, 0.0f, -30.0f}) {
        clock.step = 0;
        C_Timer timer;
        const int64_t sleptBefore = clock.slept;
        UnlimitedFrame(timer, 0.001);
        UnlimitedFrame(timer, 0.001);
        clock.Advance(0.001);
        timer.Update(target);
        EXPECT_EQ(clock.slept, sleptBefore) << "target " << target;
        EXPECT_NEAR(timer.GetFrameTime(), 0.001f, 1e-6f) << "target " << target;
        EXPECT_NEAR(timer.GetGameTime(), 0.003f, 1e-6f) << "target " << target;
    }
}

TEST_F(TimerTest, PauseStopsTheGameClockButFramesStayLimited) {
    clock.step = 5;
    C_Timer timer;
    timer.Update(75.0f);
    clock.Advance(0.004);
    timer.Update(75.0f);
    const float gameTime = timer.GetGameTime();

    g_pConsole->SetPaused(true);
    for (int frame = 0; frame < 5; ++frame) {
        timer.Update(75.0f);
        EXPECT_EQ(timer.GetGameTime(), gameTime);
        // Each paused frame still waits out the gap left when the pause began.
        EXPECT_GT(timer.GetFrameTime(), 1.0f / 75.0f - 0.0001f);
    }
    g_pConsole->SetPaused(false);
    timer.Update(75.0f);
    EXPECT_GT(timer.GetGameTime(), gameTime);

    // Unlimited frames stop the clock too.
    g_pConsole->SetPaused(true);
    const float pausedAt = timer.GetGameTime();
    clock.step = 0;
    UnlimitedFrame(timer, 0.5);
    EXPECT_EQ(timer.GetGameTime(), pausedAt);
    EXPECT_NEAR(timer.GetFrameTime(), 0.5f, 1e-4f);
}

TEST_F(TimerTest, ResetStartsTheClockAgain) {
    clock.step = 5;
    C_Timer timer;
    for (int i = 0; i < 10; ++i) {
        timer.Update(75.0f);
    }
    ASSERT_GT(timer.GetGameTime(), 0.1f);
    timer.Reset();
    EXPECT_EQ(timer.GetGameTime(), 0.0f);
    EXPECT_EQ(timer.GetFrameTime(), 0.0f);
    const int64_t sleptBefore = clock.slept;
    timer.Update(75.0f);
    EXPECT_EQ(clock.slept, sleptBefore);
}

TEST_F(TimerTest, PeriodPhaseReportsCrossingsOncePerFrame) {
    clock.step = 0;
    C_Timer timer;
    UnlimitedFrame(timer, 0.2);  // 0 -> 0.2: inside the first period
    EXPECT_NEAR(timer.GetPeriodPhase(0.25f, 0.0f), 0.2f, 1e-5f);
    UnlimitedFrame(timer, 0.1);  // 0.2 -> 0.3 crosses 0.25
    EXPECT_EQ(timer.GetPeriodPhase(0.25f, 0.0f), 0.0f);
    UnlimitedFrame(timer, 0.1);  // 0.3 -> 0.4
    EXPECT_NEAR(timer.GetPeriodPhase(0.25f, 0.0f), 0.15f, 1e-5f);
    // With an offset the multiples move: 0.4 - 0.1 = 0.3 has crossed 0.25.
    EXPECT_EQ(timer.GetPeriodPhase(0.25f, 0.1f), 0.0f);

    // A frame longer than several periods is still one frame: at most one
    // crossing, and none when its phase ends above where it began.
    UnlimitedFrame(timer, 0.62);  // 0.4 -> 1.02
    EXPECT_EQ(timer.GetPeriodPhase(0.25f, 0.0f), 0.0f);
    UnlimitedFrame(timer, 0.05);  // 1.02 -> 1.07
    EXPECT_NEAR(timer.GetPeriodPhase(0.25f, 0.0f), 0.07f, 1e-4f);
    UnlimitedFrame(timer, 1.01);  // 1.07 -> 2.08 crosses four multiples
    EXPECT_NEAR(timer.GetPeriodPhase(0.25f, 0.0f), 0.08f, 1e-4f);
}

TEST_F(TimerTest, FpsRoundsUpAndRefreshesFourTimesPerGameSecond) {
    clock.step = 0;
    C_Timer timer;
    // Frames of 30.1 ms (33.2 per second, shown as 34): the read-out takes the
    // frame that crosses each quarter second and holds it until the next.
    int refreshes = 0;
    int last = timer.GetFps();
    for (int frame = 0; frame < 34; ++frame) {
        UnlimitedFrame(timer, 0.0301);
        const int fps = timer.GetFps();
        if (timer.GetPeriodPhase(0.25f, 0.0f) == 0.0f) {
            ++refreshes;
            EXPECT_EQ(fps, 34);
        } else {
            EXPECT_EQ(fps, last) << "changed between quarter seconds";
        }
        last = fps;
    }
    EXPECT_EQ(refreshes, 4);

    // A 15.1 ms frame is 66.2 per second: rounded up to 67, but only once the
    // quarter second is crossed.
    while (timer.GetPeriodPhase(0.25f, 0.0f) + 0.0151f < 0.25f) {
        UnlimitedFrame(timer, 0.0151);
        EXPECT_EQ(timer.GetFps(), 34);
    }
    UnlimitedFrame(timer, 0.0151);
    EXPECT_EQ(timer.GetFps(), 67);
}

}  // namespace
