#include "puzzle/tetromino.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"
#include "support/puzzleboard.h"

namespace {

using Cells = std::set<std::pair<int, int>>;

// Draws for a shape of `type` whose four pieces open toward `pipes` (in the
// order of the shape table), or random pieces when `pipes` is empty.
std::vector<int> ShapeDraws(int type, const std::vector<std::string>& pipes = {}) {
    std::vector<int> draws = {DrawFor(type, kShapeTypes)};
    for (const std::string& pipe : pipes) {
        const std::vector<int> more = PipeDraws(pipe);
        draws.insert(draws.end(), more.begin(), more.end());
    }
    return draws;
}

// The board cells the shape covers.
Cells Covered(const C_Tetromino& shape) {
    Cells cells;
    for (int i = 0; i < shape.GetBoxSize(); ++i) {
        for (int j = 0; j < shape.GetBoxSize(); ++j) {
            if (shape.PieceInBox(i, j) != nullptr) {
                cells.insert({shape.GetColumn() + i, shape.GetRow() + j});
            }
        }
    }
    return cells;
}

// Every shape link inside the box points at a piece of the box that links back.
void ExpectLinksAgree(const C_Tetromino& shape) {
    const int dx[kDirections] = {0, 1, 0, -1};
    const int dy[kDirections] = {-1, 0, 1, 0};
    const int n = shape.GetBoxSize();
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const WellCell* piece = shape.PieceInBox(i, j);
            if (piece == nullptr) {
                continue;
            }
            for (int d = 0; d < kDirections; ++d) {
                const int ni = i + dx[d];
                const int nj = j + dy[d];
                const WellCell* other =
                    ni >= 0 && nj >= 0 && ni < n && nj < n ? shape.PieceInBox(ni, nj) : nullptr;
                EXPECT_EQ(Has(piece->shapeLinks, d), other != nullptr ? 1 : 0)
                    << "type " << shape.GetShapeType() << " box " << i << "," << j << " dir " << d;
                if (other != nullptr) {
                    EXPECT_EQ(Has(other->shapeLinks, Opposite(d)), 1);
                }
            }
        }
    }
}

using TetrominoTest = BoardTest;

TEST_F(TetrominoTest, EachTypeBuildsItsFormWithLinkedPiecesOfItsColour) {
    struct Case {
        int type;
        int column, row, box;
        Cells cells;  // box cells
    };
    const std::vector<Case> cases = {
        {SHAPE_J, 4, 0, 5, {{1, 1}, {1, 2}, {2, 2}, {3, 2}}},
        {SHAPE_L, 4, 0, 5, {{3, 1}, {1, 2}, {2, 2}, {3, 2}}},
        {SHAPE_Z, 4, 0, 5, {{1, 1}, {2, 1}, {2, 2}, {3, 2}}},
        {SHAPE_S, 4, 0, 5, {{2, 1}, {3, 1}, {1, 2}, {2, 2}}},
        {SHAPE_T, 4, 0, 5, {{2, 1}, {1, 2}, {2, 2}, {3, 2}}},
        {SHAPE_I, 4, -1, 5, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {SHAPE_O, 3, 3, 4, {{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
    };
    for (const Case& c : cases) {
        ForcedDraws draws(ShapeDraws(c.type));
        C_Tetromino shape(board.get());
        ASSERT_EQ(shape.GetShapeType(), c.type);
        EXPECT_EQ(shape.GetType(), OBJECT_TETROMINO);
        EXPECT_EQ(shape.GetColumn(), c.column);
        EXPECT_EQ(shape.GetRow(), c.row);
        EXPECT_EQ(shape.GetBoxSize(), c.box);
        Cells inBox;
        for (int i = 0; i < kBoxSize; ++i) {
            for (int j = 0; j < kBoxSize; ++j) {
                if (const WellCell* piece = shape.PieceInBox(i, j)) {
                    inBox.insert({i, j});
                    EXPECT_EQ(piece->colourIndex, c.type);
                }
            }
        }
        EXPECT_EQ(inBox, c.cells) << c.type;
        ExpectLinksAgree(shape);
        // Never locked: the shape frees its own pieces (checked by the leak run).
    }
}

TEST_F(TetrominoTest, TheTopDrawGivesAnOShapeOfEndPipes) {
    ForcedDraws draws(std::vector<int>(9, kDrawMax));
    C_Tetromino shape(board.get());
    EXPECT_EQ(shape.GetShapeType(), SHAPE_O);
    EXPECT_EQ(draws.Left(), 0u);  // one draw for the type, two for each piece
    for (int i = 1; i <= 2; ++i) {
        for (int j = 1; j <= 2; ++j) {
            const WellCell* piece = shape.PieceInBox(i, j);
            ASSERT_NE(piece, nullptr);
            EXPECT_EQ(piece->pipeShape, PIPE_END);
            EXPECT_EQ(piece->rotation, 3);
        }
    }
}

TEST_F(TetrominoTest, TurningKeepsShapeLinksMatchingTheTurnedBox) {
    for (int type = 0; type < kShapeTypes; ++type) {
        ForcedDraws draws(ShapeDraws(type));
        C_Tetromino shape(board.get());
        shape.SetGridPosition(4, 5, 0);
        const Cells start = Covered(shape);
        for (int turn = 0; turn < 4; ++turn) {
            shape.RotateClockwise();
            ExpectLinksAgree(shape);
        }
        EXPECT_EQ(Covered(shape), start);
        shape.RotateCounterClockwise();
        ExpectLinksAgree(shape);
        shape.RotateClockwise();
        EXPECT_EQ(Covered(shape), start);
    }
}

TEST_F(TetrominoTest, TheIShapeTurnsIntoBoxColumnTwoButNotIntoTheRightWall) {
    ForcedDraws draws(ShapeDraws(SHAPE_I));
    C_Tetromino shape(board.get());
    const int rotation = shape.PieceInBox(1, 2)->rotation;
    shape.RotateClockwise();
    EXPECT_TRUE(Traced("Ccheck was: 0"));
    EXPECT_EQ(Covered(shape), (Cells{{6, 0}, {6, 1}, {6, 2}, {6, 3}}));  // box column 2, rows 1-4
    for (int j = 1; j <= 4; ++j) {
        ASSERT_NE(shape.PieceInBox(2, j), nullptr);
    }
    EXPECT_EQ(shape.PieceInBox(2, 1)->rotation, (rotation + 1) % 4);

    for (int i = 0; i < 10; ++i) {
        shape.MoveRight();
    }
    EXPECT_EQ(shape.GetColumn(), 9);  // the vertical bar stands in column 11
    const Cells before = Covered(shape);
    shape.RotateClockwise();  // would reach columns 9 to 12
    EXPECT_TRUE(Traced("Ccheck was: 1"));
    EXPECT_EQ(Covered(shape), before);
    EXPECT_EQ(shape.PieceInBox(2, 1)->rotation, (rotation + 1) % 4);
}

TEST_F(TetrominoTest, TheOShapeTurnsInPlaceMovingItsPiecesRound) {
    ForcedDraws draws(ShapeDraws(SHAPE_O));
    C_Tetromino shape(board.get());
    const WellCell* topLeft = shape.PieceInBox(1, 1);
    const Cells cells = Covered(shape);
    shape.RotateClockwise();
    EXPECT_EQ(Covered(shape), cells);
    EXPECT_EQ(shape.PieceInBox(2, 1), topLeft);
    shape.RotateCounterClockwise();
    shape.RotateCounterClockwise();
    EXPECT_EQ(shape.PieceInBox(1, 2), topLeft);
}

TEST_F(TetrominoTest, MovesAndStepsStopAtWallsFloorAndPieces) {
    ForcedDraws draws(ShapeDraws(SHAPE_I));
    C_Tetromino shape(board.get());
    shape.SetGridPosition(3, 19, 0);  // bar in row 21, columns 4 to 7
    EXPECT_EQ(shape.StepDown(), 1);
    EXPECT_EQ(Covered(shape), (Cells{{4, 22}, {5, 22}, {6, 22}, {7, 22}}));
    EXPECT_EQ(shape.StepDown(), 1);
    EXPECT_EQ(shape.StepDown(), 0);  // resting on row 23
    EXPECT_EQ(shape.GetRow(), 21);

    Put(2, 23, "U");
    shape.MoveLeft();
    EXPECT_EQ(shape.GetColumn(), 2);
    shape.MoveLeft();  // (2, 23) is taken
    EXPECT_EQ(shape.GetColumn(), 2);
    for (int i = 0; i < 12; ++i) {
        shape.MoveRight();
    }
    EXPECT_EQ(shape.GetColumn(), 7);  // bar in columns 8 to 11

    Put(9, 10, "U");
    shape.SetGridPosition(7, 6, 0);  // bar in row 8, above (9, 10)
    EXPECT_EQ(shape.StepDown(), 1);
    EXPECT_EQ(shape.StepDown(), 0);  // resting on the piece
    EXPECT_EQ(shape.GetRow(), 7);
    shape.SetGridPosition(-1, 0, 0);  // bar in columns 0 to 3
    shape.MoveLeft();                 // blocked at the left wall, but the pieces follow the box
    EXPECT_EQ(shape.GetColumn(), -1);
}

TEST_F(TetrominoTest, CellsAboveTheWellBlockNothingAndReadNothing) {
    // Cell (x, -1) lies in memory where (x - 1, 23) does: pieces there must
    // not be mistaken for pieces above the well.
    for (int x = 0; x < kBoardColumns; ++x) {
        Put(x, 23, "D");
        Put(x, 22, "D");
    }
    ForcedDraws draws(ShapeDraws(SHAPE_I));
    C_Tetromino shape(board.get());
    shape.SetGridPosition(3, -2, 0);  // the I shape's spawn cell: bar in row 0
    shape.RotateClockwise();
    EXPECT_TRUE(Traced("Ccheck was: 0"));
    EXPECT_EQ(Covered(shape), (Cells{{5, -1}, {5, 0}, {5, 1}, {5, 2}}));
    shape.MoveLeft();
    shape.MoveRight();
    shape.MoveRight();
    EXPECT_EQ(shape.GetColumn(), 4);

    shape.SetGridPosition(3, -4, 0);  // bar in column 5, rows -3 to 0
    EXPECT_EQ(shape.StepDown(), 1);
    shape.RotateCounterClockwise();  // back to a bar in row -1
    EXPECT_EQ(Covered(shape), (Cells{{4, -1}, {5, -1}, {6, -1}, {7, -1}}));
    EXPECT_EQ(shape.StepDown(), 1);
    EXPECT_EQ(shape.StepDown(), 1);
}

TEST_F(TetrominoTest, AShapeLockedWithCellsAboveTheWellTopsTheBoardOut) {
    ForcedDraws draws(ShapeDraws(SHAPE_Z));
    auto shape = std::make_unique<C_Tetromino>(board.get());
    shape->SetGridPosition(3, -2, 0);  // cells (4,-1) (5,-1) above, (5,0) (6,0) inside
    shape->LockIntoBoard();
    shape.reset();
    int pieces = 0;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            pieces += board->PieceAt(x, y) != nullptr ? 1 : 0;
        }
    }
    EXPECT_EQ(pieces, 2);  // the two above the well were freed, nothing written elsewhere
    ASSERT_NE(board->PieceAt(5, 0), nullptr);
    ASSERT_NE(board->PieceAt(6, 0), nullptr);
    EXPECT_EQ(Has(board->PieceAt(5, 0)->shapeLinks, DIR_UP), 0);  // its partner is gone
    EXPECT_EQ(Has(board->PieceAt(5, 0)->shapeLinks, DIR_RIGHT), 1);
    EXPECT_EQ(board->toppedOut, 1);
    EXPECT_TRUE(board->ClearFullRows());  // although row 1 is empty
}

TEST_F(TetrominoTest, ALockOntoATakenCellKeepsTheBoardsPieceAndTopsOut) {
    Put(5, 10, "U");
    ForcedDraws draws(ShapeDraws(SHAPE_O));
    auto shape = std::make_unique<C_Tetromino>(board.get());
    shape->SetGridPosition(4, 9, 0);  // covers (5, 10)
    shape->LockIntoBoard();
    shape.reset();
    EXPECT_EQ(board->PieceAt(5, 10)->colourIndex, 0) << "the board's piece stays";
    EXPECT_NE(board->PieceAt(6, 10), nullptr);
    EXPECT_EQ(board->toppedOut, 1);
}

TEST_F(TetrominoTest, ALockedFlatStraightIJoinsItsOwnPipesLeftToRightOnly) {
    Put(4, 22, "D");  // open toward the bar, which is closed upward
    ForcedDraws draws(ShapeDraws(SHAPE_I, {"RL", "RL", "RL", "RL"}));
    auto shape = std::make_unique<C_Tetromino>(board.get());
    shape->SetGridPosition(3, -2, 0);
    shape->MoveRight();  // bar in columns 5 to 8, clear of (4, 22)
    while (shape->StepDown() == 1) {
    }
    EXPECT_EQ(shape->GetRow(), 21);
    shape->LockIntoBoard();
    shape.reset();
    for (int x = 5; x <= 8; ++x) {
        const WellCell* piece = board->PieceAt(x, 23);
        ASSERT_NE(piece, nullptr);
        EXPECT_EQ(Has(piece->connected, DIR_LEFT), x > 5 ? 1 : 0) << x;
        EXPECT_EQ(Has(piece->connected, DIR_RIGHT), x < 8 ? 1 : 0) << x;
        EXPECT_EQ(Has(piece->connected, DIR_UP), 0);
        EXPECT_EQ(Has(piece->connected, DIR_DOWN), 0);
    }
    EXPECT_EQ(Has(board->PieceAt(4, 22)->connected, DIR_DOWN), 0);
}

TEST_F(TetrominoTest, ALockJoinsPipesThatFaceEachOtherAcrossTheShapesEdge) {
    const WellCell* left = Put(0, 23, "R");
    const WellCell* above = Put(1, 21, "D");
    const WellCell* closed = Put(3, 23, "U");
    // O shape over (1,22) (2,22) (1,23) (2,23): pieces in table order
    // (1,1) (2,1) (1,2) (2,2) of its box.
    ForcedDraws draws(ShapeDraws(SHAPE_O, {"U", "D", "L", "URDL"}));
    auto shape = std::make_unique<C_Tetromino>(board.get());
    shape->SetGridPosition(0, 21, 0);
    shape->LockIntoBoard();
    shape.reset();
    EXPECT_EQ(Has(left->connected, DIR_RIGHT), 1);
    EXPECT_EQ(Has(board->PieceAt(1, 23)->connected, DIR_LEFT), 1);
    EXPECT_EQ(Has(above->connected, DIR_DOWN), 1);
    EXPECT_EQ(Has(board->PieceAt(1, 22)->connected, DIR_UP), 1);
    EXPECT_EQ(Has(board->PieceAt(2, 22)->connected, DIR_DOWN), 1);  // own pipes join too
    EXPECT_EQ(Has(board->PieceAt(2, 23)->connected, DIR_UP), 1);
    EXPECT_EQ(Has(board->PieceAt(2, 23)->connected, DIR_RIGHT), 0);  // (3, 23) is closed that way
    EXPECT_EQ(Has(closed->connected, DIR_LEFT), 0);
    EXPECT_EQ(Has(board->PieceAt(1, 22)->connected, DIR_RIGHT), 0);
}

}  // namespace
