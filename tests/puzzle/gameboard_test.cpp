#include "puzzle/gameboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/wave.h"
#include "support/promptrecorder.h"
#include "support/puzzleboard.h"

namespace {

class GameBoardTest : public BoardTest {
protected:
    // Cells are values: a test tells pieces apart by a colour of their own,
    // which the rules never read.
    static WellCell* Tag(WellCell* piece, int tag) {
        piece->colourIndex = static_cast<int8_t>(tag);
        return piece;
    }
    int TagAt(int x, int y) const {
        const WellCell* piece = board->PieceAt(x, y);
        return piece != nullptr ? piece->colourIndex : -1;
    }
    // A shape link of `piece` toward `direction`.
    static WellCell* Link(WellCell* piece, int direction) {
        SetBit(piece->shapeLinks, direction, true);
        return piece;
    }
};

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
    ASSERT_NE(board->sounds->ghostSound->GetBuffer(), nullptr);
    ASSERT_NE(board->sounds->bonusSound->GetBuffer(), nullptr);
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
    WellCell* low = Put(2, 23, "U");
    WellCell* lowAbove = Put(2, 22, "D");
    WellCell* high = Put(7, 21, "U");
    WellCell* highAbove = Put(7, 20, "D");
    Tag(low, 3);
    Tag(high, 4);
    FillRow(23);
    FillRow(21);
    ConnectAll();
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->score, 4);
    EXPECT_EQ(board->rowsCleared, 2);
    EXPECT_EQ(board->pipeIDs, 2);
    EXPECT_EQ(board->pipeSizes, (std::vector<int>{2, 2}));
    EXPECT_EQ(board->flowFrontier, (std::vector<int16_t>{EntryOf(low), EntryOf(lowAbove),
                                                         EntryOf(high), EntryOf(highAbove)}));
    EXPECT_EQ(low->pipeID, 0);
    EXPECT_EQ(high->pipeID, 1);
    EXPECT_EQ(TagAt(2, 23), 3);  // nothing shifted
    EXPECT_EQ(TagAt(7, 21), 4);
    EXPECT_EQ(board->piping, 1);
    EXPECT_EQ(BonusPlays(), 2);  // once per row that seeded something
}

TEST_F(GameBoardTest, TheFloorAndRowZeroHoldTheirPieces) {
    Put(3, 23, "U");
    Put(6, 0, "D");
    EXPECT_TRUE(board->GravityStep());
    EXPECT_NE(board->PieceAt(3, 23), nullptr);
    EXPECT_NE(board->PieceAt(6, 0), nullptr);
    EXPECT_EQ(board->PieceAt(6, 1), nullptr);
}

TEST_F(GameBoardTest, PiecesJoinedByShapeLinksFallTogetherOneRowPerStep) {
    Link(Tag(Put(4, 10, "U"), 1), DIR_DOWN);
    Link(Tag(Put(4, 11, "U"), 2), DIR_UP);
    board->moving = 1;
    board->pipeSizes = {3};
    for (int step = 1; step <= 12; ++step) {
        ASSERT_EQ(board->GravityStep(), step == 12) << step;
        ASSERT_EQ(TagAt(4, 11 + step), 2) << step;
        ASSERT_EQ(TagAt(4, 10 + step), 1) << step;
        ASSERT_EQ(board->PieceAt(4, 9 + step), nullptr);
    }
    EXPECT_EQ(board->moving, 0);
    EXPECT_TRUE(board->pipeSizes.empty());
    EXPECT_FALSE(board->PieceAt(4, 22)->canFall);
}

TEST_F(GameBoardTest, AGroupHeldByOneMemberStaysUntilItsLinkIsCut) {
    Link(Tag(Put(3, 22, "U"), 1), DIR_RIGHT);
    WellCell* right = Link(Tag(Put(4, 22, "U"), 2), DIR_LEFT);
    Put(4, 23, "U");
    EXPECT_TRUE(board->GravityStep());  // the right one rests, so the pair rests
    EXPECT_EQ(TagAt(3, 22), 1);

    right->flowed = true;
    board->MarkFlowed();
    EXPECT_TRUE(right->marked);
    EXPECT_FALSE(Has(board->PieceAt(3, 22)->shapeLinks, DIR_RIGHT));
    EXPECT_TRUE(Has(right->shapeLinks, DIR_LEFT));  // its own links do not matter any more
    EXPECT_TRUE(board->GravityStep());              // falls alone and settles in one step
    EXPECT_EQ(TagAt(3, 23), 1);
    EXPECT_EQ(TagAt(4, 22), 2);
}

TEST_F(GameBoardTest, ARowZeroPieceFallsOnlyWithTheGroupBelowIt) {
    Link(Tag(Put(5, 0, "U"), 1), DIR_DOWN);
    Link(Tag(Put(5, 1, "U"), 2), DIR_UP);
    EXPECT_FALSE(board->GravityStep());
    EXPECT_EQ(TagAt(5, 1), 1);
    EXPECT_EQ(TagAt(5, 2), 2);
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
        WellCell* a = Put(5, 23, c.left);
        WellCell* b = Put(6, 23, c.right);
        a->connected = 0xF;  // stale flags, even toward the wall and the floor
        b->connected = 0xF;
        ASSERT_TRUE(board->GravityStep());
        const DirectionBits joined = c.joined != 0 ? 1u << DIR_RIGHT : 0;
        EXPECT_EQ(a->connected, joined) << c.left << " " << c.right;
        EXPECT_EQ(b->connected, c.joined != 0 ? 1u << DIR_LEFT : 0) << c.left << " " << c.right;
    }
}

TEST_F(GameBoardTest, MarkingTakesFlowedPiecesAndRemovingFreesOnlyMarkedOnes) {
    WellCell* flowed = Put(1, 23, "U");
    WellCell* marked = Put(2, 23, "U");
    WellCell* plain = Put(3, 23, "U");
    flowed->flowed = true;
    marked->marked = true;
    board->MarkFlowed();
    EXPECT_TRUE(flowed->marked);
    EXPECT_FALSE(plain->marked);
    board->RemoveMarked();
    EXPECT_EQ(board->PieceAt(1, 23), nullptr);
    EXPECT_EQ(board->PieceAt(2, 23), nullptr);
    EXPECT_NE(board->PieceAt(3, 23), nullptr);
}

}  // namespace
