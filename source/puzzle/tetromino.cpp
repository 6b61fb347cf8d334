#include "puzzle/tetromino.h"

#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"

namespace {

constexpr float kCentreX = 400.0f;
constexpr float kCentreY = 300.0f;
constexpr float kPieceScale = 0.7f;
constexpr int kOpaque = 255;

}  // namespace

C_Tetromino::C_Tetromino(C_GameBoard* boardIn) : C_Tetromino(boardIn, LooseDraws()) {}

C_Tetromino::C_Tetromino(C_GameBoard* boardIn, C_RandomDraw& draws)
    : shape(DrawnShape(draws)), board(boardIn) {
    typeId = OBJECT_TETROMINO;
    const Vector2 centre = GetCentre();
    SetPosition(kCentreX - centre.x, kCentreY - centre.y);
    SetVelocity(0.0f, 0.0f);
}

C_Tetromino::~C_Tetromino() = default;

HRESULT C_Tetromino::RenderAt(const BoardPlace& place) {
    for (int i = 0; i < shape.boxSize; ++i) {
        for (int j = 0; j < shape.boxSize; ++j) {
            if (const WellCell* piece = shape.At(i, j)) {
                painter.DrawAt(*piece, 0.0f, 0.0f, place.X(shape.column + i),
                               place.Y(shape.row + j), kPieceScale, kOpaque, place.Zoom());
            }
        }
    }
    return S_OK;
}

void C_Tetromino::RenderFaint(int rows, int alpha) {
    for (int i = 0; i < shape.boxSize; ++i) {
        for (int j = 0; j < shape.boxSize; ++j) {
            // Only the cells that would lie inside the well.
            const WellCell* piece = shape.At(i, j);
            if (piece != nullptr && shape.row + rows + j >= 0) {
                painter.DrawFaint(*piece, kBoardLeft + kCellPitch * (shape.column + i),
                                  kBoardTop + kCellPitch * (shape.row + rows + j), alpha);
            }
        }
    }
}

int C_Tetromino::RowsToLanding() const {
    return board->RowsToLanding(shape);
}

void C_Tetromino::SetGridPosition(int columnIn, int rowIn, int thirdIn) {
    shape.column = columnIn;
    shape.row = rowIn;
    third = thirdIn;
}

int C_Tetromino::StepDown() {
    return board->StepDown(&shape) ? 1 : 0;
}

void C_Tetromino::MoveRight() {
    board->Shift(&shape, 1);
}

void C_Tetromino::MoveLeft() {
    board->Shift(&shape, -1);
}

void C_Tetromino::RotateClockwise() {
    board->Turn(&shape, true);
}

void C_Tetromino::RotateCounterClockwise() {
    board->Turn(&shape, false);
}

void C_Tetromino::LockIntoBoard() {
    if (locked != 0) {
        return;
    }
    board->Lock(shape);
    for (auto& column : shape.box) {
        for (int8_t& cell : column) {
            cell = -1;
        }
    }
    locked = 1;
}
