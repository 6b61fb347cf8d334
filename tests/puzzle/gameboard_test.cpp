#include "puzzle/gameboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/wave.h"
#include "support/promptrecorder.h"
#include "support/puzzleboard.h"

namespace {

using GameBoardTest = BoardTest;

TEST_F(GameBoardTest, TheStartingLevelSetsLevelAndFallInterval) {
    struct Case {
        int outer;
        float interval;
    };
    const std::vector<Case> cases = {{0, 0.4f}, {1, 0.385f}, {9, 0.265f}, {10, 0.25f}};
    for (const Case& c : cases) {
        NewBoard(c.outer);
        EXPECT_EQ(board->level, c.outer);
        EXPECT_FLOAT_EQ(board->fallInterval, c.interval) << c.outer;
        EXPECT_TRUE(Traced("outerLevel = " + std::to_string(c.outer)));
    }
    EXPECT_EQ(board->GetType(), OBJECT_GAMEBOARD);
    EXPECT_EQ(board->score, 0);
    EXPECT_EQ(board->bannerTimer, -1);
    EXPECT_EQ(board->boardAlpha, 255);
    EXPECT_FLOAT_EQ(board->fade, 0.7f);
    ASSERT_NE(board->ghostSound->GetBuffer(), nullptr);
    ASSERT_NE(board->bonusSound->GetBuffer(), nullptr);
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(GameBoardTest, MissingSoundsAreReportedAndTheBoardPlaysOnWithoutThem) {
    board.reset();
    ReleaseAllWaves();
    g_waveCache.clear();
    scratch->RemoveWave("ghost.wav");
    scratch->RemoveWave("bonus.wav");
    NewBoard();
    int failures = 0;
    for (const PromptRecorder::Report& report : Prompts().reports) {
        failures += report.text.find("\"Failed to load wave!\"") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(failures, 2);

    Put(3, 23, "U");
    Put(3, 22, "D");
    FillRow(23);
    ConnectAll();
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->piping, 1);
    EXPECT_TRUE(Prompts().Saw("Wave not loaded!"));
    while (board->FlowStep()) {
    }
    EXPECT_EQ(board->destroying, 1);
}

TEST_F(GameBoardTest, EveryTenthRowRaisesTheLevelAndTheTwoHundredthRaisesTheBanner) {
    FillRow(23);  // joins nothing, so it stays and is counted at every call
    for (int call = 1; call <= 201; ++call) {
        ASSERT_FALSE(board->ClearFullRows());
        ASSERT_EQ(board->rowsCleared, call);
        ASSERT_EQ(board->score, 2 * call);
        ASSERT_EQ(board->level, call / 10);
        if (call == 9) {
            EXPECT_FLOAT_EQ(board->fallInterval, 0.4f);
        }
        if (call == 10) {
            EXPECT_FLOAT_EQ(board->fallInterval, 0.385f);
        }
        if (call == 20) {
            EXPECT_FLOAT_EQ(board->fallInterval, 0.37f);
        }
        if (call == 199) {
            EXPECT_EQ(board->bannerTimer, -1);
        }
        if (call == 200) {
            EXPECT_EQ(board->bannerTimer, 510);
            EXPECT_NEAR(board->fallInterval, 0.1f, 1e-5);
            board->bannerTimer = 100;  // the play screen counts it down
        }
    }
    EXPECT_EQ(board->bannerTimer, 100);  // only the 200th row sets it
}

TEST_F(GameBoardTest, APieceInRowOneTopsOutAfterTheLowerFullRowsAreCounted) {
    struct Case {
        const char* name;
        int rowOnePiece;  // column, or -1
        int rowZeroPiece;
        bool toppedOut;
    };
    const std::vector<Case> cases = {
        {"piece in row 1", 5, -1, true},
        {"piece in row 0 only", -1, 4, false},
        {"empty rows 0 and 1", -1, -1, false},
    };
    for (const Case& c : cases) {
        NewBoard();
        FillRow(23);
        FillRow(21);
        if (c.rowOnePiece >= 0) {
            Put(c.rowOnePiece, 1, "U");
        }
        if (c.rowZeroPiece >= 0) {
            Put(c.rowZeroPiece, 0, "D");
        }
        EXPECT_EQ(board->ClearFullRows(), c.toppedOut) << c.name;
        EXPECT_EQ(board->rowsCleared, 2) << c.name;
        EXPECT_EQ(board->score, 4) << c.name;
        EXPECT_EQ(board->PieceAt(0, 21)->marked, 1) << c.name;
    }
}

TEST_F(GameBoardTest, TwoFullRowsAreBothScoredAndSeedTheFlowWithoutShifting) {
    C_Piece* low = Put(2, 23, "U");
    C_Piece* lowAbove = Put(2, 22, "D");
    C_Piece* high = Put(7, 21, "U");
    C_Piece* highAbove = Put(7, 20, "D");
    FillRow(23);
    FillRow(21);
    ConnectAll();
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->score, 4);
    EXPECT_EQ(board->rowsCleared, 2);
    EXPECT_EQ(board->pipeIDs, 2);
    EXPECT_EQ(board->pipeSizes, (std::vector<int>{2, 2}));
    EXPECT_EQ(board->flowFrontier, (std::vector<C_Piece*>{low, lowAbove, high, highAbove}));
    EXPECT_EQ(low->pipeID, 0);
    EXPECT_EQ(high->pipeID, 1);
    EXPECT_EQ(board->PieceAt(2, 23), low);  // nothing shifted
    EXPECT_EQ(board->PieceAt(7, 21), high);
    EXPECT_EQ(board->piping, 1);
    EXPECT_EQ(BonusPlays(), 2);  // once per row that seeded something
}

TEST_F(GameBoardTest, TheFloorAndRowZeroHoldTheirPieces) {
    C_Piece* floor = Put(3, 23, "U");
    C_Piece* top = Put(6, 0, "D");
    EXPECT_TRUE(board->GravityStep());
    EXPECT_EQ(board->PieceAt(3, 23), floor);
    EXPECT_EQ(board->PieceAt(6, 0), top);
    EXPECT_EQ(board->PieceAt(6, 1), nullptr);
}

TEST_F(GameBoardTest, PiecesJoinedByShapeLinksFallTogetherOneRowPerStep) {
    C_Piece* upper = Put(4, 10, "U");
    C_Piece* lower = Put(4, 11, "U");
    upper->shapeLinks[DIR_DOWN] = 1;
    lower->shapeLinks[DIR_UP] = 1;
    board->moving = 1;
    board->pipeSizes = {3};
    for (int step = 1; step <= 12; ++step) {
        ASSERT_EQ(board->GravityStep(), step == 12) << step;
        ASSERT_EQ(board->PieceAt(4, 11 + step), lower) << step;
        ASSERT_EQ(board->PieceAt(4, 10 + step), upper) << step;
        ASSERT_EQ(lower->y, 11 + step);
        ASSERT_EQ(upper->y, 10 + step);
        ASSERT_EQ(board->PieceAt(4, 9 + step), nullptr);
    }
    EXPECT_EQ(board->moving, 0);
    EXPECT_TRUE(board->pipeSizes.empty());
    EXPECT_EQ(upper->canFall, 0);
}

TEST_F(GameBoardTest, AGroupHeldByOneMemberStaysUntilItsLinkIsCut) {
    C_Piece* left = Put(3, 22, "U");
    C_Piece* right = Put(4, 22, "U");
    Put(4, 23, "U");
    left->shapeLinks[DIR_RIGHT] = 1;
    right->shapeLinks[DIR_LEFT] = 1;
    EXPECT_TRUE(board->GravityStep());  // the right one rests, so the pair rests
    EXPECT_EQ(board->PieceAt(3, 22), left);

    right->flowed = 1;
    board->MarkFlowed();
    EXPECT_EQ(right->marked, 1);
    EXPECT_EQ(left->shapeLinks[DIR_RIGHT], 0);
    EXPECT_EQ(right->shapeLinks[DIR_LEFT], 1);  // its own links do not matter any more
    EXPECT_TRUE(board->GravityStep());          // falls alone and settles in one step
    EXPECT_EQ(board->PieceAt(3, 23), left);
    EXPECT_EQ(board->PieceAt(4, 22), right);
}

TEST_F(GameBoardTest, ARowZeroPieceFallsOnlyWithTheGroupBelowIt) {
    C_Piece* top = Put(5, 0, "U");
    C_Piece* below = Put(5, 1, "U");
    top->shapeLinks[DIR_DOWN] = 1;
    below->shapeLinks[DIR_UP] = 1;
    EXPECT_FALSE(board->GravityStep());
    EXPECT_EQ(board->PieceAt(5, 1), top);
    EXPECT_EQ(board->PieceAt(5, 2), below);
}

TEST_F(GameBoardTest, SettlingJoinsFacingOpenSidesAndClearsEveryOtherFlag) {
    struct Case {
        const char* left;
        const char* right;
        int joined;
    };
    const std::vector<Case> cases = {{"RL", "RL", 1}, {"R", "URDL", 1}, {"UD", "RL", 0},
                                     {"RL", "UD", 0}, {"U", "L", 0},    {"URL", "URL", 1},
                                     {"UR", "D", 0}};
    for (const Case& c : cases) {
        NewBoard();
        C_Piece* a = Put(5, 23, c.left);
        C_Piece* b = Put(6, 23, c.right);
        for (int d = 0; d < kDirections; ++d) {
            a->connected[d] = 1;  // stale flags, even toward the wall and the floor
            b->connected[d] = 1;
        }
        ASSERT_TRUE(board->GravityStep());
        EXPECT_EQ(a->connected[DIR_RIGHT], c.joined) << c.left << " " << c.right;
        EXPECT_EQ(b->connected[DIR_LEFT], c.joined) << c.left << " " << c.right;
        for (const C_Piece* piece : {a, b}) {
            EXPECT_EQ(piece->connected[DIR_UP], 0);
            EXPECT_EQ(piece->connected[DIR_DOWN], 0);
        }
        EXPECT_EQ(a->connected[DIR_LEFT], 0);
        EXPECT_EQ(b->connected[DIR_RIGHT], 0);
    }
}

TEST_F(GameBoardTest, MarkingTakesFlowedPiecesAndRemovingFreesOnlyMarkedOnes) {
    C_Piece* flowed = Put(1, 23, "U");
    C_Piece* marked = Put(2, 23, "U");
    C_Piece* plain = Put(3, 23, "U");
    flowed->flowed = 1;
    marked->marked = 1;
    board->MarkFlowed();
    EXPECT_EQ(flowed->marked, 1);
    EXPECT_EQ(plain->marked, 0);
    board->RemoveMarked();
    EXPECT_EQ(board->PieceAt(1, 23), nullptr);
    EXPECT_EQ(board->PieceAt(2, 23), nullptr);
    EXPECT_EQ(board->PieceAt(3, 23), plain);
    // The removed pieces were freed: the leak-checked run would report them otherwise.
}

}  // namespace
