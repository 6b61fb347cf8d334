#pragma once

#include <memory>

#include "core/hresult.h"
#include "model/gameobject.h"
#include "puzzle/piece.h"

class C_GameBoard;
class C_RandomDraw;

enum ShapeType {
    SHAPE_J = 0,
    SHAPE_L = 1,
    SHAPE_Z = 2,
    SHAPE_S = 3,
    SHAPE_T = 4,
    SHAPE_I = 5,
    SHAPE_O = 6,
};
constexpr int kShapeTypes = 7;
constexpr int kShapeCells = 4;
constexpr int kBoxSize = 5;

// A falling four-cell shape of pipe pieces, steered into a board. It owns its
// pieces until LockIntoBoard hands them to the board. Cells above row 0 are
// outside the well: they block nothing and are never read from the grid.
class C_Tetromino : public C_GameObject {
public:
    // A random shape of random pieces, from `draws` (those of no round when
    // not given); its round places it with SetGridPosition before use.
    explicit C_Tetromino(C_GameBoard* board);
    C_Tetromino(C_GameBoard* board, C_RandomDraw& draws);
    // Frees the pieces unless they were locked into the board.
    ~C_Tetromino() override;

    HRESULT Update() override { return S_OK; }
    // Draws each piece in the board cell it covers, as the board draws.
    HRESULT Render() override;
    // Draws the shape faintly, at `alpha`, as it would lie `rows` rows lower.
    void RenderFaint(int rows, int alpha);
    // How many rows the shape can still fall where it is.
    int RowsToLanding() const;
    void OnCollide(C_GameObject* other) override { (void)other; }

    void SetGridPosition(int column, int row, int third);
    // 1 when the shape moved down a row, 0 when it is blocked.
    int StepDown();
    void MoveLeft();
    void MoveRight();
    // Turns the box and every piece's pipe, unless a cell would land in a
    // wall, below the floor or on a piece; traces "Ccheck was: " 1 or 0.
    void RotateClockwise();
    void RotateCounterClockwise();
    // Copies the pieces into the board and joins their pipes to the pipes
    // around them. A cell above the well (or on a taken cell) cannot be
    // placed: its piece is freed and the board is topped out.
    void LockIntoBoard();
    int GetShapeType() const { return type; }

    int GetColumn() const { return column; }
    int GetRow() const { return row; }
    int GetBoxSize() const { return boxSize; }
    // The piece in box cell (i, j), or null.
    C_Piece* PieceInBox(int i, int j) const { return box[i][j]; }

private:
    // Whether a piece may stand at board cell (x, y).
    bool CellFree(int x, int y) const;
    // Whether every cell of the shape, moved by (dx, dy), is free.
    bool FitsMoved(int dx, int dy) const;
    // Fills `scratch` with the box turned one way and says whether it fits.
    bool TurnFits(bool clockwise);
    void Turn(bool clockwise);
    void SyncPieces();
    // Hands over the ownership of `piece`.
    std::unique_ptr<C_Piece> TakePiece(const C_Piece* piece);
    bool IsOwnPiece(const C_Piece* piece) const;

    int column = 0;
    int row = 0;
    int third = 0;
    int type;
    int boxSize = kBoxSize;
    C_GameBoard* board;
    // [i][j]: column and row offsets in the box; the O shape uses the top-left
    // 4 x 4 part.
    C_Piece* box[kBoxSize][kBoxSize] = {};
    C_Piece* scratch[kBoxSize][kBoxSize] = {};
    std::unique_ptr<C_Piece> pieces[kShapeCells];
    int locked = 0;
};
