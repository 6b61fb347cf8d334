#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "model/stateids.h"
#include "puzzle/gameboard.h"
#include "replay/replayfile.h"
#include "replay/wellhash.h"
#include "screens/matchscreen.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "screens/replaywatch.h"
#include "support/screentest.h"
#include "versus/matchkind.h"

namespace {

constexpr const char* kGame = "tests/corpus/game-001.tbreplay";

class ReplayWatchTest : public ScreenTest {
protected:
    template <typename T = C_PlayScreen>
    T* Watch(const char* path) {
        g_pModel->WatchReplay(path, STATE_MENU);
        EXPECT_TRUE(RunFrames(1));
        return Screen<T>();
    }
};

TEST_F(ReplayWatchTest, TheWatchKeysPauseStepSeekAndSpeedAndTheReplayEndsAsRecorded) {
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReadReplayFile(kGame, replay, why)) << why;
    C_PlayScreen* play = Watch(kGame);
    ASSERT_NE(play, nullptr);
    ASSERT_NE(play->watch, nullptr) << play->watchLine;
    C_ReplayWatch& watch = *play->watch;
    // At x1 a replay frame a drawn frame.
    uint32_t frame = watch.Frame();
    ASSERT_TRUE(RunFrames(10));
    EXPECT_EQ(watch.Frame(), frame + 10);

    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    ASSERT_TRUE(watch.Paused());
    frame = watch.Frame();
    ASSERT_TRUE(RunFrames(5));
    EXPECT_EQ(watch.Frame(), frame);
    ASSERT_TRUE(Tap(SDL_SCANCODE_PERIOD));
    EXPECT_EQ(watch.Frame(), frame + 1);
    // The corpus runs at 75 frames a second: 10 s is 750 frames.
    ASSERT_TRUE(Tap(SDL_SCANCODE_RIGHT));
    EXPECT_EQ(watch.Frame(), frame + 751);
    ASSERT_TRUE(Tap(SDL_SCANCODE_LEFT));
    ASSERT_TRUE(Tap(SDL_SCANCODE_LEFT));
    EXPECT_EQ(watch.Frame(), 0u);
    // The middle of the time bar is the middle of the replay.
    ClickAt((C_ReplayWatch::kBarLeft + C_ReplayWatch::kBarRight) / 2,
            (C_ReplayWatch::kBarTop + C_ReplayWatch::kBarBottom) / 2);
    EXPECT_EQ(watch.Frame(), replay.frames / 2);

    ASSERT_TRUE(Tap(SDL_SCANCODE_5));
    EXPECT_EQ(watch.Speed(), 16.0f);
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    for (int n = 0; n < 2000 && watch.Frame() < replay.frames; ++n) {
        ASSERT_TRUE(RunFrames(1));
    }
    EXPECT_EQ(watch.Frame(), replay.frames);
    EXPECT_EQ(WellHash(*play->round), replay.sides[0].hash);
    EXPECT_EQ(play->round->board->score, replay.sides[0].score);

    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

TEST_F(ReplayWatchTest, AMatchPlaysOnTheMatchScreenToItsRecordedResult) {
    const char* path = "tests/corpus/match-003.tbreplay";
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReadReplayFile(path, replay, why)) << why;
    C_MatchScreen* screen = Watch<C_MatchScreen>(path);
    ASSERT_NE(screen, nullptr);
    C_ReplayWatch* watch = screen->Watching();
    ASSERT_NE(watch, nullptr);
    // The match cannot be paused but its replay can.
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    ASSERT_TRUE(watch->Paused());
    const uint32_t frame = watch->Frame();
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(watch->Frame(), frame);
    ASSERT_TRUE(Tap(SDL_SCANCODE_5));
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    for (int n = 0; n < 5000 && watch->Frame() < replay.frames; ++n) {
        ASSERT_TRUE(RunFrames(1));
    }
    EXPECT_EQ(watch->Frame(), replay.frames);
    EXPECT_EQ(screen->match->Winner(), replay.winner);
    EXPECT_EQ(WellHash(screen->match->PlayerRound()), replay.sides[0].hash);
    EXPECT_EQ(screen->match->OtherScore(), replay.sides[1].score);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

TEST_F(ReplayWatchTest, AReplayOfOtherRulesIsNotPlayedAndSaysSo) {
    C_PlayScreen* play = Watch("fuzz/corpus/replayfile/other_rules.tbreplay");
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->watch, nullptr);
    EXPECT_EQ(play->watchLine,
              "This replay was played under other rules (version 2; this game plays version 1) "
              "and cannot be shown.");
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    EXPECT_EQ(play->round->mode, MODE_IDLE);
}

}  // namespace
