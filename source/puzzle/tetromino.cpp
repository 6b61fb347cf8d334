#include "puzzle/tetromino.h"

#include <string>
#include <utility>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"

namespace {

struct ShapeCell {
    int i;
    int j;
    int links[kDirections];  // up, right, down, left
};

// Cells and shape links of the seven shapes, by type.
constexpr ShapeCell kShapes[kShapeTypes][kShapeCells] = {
    {{1, 1, {0, 0, 1, 0}}, {1, 2, {1, 1, 0, 0}}, {2, 2, {0, 1, 0, 1}}, {3, 2, {0, 0, 0, 1}}},  // J
    {{3, 1, {0, 0, 1, 0}}, {1, 2, {0, 1, 0, 0}}, {2, 2, {0, 1, 0, 1}}, {3, 2, {1, 0, 0, 1}}},  // L
    {{1, 1, {0, 1, 0, 0}}, {2, 1, {0, 0, 1, 1}}, {2, 2, {1, 1, 0, 0}}, {3, 2, {0, 0, 0, 1}}},  // Z
    {{2, 1, {0, 1, 1, 0}}, {3, 1, {0, 0, 0, 1}}, {2, 2, {1, 0, 0, 1}}, {1, 2, {0, 1, 0, 0}}},  // S
    {{2, 1, {0, 0, 1, 0}}, {1, 2, {0, 1, 0, 0}}, {2, 2, {1, 1, 0, 1}}, {3, 2, {0, 0, 0, 1}}},  // T
    {{1, 2, {0, 1, 0, 0}}, {2, 2, {0, 1, 0, 1}}, {3, 2, {0, 1, 0, 1}}, {4, 2, {0, 0, 0, 1}}},  // I
    {{1, 1, {0, 1, 1, 0}}, {2, 1, {0, 0, 1, 1}}, {1, 2, {1, 1, 0, 0}}, {2, 2, {1, 0, 0, 1}}},  // O
};

constexpr int kOBoxSize = 4;
constexpr float kCentreX = 400.0f;
constexpr float kCentreY = 300.0f;
constexpr float kPieceScale = 0.7f;
constexpr int kOpaque = 255;

}  // namespace

C_Tetromino::C_Tetromino(C_GameBoard* boardIn) : C_Tetromino(boardIn, LooseDraws()) {}

C_Tetromino::C_Tetromino(C_GameBoard* boardIn, C_RandomDraw& draws)
    : type(draws.Index(kShapeTypes)), board(boardIn) {
    typeId = OBJECT_TETROMINO;
    if (type == SHAPE_I) {
        column = 4;
        row = -1;
    } else if (type == SHAPE_O) {
        column = 3;
        row = 3;
        boxSize = kOBoxSize;
    } else {
        column = 4;
        row = 0;
    }
    for (int n = 0; n < kShapeCells; ++n) {
        const ShapeCell& cell = kShapes[type][n];
        pieces[n] = std::make_unique<C_Piece>(type, cell.links[DIR_UP], cell.links[DIR_RIGHT],
                                              cell.links[DIR_DOWN], cell.links[DIR_LEFT], draws);
        box[cell.i][cell.j] = pieces[n].get();
    }
    const Vector2 centre = GetCentre();
    SetPosition(kCentreX - centre.x, kCentreY - centre.y);
    SetVelocity(0.0f, 0.0f);
}

C_Tetromino::~C_Tetromino() = default;

HRESULT C_Tetromino::Render() {
    for (int i = 0; i < boxSize; ++i) {
        for (int j = 0; j < boxSize; ++j) {
            if (C_Piece* piece = box[i][j]) {
                piece->DrawAt(kBoardLeft + kCellPitch * (column + i),
                              kBoardTop + kCellPitch * (row + j), kPieceScale, kOpaque);
            }
        }
    }
    return S_OK;
}

void C_Tetromino::RenderFaint(int rows, int alpha) {
    for (int i = 0; i < boxSize; ++i) {
        for (int j = 0; j < boxSize; ++j) {
            // Only the cells that would lie inside the well.
            if (C_Piece* piece = box[i][j]; piece != nullptr && row + rows + j >= 0) {
                piece->DrawFaint(kBoardLeft + kCellPitch * (column + i),
                                 kBoardTop + kCellPitch * (row + rows + j), alpha);
            }
        }
    }
}

bool C_Tetromino::FitsMoved(int dx, int dy) const {
    for (int i = 0; i < boxSize; ++i) {
        for (int j = 0; j < boxSize; ++j) {
            if (box[i][j] != nullptr && !CellFree(column + i + dx, row + j + dy)) {
                return false;
            }
        }
    }
    return true;
}

int C_Tetromino::RowsToLanding() const {
    int rows = 0;
    while (FitsMoved(0, rows + 1)) {
        ++rows;
    }
    return rows;
}

void C_Tetromino::SetGridPosition(int columnIn, int rowIn, int thirdIn) {
    column = columnIn;
    row = rowIn;
    third = thirdIn;
}

void C_Tetromino::SyncPieces() {
    for (int i = 0; i < boxSize; ++i) {
        for (int j = 0; j < boxSize; ++j) {
            if (C_Piece* piece = box[i][j]) {
                piece->SetX(column + i);
                piece->SetY(row + j);
            }
        }
    }
}

bool C_Tetromino::CellFree(int x, int y) const {
    if (x < 0 || x >= kBoardColumns || y >= kBoardRows) {
        return false;
    }
    // Above the well nothing stands in the way.
    return y < 0 || board->grid[x][y] == nullptr;
}

int C_Tetromino::StepDown() {
    if (!FitsMoved(0, 1)) {
        return 0;
    }
    row += 1;
    SyncPieces();
    return 1;
}

void C_Tetromino::MoveRight() {
    bool blocked = false;
    for (int i = 0; i < boxSize; ++i) {
        for (int j = 0; j < boxSize; ++j) {
            blocked = blocked || (box[i][j] != nullptr && !CellFree(column + i + 1, row + j));
        }
    }
    if (!blocked) {
        column += 1;
    }
    SyncPieces();
}

void C_Tetromino::MoveLeft() {
    bool blocked = false;
    for (int i = 0; i < boxSize; ++i) {
        for (int j = 0; j < boxSize; ++j) {
            blocked = blocked || (box[i][j] != nullptr && !CellFree(column + i - 1, row + j));
        }
    }
    if (!blocked) {
        column -= 1;
    }
    SyncPieces();
}

bool C_Tetromino::TurnFits(bool clockwise) {
    const int n = boxSize;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (clockwise) {
                scratch[n - 1 - j][i] = box[i][j];
            } else {
                scratch[j][n - 1 - i] = box[i][j];
            }
        }
    }
    bool blocked = false;
    for (int i = 0; i < n && !blocked; ++i) {
        for (int j = 0; j < n && !blocked; ++j) {
            blocked = scratch[i][j] != nullptr && !CellFree(column + i, row + j);
        }
    }
    board->Trace(std::string("Ccheck was: ") + (blocked ? "1" : "0"));
    return !blocked;
}

void C_Tetromino::Turn(bool clockwise) {
    if (TurnFits(clockwise)) {
        for (int i = 0; i < boxSize; ++i) {
            for (int j = 0; j < boxSize; ++j) {
                box[i][j] = scratch[i][j];
                if (box[i][j] != nullptr) {
                    if (clockwise) {
                        box[i][j]->RotateClockwise();
                    } else {
                        box[i][j]->RotateCounterClockwise();
                    }
                }
            }
        }
        SyncPieces();
    }
    for (auto& scratchColumn : scratch) {
        for (C_Piece*& cell : scratchColumn) {
            cell = nullptr;
        }
    }
}

void C_Tetromino::RotateClockwise() {
    Turn(true);
}

void C_Tetromino::RotateCounterClockwise() {
    Turn(false);
}

std::unique_ptr<C_Piece> C_Tetromino::TakePiece(const C_Piece* piece) {
    for (auto& owned : pieces) {
        if (owned.get() == piece) {
            return std::move(owned);
        }
    }
    return nullptr;
}

void C_Tetromino::LockIntoBoard() {
    if (locked != 0) {
        return;
    }
    SyncPieces();
    std::unique_ptr<C_Piece> unplaced[kShapeCells];
    int unplacedCount = 0;
    for (int i = 0; i < boxSize; ++i) {
        for (int j = 0; j < boxSize; ++j) {
            C_Piece* piece = box[i][j];
            if (piece == nullptr) {
                continue;
            }
            const int x = column + i;
            const int y = row + j;
            if (y < 0 || board->grid[x][y] != nullptr) {
                board->toppedOut = 1;
                unplaced[unplacedCount++] = TakePiece(piece);
                continue;
            }
            board->grid[x][y] = TakePiece(piece);
            for (int d = 0; d < kDirections; ++d) {
                C_Piece* neighbour = board->PieceAt(x + kDeltaX[d], y + kDeltaY[d]);
                if (piece->openings[d] != 0 && neighbour != nullptr &&
                    neighbour->openings[Opposite(d)] != 0) {
                    piece->connected[d] = 1;
                    neighbour->connected[Opposite(d)] = 1;
                }
            }
        }
    }
    // The placed pieces let go of the shape links toward those left out.
    for (int n = 0; n < unplacedCount; ++n) {
        const C_Piece* gone = unplaced[n].get();
        for (int d = 0; d < kDirections; ++d) {
            C_Piece* partner = board->PieceAt(gone->x + kDeltaX[d], gone->y + kDeltaY[d]);
            if (gone->shapeLinks[d] != 0 && partner != nullptr && IsOwnPiece(partner)) {
                partner->shapeLinks[Opposite(d)] = 0;
            }
        }
    }
    for (auto& boxColumn : box) {
        for (C_Piece*& cell : boxColumn) {
            cell = nullptr;
        }
    }
    locked = 1;
}

bool C_Tetromino::IsOwnPiece(const C_Piece* piece) const {
    for (const auto& boxColumn : box) {
        for (const C_Piece* cell : boxColumn) {
            if (cell == piece) {
                return true;
            }
        }
    }
    return false;
}
