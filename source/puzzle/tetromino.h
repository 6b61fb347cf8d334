#pragma once

#include "core/hresult.h"
#include "model/gameobject.h"
#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/roundsnapshot.h"
#include "puzzle/well.h"

class C_GameBoard;
class C_RandomDraw;

// A falling four-cell shape of pipe pieces, steered into a board: the rules'
// shape, moved by the rules of the board's well and drawn over it. Cells
// above row 0 are outside the well: they block nothing and are never read
// from the grid.
class C_Tetromino : public C_GameObject {
public:
    // A random shape of random pieces, from `draws` (those of no round when
    // not given); its round places it with SetGridPosition before use.
    explicit C_Tetromino(C_GameBoard* board);
    C_Tetromino(C_GameBoard* board, C_RandomDraw& draws);
    ~C_Tetromino() override;

    HRESULT Update() override { return S_OK; }
    // Draws each piece in the board cell it covers, as the board draws.
    HRESULT Render() override { return RenderAt(kGamePlace); }
    // The same for a board drawn at `place`.
    HRESULT RenderAt(const BoardPlace& place);
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
    // placed and the board is topped out. The shape is empty afterwards.
    void LockIntoBoard();
    int GetShapeType() const { return shape.type; }

    int GetColumn() const { return shape.column; }
    int GetRow() const { return shape.row; }
    int GetBoxSize() const { return shape.boxSize; }
    // The piece in box cell (i, j), or null.
    const WellCell* PieceInBox(int i, int j) const { return shape.At(i, j); }
    // The rules' shape, as it stands.
    const WellShape& Shape() const { return shape; }
    ShapeState State() const { return {shape, third, locked}; }
    void Restore(const ShapeState& state) {
        shape = state.shape;
        third = state.third;
        locked = state.locked;
    }

private:
    WellShape shape;
    C_GameBoard* board;
    int third = 0;
    int locked = 0;
    C_PiecePainter painter;
};
