#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "puzzle/gameboard.h"
#include "support/puzzleboard.h"

namespace {

using FlowTest = BoardTest;

TEST_F(FlowTest, AFullRowPieceAndThePieceAboveItFormNetworkZero) {
    WellCell* row = Put(5, 23, "UD");
    WellCell* above = Put(5, 22, "D");
    FillRow(23);
    ConnectAll();
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->pipeSizes, std::vector<int>{2});
    EXPECT_EQ(board->flowFrontier, (std::vector<int16_t>{EntryOf(row), EntryOf(above)}));
    EXPECT_EQ(row->pipeID, 0);
    EXPECT_EQ(above->pipeID, 0);
    EXPECT_EQ(Has(row->linked, DIR_UP), 1);
    EXPECT_EQ(Has(above->linked, DIR_DOWN), 1);
    EXPECT_EQ(board->PieceAt(4, 23)->pipeID, -1);  // the fillers join nothing
    EXPECT_EQ(board->PieceAt(4, 23)->marked, 1);
    EXPECT_TRUE(Traced("pipeIDs 1"));
    EXPECT_EQ(board->piping, 1);
    EXPECT_EQ(BonusPlays(), 1);
}

TEST_F(FlowTest, MeetingNetworksMergeIntoTheSmallerIdFromEitherSide) {
    const int dx[kDirections] = {0, 1, 0, -1};
    const int dy[kDirections] = {-1, 0, 1, 0};
    for (int d = 0; d < kDirections; ++d) {
        for (int expandedId : {0, 1}) {
            const int otherId = 1 - expandedId;
            NewBoard();
            // A line R - P - N - Q in direction d: P (expanded) meets N.
            const std::string pipe = d % 2 == 0 ? "UD" : "RL";
            WellCell* r = Put(5 - dx[d], 10 - dy[d], pipe);
            WellCell* p = Put(5, 10, pipe);
            WellCell* n = Put(5 + dx[d], 10 + dy[d], pipe);
            WellCell* q = Put(5 + 2 * dx[d], 10 + 2 * dy[d], pipe);
            ConnectAll();
            for (WellCell* piece : {r, p, n, q}) {
                piece->flowed = true;
                piece->pipeID =
                    static_cast<int16_t>(piece == r || piece == p ? expandedId : otherId);
            }
            board->LinkPieces(SpotOf(r), d);
            board->LinkPieces(SpotOf(n), d);
            board->pipeSizes = {2, 2};
            board->pipeIDs = 2;
            board->flowFrontier = {EntryOf(p)};
            board->piping = 1;

            EXPECT_FALSE(board->FlowStep());
            for (const WellCell* piece : {r, p, n, q}) {
                EXPECT_EQ(piece->pipeID, 0) << "direction " << d << " expanded " << expandedId;
            }
            EXPECT_EQ(board->pipeSizes, (std::vector<int>{4, -1})) << d << " " << expandedId;
            EXPECT_EQ(Has(p->linked, d), 1);
            EXPECT_EQ(Has(n->linked, Opposite(d)), 1);
            EXPECT_TRUE(Traced("pipe ID 1 becomes 0"));
            EXPECT_EQ(board->cycleIDs, 0);  // different networks meeting close no loop
        }
    }
}

TEST_F(FlowTest, ARingOfFourCornersClosesOneCycleInTheFirstStep) {
    WellCell* topLeft = Put(0, 22, "RD");
    WellCell* topRight = Put(1, 22, "DL");
    WellCell* bottomLeft = Put(0, 23, "UR");
    WellCell* bottomRight = Put(1, 23, "UL");
    FillRow(23);
    ConnectAll();
    ASSERT_FALSE(board->ClearFullRows());
    EXPECT_FALSE(board->FlowStep());  // nothing left to reach: the flow ends too
    for (const WellCell* piece : {topLeft, topRight, bottomLeft, bottomRight}) {
        EXPECT_EQ(piece->onCycle, 1);
        EXPECT_EQ(piece->cycleID, 0);
        EXPECT_EQ(piece->marked, 1);
    }
    EXPECT_EQ(board->cycleSizes, std::vector<int>{4});
    EXPECT_EQ(board->cycleMulti, std::vector<int>{0});
    EXPECT_EQ(board->pipeSizes, std::vector<int>{4});
    EXPECT_EQ(GhostPlays(), 1);
    EXPECT_EQ(BonusPlays(), 1);  // the start only: the ending step plays nothing
    EXPECT_EQ(board->piping, 0);
    EXPECT_EQ(board->destroying, 1);
    EXPECT_EQ(board->PieceAt(6, 23)->onCycle, 0);
    EXPECT_EQ(board->PieceAt(6, 23)->cycleVisited, 0);
}

TEST_F(FlowTest, ALoopTouchingAnEarlierCycleMergesIntoAMultiCycle) {
    // Two rings, one above the other, joined down the left side.
    std::vector<WellCell*> all = {
        Put(0, 20, "RD"),  Put(1, 20, "DL"), Put(0, 21, "URD"), Put(1, 21, "UL"),
        Put(0, 22, "URD"), Put(1, 22, "DL"), Put(0, 23, "UR"),  Put(1, 23, "UL"),
    };
    FillRow(23);
    ConnectAll();
    ASSERT_FALSE(board->ClearFullRows());
    EXPECT_TRUE(board->FlowStep());  // the lower ring closes as cycle 0
    EXPECT_EQ(board->cycleSizes, std::vector<int>{4});
    EXPECT_TRUE(board->FlowStep());  // the upper ring closes and touches it
    EXPECT_FALSE(board->FlowStep());
    for (const WellCell* piece : all) {
        EXPECT_EQ(piece->onCycle, 1);
        EXPECT_EQ(piece->cycleID, 0);
    }
    EXPECT_EQ(board->cycleSizes, (std::vector<int>{8, -1}));
    EXPECT_EQ(board->cycleMulti, (std::vector<int>{1, 0}));
    EXPECT_EQ(board->cycleIDs, 2);
    EXPECT_EQ(board->pipeSizes, std::vector<int>{8});
    EXPECT_EQ(GhostPlays(), 2);
    EXPECT_EQ(BonusPlays(), 3);  // the start and the two steps that left work
}

TEST_F(FlowTest, TheFrontierIsLastInFirstOut) {
    // P alone in the frontier reaches U above and R to the right; each joins
    // nothing else.
    WellCell* p = Put(5, 10, "UR");
    WellCell* u = Put(5, 9, "D");
    WellCell* r = Put(6, 10, "L");
    ConnectAll();
    StartFlowAt(SpotOf(p));
    EXPECT_TRUE(board->FlowStep());
    EXPECT_EQ(board->flowFrontier,
              (std::vector<int16_t>{EntryOf(u), EntryOf(r)}));  // R appended last
    EXPECT_EQ(board->pipeSizes, std::vector<int>{3});
    EXPECT_EQ(u->marked, 0);
    EXPECT_FALSE(board->FlowStep());  // the last pieces reach nothing new
    EXPECT_TRUE(board->flowFrontier.empty());
    for (const WellCell* piece : {p, u, r}) {
        EXPECT_EQ(piece->marked, 1);
    }
    EXPECT_EQ(board->piping, 0);
    EXPECT_EQ(board->destroying, 1);
    EXPECT_EQ(board->moving, 0);
}

TEST_F(FlowTest, PiecesAppendedDuringAStepAreExpandedBeforeOlderOnes) {
    // As above, but U and R both reach X diagonally. The second step takes R
    // (appended last), R reaches X, and X, appended during this step, is
    // taken next: it finds U already reached and closes the loop, while U
    // waits for the third step.
    WellCell* p = Put(5, 10, "UR");
    WellCell* u = Put(5, 9, "RD");
    WellCell* r = Put(6, 10, "UL");
    WellCell* x = Put(6, 9, "DL");
    ConnectAll();
    StartFlowAt(SpotOf(p));
    EXPECT_TRUE(board->FlowStep());
    EXPECT_TRUE(board->FlowStep());
    EXPECT_TRUE(Traced("cycle called by 3 at 6, 9"));
    EXPECT_EQ(x->parent, -1);  // X is the root of the search
    EXPECT_NE(u->parent, -1);
    for (const WellCell* piece : {p, u, r, x}) {
        EXPECT_EQ(piece->onCycle, 1);
    }
    EXPECT_EQ(board->cycleSizes, std::vector<int>{4});
    EXPECT_EQ(board->flowFrontier, std::vector<int16_t>{EntryOf(u)});
    EXPECT_FALSE(board->FlowStep());
}

TEST_F(FlowTest, AnUnconnectedFullRowStaysMarkedAndGoesWithTheNextFlow) {
    FillRow(23);
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->piping, 0);
    EXPECT_TRUE(board->flowFrontier.empty());
    EXPECT_EQ(BonusPlays(), 0);
    for (int x = 0; x < kBoardColumns; ++x) {
        EXPECT_EQ(board->PieceAt(x, 23)->marked, 1);
        EXPECT_EQ(board->PieceAt(x, 23)->pipeID, -1);
    }
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->rowsCleared, 2);

    Put(3, 22, "U");
    Put(3, 21, "D");
    const int untouched = Put(8, 21, "U")->GetFrame();
    FillRow(22);
    ConnectAll();
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->rowsCleared, 4);
    EXPECT_EQ(board->piping, 1);
    while (board->FlowStep()) {
    }
    board->RemoveMarked();
    for (int x = 0; x < kBoardColumns; ++x) {
        EXPECT_EQ(board->PieceAt(x, 23), nullptr) << x;
        EXPECT_EQ(board->PieceAt(x, 22), nullptr) << x;
    }
    EXPECT_EQ(board->PieceAt(3, 21), nullptr);
    ASSERT_NE(board->PieceAt(8, 21), nullptr);
    EXPECT_EQ(board->PieceAt(8, 21)->GetFrame(), untouched);
}

TEST_F(FlowTest, AConnectionTowardAnEmptyCellJoinsNothing) {
    // Left over in row 0 after gravity: flags pointing at cells since emptied.
    WellCell* row = Put(4, 23, "U");
    FillRow(23);
    SetBit(row->connected, DIR_UP, true);
    EXPECT_FALSE(board->ClearFullRows());
    EXPECT_EQ(board->piping, 0);
    EXPECT_EQ(row->pipeID, -1);

    WellCell* lone = Put(6, 0, "URDL");
    SetBit(lone->connected, DIR_DOWN, true);
    SetBit(lone->connected, DIR_LEFT, true);
    StartFlowAt(SpotOf(lone));
    EXPECT_FALSE(board->FlowStep());
    EXPECT_EQ(board->pipeSizes, std::vector<int>{1});
    EXPECT_EQ(Has(lone->linked, DIR_DOWN), 0);
}

}  // namespace
