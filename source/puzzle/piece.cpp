#include "puzzle/piece.h"

#include "puzzle/randomdraw.h"

const int kPipeOpenings[kPipeShapes][kDirections] = {
    {1, 1, 1, 1},  // cross
    {1, 0, 1, 0},  // straight
    {1, 1, 0, 1},  // T
    {1, 1, 0, 0},  // corner
    {1, 0, 0, 0},  // end
};

namespace {

// new[d] = old[d - 1]: what was open up is open right.
void TurnClockwise(int (&flags)[kDirections]) {
    const int left = flags[DIR_LEFT];
    for (int d = DIR_LEFT; d > DIR_UP; --d) {
        flags[d] = flags[d - 1];
    }
    flags[DIR_UP] = left;
}

// new[d] = old[d + 1].
void TurnCounterClockwise(int (&flags)[kDirections]) {
    const int up = flags[DIR_UP];
    for (int d = DIR_UP; d < DIR_LEFT; ++d) {
        flags[d] = flags[d + 1];
    }
    flags[DIR_LEFT] = up;
}

}  // namespace

C_Piece::C_Piece(int colourIndexIn, int up, int right, int down, int left)
    : colourIndex(colourIndexIn), shapeLinks{up, right, down, left} {
    typeId = OBJECT_PIECE;
    pipeShape = RandomIndex(kPipeShapes);
    rotation = RandomIndex(kRotations);
    for (int d = 0; d < kDirections; ++d) {
        openings[d] = kPipeOpenings[pipeShape][d];
    }
    for (int turn = 0; turn < rotation; ++turn) {
        TurnClockwise(openings);
    }
}

void C_Piece::RotateClockwise() {
    rotation = (rotation + 1) % kRotations;
    TurnClockwise(shapeLinks);
    TurnClockwise(openings);
}

void C_Piece::RotateCounterClockwise() {
    rotation = rotation == 0 ? kRotations - 1 : rotation - 1;
    TurnCounterClockwise(shapeLinks);
    TurnCounterClockwise(openings);
}
