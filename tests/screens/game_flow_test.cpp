#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/keycodes.h"
#include "model/quitstate.h"
#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/tetromino.h"
#include "replay/replayfile.h"
#include "replay/replayplayer.h"
#include "replay/replayshelf.h"
#include "replay/wellhash.h"
#include "screens/button.h"
#include "screens/instructions.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "store/highscores.h"
#include "store/settings.h"
#include "support/puzzleboard.h"
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

class GameFlowTest : public ScreenTest {
protected:
    // Lower-case letters and spaces typed one key at a time, each key with
    // the character it types, as a real keyboard delivers them.
    bool TypeLine(const std::string& line) {
        for (const char c : line) {
            const SDL_Scancode key = c == ' '
                                         ? SDL_SCANCODE_SPACE
                                         : static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'a'));
            PushKey(key, true);
            SDL_Event text{};
            text.type = SDL_TEXTINPUT;
            text.text.text[0] = c;
            SDL_PushEvent(&text);
            if (!RunFrames(1)) {
                return false;
            }
            PushKey(key, false);
            if (!RunFrames(1)) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(GameFlowTest, ALevelClickStartsThatLevelAndF4RepeatsTheLastChoice) {
    ASSERT_NE(Screen<C_Menu>(), nullptr);
    ClickAt(kLevelCentre[7].x, kLevelCentre[7].y);
    C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(outerLevel, 7);
    EXPECT_EQ(play->round->board->level, 7);
    EXPECT_NEAR(play->round->board->fallInterval, 0.295f, 1e-6f);
    EXPECT_EQ(play->round->mode, MODE_IDLE);

    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_NE(Screen<C_Menu>(), nullptr);
    ClickAt(kLevelCentre[3].x, kLevelCentre[3].y);
    ASSERT_NE(Screen<C_PlayScreen>(), nullptr);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->round->board->level, 3);
    EXPECT_NEAR(play->round->board->fallInterval, 0.355f, 1e-6f);
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(GameFlowTest, F4RightAfterStartUpPlaysLevel0) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->round->board->level, 0);
    EXPECT_NEAR(play->round->board->fallInterval, 0.4f, 1e-6f);
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

TEST_F(GameFlowTest, EscapeInTheOpenConsoleClearsTheLineButLeavesTheMenuAlone) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_TAB));
    ASSERT_TRUE(g_pConsole->IsOpen());
    ASSERT_TRUE(TypeLine("say hi"));
    EXPECT_EQ(g_pConsole->GetInput(), "say hi");
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(g_pConsole->GetInput(), "");
    EXPECT_NE(Screen<C_Menu>(), nullptr);
    // The pointer is still the game's.
    ClickAt(kLevelCentre[7].x, kLevelCentre[7].y);
    EXPECT_NE(Screen<C_PlayScreen>(), nullptr);
}

TEST_F(GameFlowTest, TheInstructionsPlayButtonStartsTheLastChosenLevel) {
    outerLevel = 4;
    ClickAt(kInstructionsCentre.x, kInstructionsCentre.y);
    ASSERT_NE(Screen<C_Instructions>(), nullptr);
    ClickAt(640, 545);  // play button: (580, 520), 126 x 56 at 0.7
    C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->round->board->level, 4);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ClickAt(kInstructionsCentre.x, kInstructionsCentre.y);
    ClickAt(640, 615);  // main button: (580, 590)
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

TEST_F(GameFlowTest, TheInstructionsNameTheKeysAsBound) {
    g_pModel->GetSettings()->SetKey(GameAction::RotateClockwise, DIK_C);
    g_pModel->GetSettings()->SetKey(GameAction::Pause, DIK_O);
    ClickAt(kInstructionsCentre.x, kInstructionsCentre.y);
    const C_Instructions* instructions = Screen<C_Instructions>();
    ASSERT_NE(instructions, nullptr);
    // Move, rotate, drop, pause, start and menu, top down.
    const std::array<std::string, kInstructionKeyRows> shown = {"<- ->", "Z C",   "DOWN",
                                                                "O",     "SPACE", "ESC"};
    EXPECT_EQ(instructions->GetBoundKeys(), shown);
}

class PlayTest : public GameFlowTest {
protected:
    void SetUp() override {
        GameFlowTest::SetUp();
        ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
        play = Screen<C_PlayScreen>();
        ASSERT_NE(play, nullptr);
    }

    // Space starts the game; the console's pause then holds every fall step
    // while the keys still act.
    void StartAndHoldTheFall() {
        ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
        ASSERT_EQ(play->round->mode, MODE_RUNNING);
        g_pConsole->SetPaused(true);
    }

    // Each piece's pipe turn.
    std::map<const WellCell*, int> Turns() const {
        std::map<const WellCell*, int> turns;
        C_Tetromino* shape = play->round->currentShape.get();
        for (int i = 0; i < shape->GetBoxSize(); ++i) {
            for (int j = 0; j < shape->GetBoxSize(); ++j) {
                if (const WellCell* piece = shape->PieceInBox(i, j)) {
                    turns[piece] = piece->rotation;
                }
            }
        }
        return turns;
    }

    C_PlayScreen* play = nullptr;
};

TEST_F(PlayTest, SpaceStartsAndTheInfoPictureFadesOut) {
    EXPECT_EQ(play->round->mode, MODE_IDLE);
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(play->round->mode, MODE_IDLE);
    EXPECT_EQ(play->infoFade, 0);
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    EXPECT_EQ(play->round->mode, MODE_RUNNING);
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
        const int column = play->round->currentShape->GetColumn();
        PushKey(c.key, true);
        ASSERT_TRUE(RunFrames(5));  // held: never a move
        EXPECT_EQ(play->round->currentShape->GetColumn(), column) << c.key;
        PushKey(c.key, false);
        ASSERT_TRUE(RunFrames(1));  // the release frame reads 2: still none
        EXPECT_EQ(play->round->currentShape->GetColumn(), column) << c.key;
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(play->round->currentShape->GetColumn(), column + c.columns) << c.key;
        ASSERT_TRUE(RunFrames(3));
        EXPECT_EQ(play->round->currentShape->GetColumn(), column + c.columns) << c.key;
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
        const std::map<const WellCell*, int> before = Turns();
        PushKey(c.key, true);
        ASSERT_TRUE(RunFrames(3));
        PushKey(c.key, false);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(Turns(), before) << c.key;
        ASSERT_TRUE(RunFrames(1));
        const std::map<const WellCell*, int> after = Turns();
        ASSERT_EQ(after.size(), 4u);
        for (const auto& [piece, turn] : before) {
            EXPECT_EQ(after.at(piece), (turn + c.turn) % 4) << c.key;
        }
    }
}

TEST_F(PlayTest, AHeldStepKeyStepsInEveryOtherFrameAndNeverLocks) {
    StartAndHoldTheFall();
    for (SDL_Scancode key : {SDL_SCANCODE_KP_5, SDL_SCANCODE_DOWN}) {
        const int row = play->round->currentShape->GetRow();
        PushKey(key, true);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(play->round->currentShape->GetRow(), row + 1);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(play->round->currentShape->GetRow(), row + 1);
        ASSERT_TRUE(RunFrames(4));
        EXPECT_EQ(play->round->currentShape->GetRow(), row + 3);
        PushKey(key, false);
        ASSERT_TRUE(RunFrames(2));
        EXPECT_EQ(play->round->currentShape->GetRow(), row + 3);
    }
    // Held to the floor, it stays a falling shape.
    PushKey(SDL_SCANCODE_KP_5, true);
    ASSERT_TRUE(RunFrames(80));
    PushKey(SDL_SCANCODE_KP_5, false);
    ASSERT_TRUE(RunFrames(1));
    ASSERT_NE(play->round->currentShape, nullptr);
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            EXPECT_EQ(play->round->board->PieceAt(x, y), nullptr);
        }
    }
}

TEST_F(PlayTest, PauseAndResumeWithKeysAndButtons) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    EXPECT_EQ(play->round->mode, MODE_IDLE);  // nothing to pause before the start
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    ASSERT_TRUE(RunFrames(300));
    ASSERT_EQ(play->infoFade, 0);
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    EXPECT_EQ(play->round->mode, MODE_PAUSED);
    const int row = play->round->currentShape->GetRow();
    ASSERT_TRUE(RunFrames(100));  // more than two fall intervals
    EXPECT_EQ(play->round->currentShape->GetRow(), row);
    EXPECT_EQ(play->pausedFade, 255);
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    EXPECT_EQ(play->round->mode, MODE_RUNNING);
    EXPECT_EQ(play->infoFade, 0);  // the info picture does not come back
    EXPECT_LT(play->pausedFade, 255);
    EXPECT_GT(play->pausedFade, 250);

    // The pause button held, then the start button held.
    MovePointerTo(kPauseCentre.x, kPauseCentre.y);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(play->round->mode, MODE_PAUSED);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(1));
    PushMotion(kStartCentre.x - kPauseCentre.x, 0);
    PushButton(SDL_BUTTON_LEFT, true);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(play->round->mode, MODE_RUNNING);
    EXPECT_EQ(play->infoFade, 0);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(1));
}

TEST_F(PlayTest, WordsTypedIntoTheConsoleNeitherPauseNorTurnTheShape) {
    StartAndHoldTheFall();
    const std::map<const WellCell*, int> before = Turns();
    ASSERT_TRUE(Tap(SDL_SCANCODE_TAB));
    ASSERT_TRUE(TypeLine("pause"));
    EXPECT_EQ(play->round->mode, MODE_RUNNING);
    ASSERT_TRUE(TypeLine("x"));
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(Turns(), before);
    EXPECT_EQ(g_pConsole->GetInput(), "pausex");
    ASSERT_TRUE(Tap(SDL_SCANCODE_TAB));
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));  // closed again: P is the game's
    EXPECT_EQ(play->round->mode, MODE_PAUSED);
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
// top the well out. The score table is full of better games, so the prompt
// leads straight on.
class ToppedOutTest : public PlayTest {
protected:
    void SetUp() override {
        PlayTest::SetUp();
        for (int n = 0; n < C_HighScores::kPlaces; ++n) {
            g_pModel->GetHighScores()->Insert({"Better", 1, 0, 1, 0, "2024-01-01", ""});
        }
    }

    void PlayToTheTop() {
        ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
        PushKey(SDL_SCANCODE_KP_5, true);  // hurry each shape down
        for (int frame = 0; frame < 20000 && play->round->mode != MODE_GAMEOVER; ++frame) {
            ASSERT_TRUE(RunFrames(1));
        }
        PushKey(SDL_SCANCODE_KP_5, false);
        ASSERT_TRUE(RunFrames(1));
        ASSERT_EQ(play->round->mode, MODE_GAMEOVER);
    }
};

TEST_F(ToppedOutTest, TheLastShapeIsGoneThePreviewStaysAndYesPlaysTheSameLevelAgain) {
    outerLevel = 9;
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    PlayToTheTop();
    EXPECT_EQ(play->round->currentShape, nullptr);
    EXPECT_NE(play->round->nextShape, nullptr);
    EXPECT_EQ(play->round->board->rowsCleared, 0);
    // Space is ignored now; the keys move nothing.
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    EXPECT_EQ(play->round->mode, MODE_GAMEOVER);
    ClickAt(kYesCentre.x, kYesCentre.y);
    C_PlayScreen* again = Screen<C_PlayScreen>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->round->mode, MODE_IDLE);
    EXPECT_EQ(again->round->board->level, 9);
    EXPECT_EQ(again->round->board->score, 0);
    EXPECT_NE(again->round->currentShape, nullptr);
}

TEST_F(ToppedOutTest, TheGameIsKeptAsAReplayThatEndsAsItDidAndNoReturnsToTheMenu) {
    PlayToTheTop();
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReadReplayFile(C_ReplayShelf::Player().PathOf(play->replayName), replay, why))
        << why;
    C_ReplayPlayer player(replay);
    player.PlayToEnd();
    EXPECT_TRUE(player.EndsAsRecorded(why)) << why;
    EXPECT_EQ(WellHash(player.Round(0)), WellHash(*play->round));
    ClickAt(kNoCentre.x, kNoCentre.y);
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

}  // namespace

namespace {

TEST_F(PlayTest, AFullRowRunsFlowDestroyAndGravityBeforeTheNextShape) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    C_GameBoard* board = play->round->board.get();
    // A full bottom row of straight pipes, one network of 12, and a loose
    // piece above it, as a landing would leave them.
    auto put = [board](int x, int y) {
        ForcedDraws draws(PipeDraws("RL"));
        board->cells[x][y] = DrawnPiece(0, 0, LooseDraws());
    };
    for (int x = 0; x < kBoardColumns; ++x) {
        put(x, kBoardRows - 1);
    }
    put(0, kBoardRows - 3);
    for (int x = 0; x < kBoardColumns; ++x) {
        board->UpdateConnections({x, kBoardRows - 1});
    }
    play->round->currentShape.reset();
    play->round->chain = 1;
    ASSERT_FALSE(board->ClearFullRows());
    ASSERT_EQ(board->piping, 1);
    const C_Tetromino* waiting = play->round->nextShape.get();

    // The phases in order, each seen for some frames, no shape meanwhile.
    std::vector<char> phases;
    int frames = 0;
    std::vector<float> fades;
    int lowestAlpha = 255;
    for (; frames < 3000 && !play->round->currentShape; ++frames) {
        const char phase = board->piping       ? 'p'
                           : board->destroying ? 'd'
                           : board->moving     ? 'm'
                                               : '-';
        if (phases.empty() || phases.back() != phase) {
            phases.push_back(phase);
        }
        if (board->destroying != 0 && (fades.empty() || fades.back() != board->fade)) {
            fades.push_back(board->fade);
            lowestAlpha = std::min(lowestAlpha, board->boardAlpha);
        }
        ASSERT_TRUE(RunFrames(1));
    }
    ASSERT_NE(play->round->currentShape, nullptr);
    EXPECT_EQ(play->round->currentShape.get(), waiting);
    EXPECT_EQ(phases, (std::vector<char>{'p', 'd', 'm'}));
    // 18 steps of 0.04 and 9 of 0.16 take 0.7 past -1.4, and the alpha
    // down by 2 each; one more tick ends it.
    ASSERT_EQ(fades.size(), 28u);
    EXPECT_NEAR(fades[18], -0.02f, 1e-4f);
    EXPECT_NEAR(fades[27], -1.46f, 1e-4f);
    EXPECT_EQ(lowestAlpha, 255 - 27 * 2);
    EXPECT_EQ(play->round->chain, 1);
    EXPECT_EQ(board->rowsCleared, 1);
    // The row's 2, then the pipe list: 12 x (2 x 0 + 2) x chain 1.
    EXPECT_EQ(board->score, 2 + 24);
    EXPECT_EQ(board->pipeTotal, 12);
    EXPECT_EQ(board->bestPipe, 12);
    EXPECT_FLOAT_EQ(board->fade, 0.7f);
    EXPECT_EQ(board->boardAlpha, 255);
    // The row is gone and the loose piece fell to the floor.
    for (int x = 1; x < kBoardColumns; ++x) {
        EXPECT_EQ(board->PieceAt(x, kBoardRows - 1), nullptr);
    }
    EXPECT_NE(board->PieceAt(0, kBoardRows - 1), nullptr);
    EXPECT_EQ(board->PieceAt(0, kBoardRows - 3), nullptr);
}

}  // namespace

namespace {

// Frames are 1/75 s of game time apiece, so a fall interval spans a known
// number of frames: 0.4 s is 30, 0.265 s is 20 (19.9 rounded up).
TEST_F(PlayTest, ShapesFallOneRowPerFallIntervalOfTheirLevel) {
    struct Case {
        int level;
        int frames;
    };
    for (const Case& c : {Case{0, 30}, Case{9, 20}}) {
        outerLevel = c.level;
        ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
        ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
        play = Screen<C_PlayScreen>();
        ASSERT_NE(play, nullptr);
        ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
        // Wait for a step, then count the frames to the next ones.
        int row = play->round->currentShape->GetRow();
        while (play->round->currentShape->GetRow() == row) {
            ASSERT_TRUE(RunFrames(1));
        }
        for (int step = 0; step < 3; ++step) {
            row = play->round->currentShape->GetRow();
            int frames = 0;
            while (play->round->currentShape->GetRow() == row && frames < 100) {
                ASSERT_TRUE(RunFrames(1));
                ++frames;
            }
            EXPECT_EQ(play->round->currentShape->GetRow(), row + 1) << c.level;
            EXPECT_GE(frames, c.frames - 1) << c.level;
            EXPECT_LE(frames, c.frames + 1) << c.level;
        }
    }
}

TEST_F(PlayTest, ALandingWithoutAFullRowSpawnsTheWaitingShapeAtOnce) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    const C_Tetromino* waiting = play->round->nextShape.get();
    PushKey(SDL_SCANCODE_KP_5, true);
    const C_Tetromino* falling = play->round->currentShape.get();
    for (int frame = 0; frame < 400 && play->round->currentShape.get() == falling; ++frame) {
        ASSERT_TRUE(RunFrames(1));
        ASSERT_NE(play->round->currentShape, nullptr);  // never a frame without one
    }
    PushKey(SDL_SCANCODE_KP_5, false);
    EXPECT_EQ(play->round->currentShape.get(), waiting);
    EXPECT_NE(play->round->nextShape, nullptr);
    EXPECT_EQ(play->round->chain, 1);
    // The clock restarted at the landing.
    EXPECT_LT(play->round->clock.Time(), 0.02f);
    int pieces = 0;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            pieces += play->round->board->PieceAt(x, y) != nullptr;
        }
    }
    EXPECT_EQ(pieces, 4);
}

}  // namespace
