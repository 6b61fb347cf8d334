#include "puzzle/piece.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "puzzle/randomdraw.h"
#include "support/puzzleboard.h"

namespace {

TEST(RandomDraws, ScaleTo0ToNMinus1WithTheTopDrawGivingTheLastValue) {
    struct Case {
        int draw;
        int n;
        int index;
    };
    const std::vector<Case> cases = {
        {0, 5, 0},     {6553, 5, 0},  {6554, 5, 1},  {26213, 5, 3}, {26214, 5, 4},
        {32766, 5, 4}, {32767, 5, 4}, {32767, 4, 3}, {32767, 7, 6}, {8191, 4, 0},
        {8192, 4, 1},  {4680, 7, 0},  {4681, 7, 1},  {16383, 2, 0}, {16384, 2, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DrawToIndex(c.draw, c.n), c.index) << c.draw << " of " << c.n;
    }
}

TEST(RandomDraws, SeededDrawsRepeatAndStayInRange) {
    LooseDraws().Seed(7);
    std::vector<int> first;
    for (int i = 0; i < 2000; ++i) {
        first.push_back(LooseDraws().Draw());
    }
    LooseDraws().Seed(7);
    int seen[7] = {};
    for (int i = 0; i < 2000; ++i) {
        const int draw = LooseDraws().Draw();
        ASSERT_EQ(draw, first[static_cast<size_t>(i)]);
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, kDrawMax);
        ++seen[DrawToIndex(draw, 7)];
    }
    for (int count : seen) {
        EXPECT_GT(count, 200);  // every shape type comes up
    }
}

struct PipeCase {
    int shape;
    int rotation;
    int up, right, down, left;
    int frame;
};

TEST(Piece, FormAndRotationGiveTheOpeningsAndTheFrame) {
    const std::vector<PipeCase> cases = {
        {PIPE_CORNER, 1, 0, 1, 1, 0, 8},   {PIPE_CORNER, 0, 1, 1, 0, 0, 3},
        {PIPE_CORNER, 3, 1, 0, 0, 1, 18},  {PIPE_T, 0, 1, 1, 0, 1, 2},
        {PIPE_T, 1, 1, 1, 1, 0, 7},        {PIPE_T, 2, 0, 1, 1, 1, 12},
        {PIPE_STRAIGHT, 1, 0, 1, 0, 1, 6}, {PIPE_STRAIGHT, 2, 1, 0, 1, 0, 11},
        {PIPE_END, 0, 1, 0, 0, 0, 4},      {PIPE_END, 3, 0, 0, 0, 1, 19},
        {PIPE_CROSS, 2, 1, 1, 1, 1, 10},
    };
    for (const PipeCase& c : cases) {
        // The form is drawn first, then the rotation.
        ForcedDraws draws({DrawFor(c.shape, kPipeShapes), DrawFor(c.rotation, kRotations)});
        C_Piece piece(2, 0, 0, 0, 0);
        ASSERT_EQ(piece.cell.pipeShape, c.shape);
        ASSERT_EQ(piece.cell.rotation, c.rotation);
        const int expected[kDirections] = {c.up, c.right, c.down, c.left};
        for (int d = 0; d < kDirections; ++d) {
            EXPECT_EQ(Has(piece.cell.openings, d), expected[d])
                << "form " << c.shape << " rotation " << c.rotation << " direction " << d;
        }
        EXPECT_EQ(piece.GetFrame(), c.frame);
    }
}

TEST(Piece, ANewPieceStartsOutsideEveryNetworkWithItsShapeLinksUnturned) {
    ForcedDraws draws({DrawFor(PIPE_T, kPipeShapes), DrawFor(2, kRotations)});
    C_Piece piece(4, 1, 0, 0, 1);
    EXPECT_EQ(piece.GetType(), OBJECT_PIECE);
    EXPECT_EQ(piece.cell.colourIndex, 4);
    EXPECT_EQ(piece.cell.pipeID, -1);
    EXPECT_EQ(piece.cell.cycleID, -1);
    EXPECT_EQ(piece.cell.parent, -1);
    const int links[kDirections] = {1, 0, 0, 1};
    for (int d = 0; d < kDirections; ++d) {
        EXPECT_EQ(Has(piece.cell.shapeLinks, d), links[d]) << d;  // not turned by the rotation
        EXPECT_EQ(Has(piece.cell.connected, d), 0);
        EXPECT_EQ(Has(piece.cell.linked, d), 0);
    }
}

TEST(Piece, TheTopDrawGivesAnEndPipeTurnedThreeTimes) {
    ForcedDraws draws({kDrawMax, kDrawMax});
    C_Piece piece(0, 0, 0, 0, 0);
    EXPECT_EQ(piece.cell.pipeShape, PIPE_END);
    EXPECT_EQ(piece.cell.rotation, 3);
    EXPECT_EQ(piece.GetFrame(), 19);  // the last frame of the 20
    EXPECT_EQ(Has(piece.cell.openings, DIR_LEFT), 1);
}

TEST(Piece, TurningTurnsOpeningsAndShapeLinksTogether) {
    for (int shape = 0; shape < kPipeShapes; ++shape) {
        for (int rotation = 0; rotation < kRotations; ++rotation) {
            ForcedDraws draws({DrawFor(shape, kPipeShapes), DrawFor(rotation, kRotations)});
            C_Piece piece(1, 1, 1, 0, 0);
            bool openings[kDirections];
            for (int d = 0; d < kDirections; ++d) {
                openings[d] = Has(piece.cell.openings, d);
            }

            piece.RotateClockwise();
            EXPECT_EQ(piece.cell.rotation, (rotation + 1) % kRotations);
            EXPECT_EQ(piece.GetFrame(), piece.cell.rotation * kPipeShapes + shape);
            for (int d = 0; d < kDirections; ++d) {
                // What was open up is now open right.
                EXPECT_EQ(Has(piece.cell.openings, (d + 1) % kDirections), openings[d]);
            }
            EXPECT_EQ(Has(piece.cell.shapeLinks, DIR_RIGHT), 1);  // up turned right
            EXPECT_EQ(Has(piece.cell.shapeLinks, DIR_DOWN), 1);   // right turned down
            EXPECT_EQ(Has(piece.cell.shapeLinks, DIR_UP), 0);

            piece.RotateCounterClockwise();
            piece.RotateCounterClockwise();
            EXPECT_EQ(piece.cell.rotation, (rotation + 3) % kRotations);
            for (int d = 0; d < kDirections; ++d) {
                EXPECT_EQ(Has(piece.cell.openings, (d + 3) % kDirections), openings[d]);
            }
            EXPECT_EQ(Has(piece.cell.shapeLinks, DIR_LEFT), 1);
            EXPECT_EQ(Has(piece.cell.shapeLinks, DIR_UP), 1);

            // Four turns one way come back to the start.
            piece.RotateClockwise();
            for (int turn = 0; turn < 4; ++turn) {
                piece.RotateClockwise();
            }
            EXPECT_EQ(piece.cell.rotation, rotation);
            for (int d = 0; d < kDirections; ++d) {
                EXPECT_EQ(Has(piece.cell.openings, d), openings[d]);
                EXPECT_EQ(Has(piece.cell.shapeLinks, d), d == DIR_UP || d == DIR_RIGHT ? 1 : 0);
            }
        }
    }
}

}  // namespace
