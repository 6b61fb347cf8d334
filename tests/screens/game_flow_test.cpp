#include <SDL.h>
#include <gtest/gtest.h>

#include <map>

#include "console/console.h"
#include "model/quitstate.h"
#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/tetromino.h"
#include "screens/button.h"
#include "screens/instructions.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "support/screentest.h"

namespace {

// The middle of menu level button n (81 x 37 at scale 0.7).
struct Point {
    int x;
    int y;
};
constexpr Point kLevelCentre[10] = {
    {275, 478}, {360, 478}, {360, 518}, {445, 518}, {445, 558},
    {530, 558}, {530, 518}, {530, 478}, {615, 478}, {615, 438},
};
constexpr Point kInstructionsCentre = {128, 559};
constexpr Point kYesCentre = {167, 358};
constexpr Point kNoCentre = {262, 358};
constexpr Point kStartCentre = {465, 620};
constexpr Point kPauseCentre = {560, 620};
constexpr Point kStopCentre = {630, 620};

using GameFlowTest = ScreenTest;

TEST_F(GameFlowTest, ALevelClickStartsThatLevelAndF4RepeatsTheLastChoice) {
    ASSERT_NE(Screen<C_Menu>(), nullptr);
    ClickAt(kLevelCentre[7].x, kLevelCentre[7].y);
    C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(outerLevel, 7);
    EXPECT_EQ(play->board->level, 7);
    EXPECT_NEAR(play->board->fallInterval, 0.295f, 1e-6f);
    EXPECT_EQ(play->mode, MODE_IDLE);

    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_NE(Screen<C_Menu>(), nullptr);
    ClickAt(kLevelCentre[3].x, kLevelCentre[3].y);
    ASSERT_NE(Screen<C_PlayScreen>(), nullptr);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->board->level, 3);
    EXPECT_NEAR(play->board->fallInterval, 0.355f, 1e-6f);
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(GameFlowTest, F4RightAfterStartUpPlaysLevel0) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->board->level, 0);
    EXPECT_NEAR(play->board->fallInterval, 0.4f, 1e-6f);
}

TEST_F(GameFlowTest, AClickCountsWhereTheButtonIsReleased) {
    MovePointerTo(kLevelCentre[1].x, kLevelCentre[1].y);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(RunFrames(1));
    PushMotion(kLevelCentre[2].x - kLevelCentre[1].x, kLevelCentre[2].y - kLevelCentre[1].y);
    ASSERT_TRUE(RunFrames(1));
    C_Menu* menu = Screen<C_Menu>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetLevelButton(2)->GetState(), BUTTON_HELD);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(2));
    ASSERT_NE(Screen<C_PlayScreen>(), nullptr);
    EXPECT_EQ(outerLevel, 2);
}

TEST_F(GameFlowTest, ReleasingJustOffAButtonIsNoClick) {
    MovePointerTo(kLevelCentre[5].x, kLevelCentre[5].y);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(RunFrames(1));
    PushMotion(0, 40);  // below the button, onto nothing
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(3));
    EXPECT_NE(Screen<C_Menu>(), nullptr);
    EXPECT_EQ(outerLevel, 0);
}

TEST_F(GameFlowTest, EscapeQuitsFromTheMenuAndFromTheInstructions) {
    ClickAt(kInstructionsCentre.x, kInstructionsCentre.y);
    ASSERT_NE(Screen<C_Instructions>(), nullptr);
    PushKey(SDL_SCANCODE_ESCAPE, true);
    ASSERT_TRUE(RunFrames(1));
    PushKey(SDL_SCANCODE_ESCAPE, false);
    EXPECT_FALSE(RunFrames(3));  // the quit state asks the loop to end
    EXPECT_NE(Screen<C_QuitState>(), nullptr);
}

TEST_F(GameFlowTest, EscapeOnTheMenuQuits) {
    PushKey(SDL_SCANCODE_ESCAPE, true);
    ASSERT_TRUE(RunFrames(1));
    PushKey(SDL_SCANCODE_ESCAPE, false);
    EXPECT_FALSE(RunFrames(3));
    EXPECT_NE(Screen<C_QuitState>(), nullptr);
}

TEST_F(GameFlowTest, TheInstructionsPlayButtonStartsTheLastChosenLevel) {
    outerLevel = 4;
    ClickAt(kInstructionsCentre.x, kInstructionsCentre.y);
    ASSERT_NE(Screen<C_Instructions>(), nullptr);
    ClickAt(640, 545);  // play button: (580, 520), 126 x 56 at 0.7
    C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->board->level, 4);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ClickAt(kInstructionsCentre.x, kInstructionsCentre.y);
    ClickAt(640, 615);  // main button: (580, 590)
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

class PlayTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
        play = Screen<C_PlayScreen>();
        ASSERT_NE(play, nullptr);
    }

    // Space starts the game; the console's pause then holds every fall step
    // while the keys still act.
    void StartAndHoldTheFall() {
        ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
        ASSERT_EQ(play->mode, MODE_RUNNING);
        g_pConsole->SetPaused(true);
    }

    // Each piece's pipe turn.
    std::map<const C_Piece*, int> Turns() const {
        std::map<const C_Piece*, int> turns;
        C_Tetromino* shape = play->currentShape.get();
        for (int i = 0; i < shape->GetBoxSize(); ++i) {
            for (int j = 0; j < shape->GetBoxSize(); ++j) {
                if (C_Piece* piece = shape->PieceInBox(i, j)) {
                    turns[piece] = piece->rotation;
                }
            }
        }
        return turns;
    }

    C_PlayScreen* play = nullptr;
};

TEST_F(PlayTest, SpaceStartsAndTheInfoPictureFadesOut) {
    EXPECT_EQ(play->mode, MODE_IDLE);
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(play->mode, MODE_IDLE);
    EXPECT_EQ(play->infoFade, 0);
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    EXPECT_EQ(play->mode, MODE_RUNNING);
    const int fade = play->infoFade;
    EXPECT_GT(fade, 250);
    EXPECT_LT(fade, 255);
    ASSERT_TRUE(RunFrames(3));
    EXPECT_LE(play->infoFade, fade - 3);
}

TEST_F(PlayTest, MovesComeOneFrameAfterTheKeyIsLetGo) {
    StartAndHoldTheFall();
    struct Case {
        SDL_Scancode key;
        int columns;
    };
    const Case cases[] = {
        {SDL_SCANCODE_KP_6, 1},
        {SDL_SCANCODE_KP_4, -1},
        {SDL_SCANCODE_RIGHT, 1},
        {SDL_SCANCODE_LEFT, -1},
    };
    for (const Case& c : cases) {
        const int column = play->currentShape->GetColumn();
        PushKey(c.key, true);
        ASSERT_TRUE(RunFrames(5));  // held: never a move
        EXPECT_EQ(play->currentShape->GetColumn(), column) << c.key;
        PushKey(c.key, false);
        ASSERT_TRUE(RunFrames(1));  // the release frame reads 2: still none
        EXPECT_EQ(play->currentShape->GetColumn(), column) << c.key;
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(play->currentShape->GetColumn(), column + c.columns) << c.key;
        ASSERT_TRUE(RunFrames(3));
        EXPECT_EQ(play->currentShape->GetColumn(), column + c.columns) << c.key;
    }
}

TEST_F(PlayTest, TurnKeysTurnEveryPieceOnceAfterTheRelease) {
    StartAndHoldTheFall();
    struct Case {
        SDL_Scancode key;
        int turn;
    };
    const Case cases[] = {
        {SDL_SCANCODE_KP_9, 1}, {SDL_SCANCODE_KP_7, 3}, {SDL_SCANCODE_X, 1},
        {SDL_SCANCODE_Z, 3},    {SDL_SCANCODE_UP, 1},
    };
    for (const Case& c : cases) {
        const std::map<const C_Piece*, int> before = Turns();
        PushKey(c.key, true);
        ASSERT_TRUE(RunFrames(3));
        PushKey(c.key, false);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(Turns(), before) << c.key;
        ASSERT_TRUE(RunFrames(1));
        const std::map<const C_Piece*, int> after = Turns();
        ASSERT_EQ(after.size(), 4u);
        for (const auto& [piece, turn] : before) {
            EXPECT_EQ(after.at(piece), (turn + c.turn) % 4) << c.key;
        }
    }
}

TEST_F(PlayTest, AHeldStepKeyStepsInEveryOtherFrameAndNeverLocks) {
    StartAndHoldTheFall();
    for (SDL_Scancode key : {SDL_SCANCODE_KP_5, SDL_SCANCODE_DOWN}) {
        const int row = play->currentShape->GetRow();
        PushKey(key, true);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(play->currentShape->GetRow(), row + 1);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(play->currentShape->GetRow(), row + 1);
        ASSERT_TRUE(RunFrames(4));
        EXPECT_EQ(play->currentShape->GetRow(), row + 3);
        PushKey(key, false);
        ASSERT_TRUE(RunFrames(2));
        EXPECT_EQ(play->currentShape->GetRow(), row + 3);
    }
    // Held to the floor, it stays a falling shape.
    PushKey(SDL_SCANCODE_KP_5, true);
    ASSERT_TRUE(RunFrames(80));
    PushKey(SDL_SCANCODE_KP_5, false);
    ASSERT_TRUE(RunFrames(1));
    ASSERT_NE(play->currentShape, nullptr);
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            EXPECT_EQ(play->board->PieceAt(x, y), nullptr);
        }
    }
}

TEST_F(PlayTest, PauseAndResumeWithKeysAndButtons) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    EXPECT_EQ(play->mode, MODE_IDLE);  // nothing to pause before the start
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    ASSERT_TRUE(RunFrames(300));
    ASSERT_EQ(play->infoFade, 0);
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    EXPECT_EQ(play->mode, MODE_PAUSED);
    const int row = play->currentShape->GetRow();
    ASSERT_TRUE(RunFrames(100));  // more than two fall intervals
    EXPECT_EQ(play->currentShape->GetRow(), row);
    EXPECT_EQ(play->pausedFade, 255);
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    EXPECT_EQ(play->mode, MODE_RUNNING);
    EXPECT_EQ(play->infoFade, 0);  // the info picture does not come back
    EXPECT_LT(play->pausedFade, 255);
    EXPECT_GT(play->pausedFade, 250);

    // The pause button held, then the start button held.
    MovePointerTo(kPauseCentre.x, kPauseCentre.y);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(play->mode, MODE_PAUSED);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(1));
    PushMotion(kStartCentre.x - kPauseCentre.x, 0);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(play->mode, MODE_RUNNING);
    EXPECT_EQ(play->infoFade, 0);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(1));
}

TEST_F(PlayTest, TheStopButtonAndEscapeLeaveForTheMenu) {
    MovePointerTo(kStopCentre.x, kStopCentre.y);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_NE(Screen<C_Menu>(), nullptr);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    ASSERT_NE(Screen<C_PlayScreen>(), nullptr);
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

// Never steered, the shapes stack up in the middle columns, fill no row and
// top the well out.
class ToppedOutTest : public PlayTest {
protected:
    void PlayToTheTop() {
        ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
        PushKey(SDL_SCANCODE_KP_5, true);  // hurry each shape down
        for (int frame = 0; frame < 20000 && play->mode != MODE_GAMEOVER; ++frame) {
            ASSERT_TRUE(RunFrames(1));
        }
        PushKey(SDL_SCANCODE_KP_5, false);
        ASSERT_TRUE(RunFrames(1));
        ASSERT_EQ(play->mode, MODE_GAMEOVER);
    }
};

TEST_F(ToppedOutTest, TheLastShapeIsGoneThePreviewStaysAndYesPlaysTheSameLevelAgain) {
    outerLevel = 9;
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    PlayToTheTop();
    EXPECT_EQ(play->currentShape, nullptr);
    EXPECT_NE(play->nextShape, nullptr);
    EXPECT_EQ(play->board->rowsCleared, 0);
    // Space is ignored now; the keys move nothing.
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    EXPECT_EQ(play->mode, MODE_GAMEOVER);
    ClickAt(kYesCentre.x, kYesCentre.y);
    C_PlayScreen* again = Screen<C_PlayScreen>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->mode, MODE_IDLE);
    EXPECT_EQ(again->board->level, 9);
    EXPECT_EQ(again->board->score, 0);
    EXPECT_NE(again->currentShape, nullptr);
}

TEST_F(ToppedOutTest, NoReturnsToTheMenu) {
    PlayToTheTop();
    ClickAt(kNoCentre.x, kNoCentre.y);
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

}  // namespace
