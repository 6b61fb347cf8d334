#pragma once

#include <cstdint>

#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"

// Bits by direction: 1 << DIR_UP, 1 << DIR_RIGHT ...
using DirectionBits = uint8_t;

// One cell of a copied well.
struct ModelCell {
    bool taken = false;
    DirectionBits openings = 0;
    // Pipe joined with the neighbour that way, as the board's flags.
    DirectionBits connected = 0;
    // The neighbour that way belongs to the same shape, which falls as one.
    DirectionBits links = 0;
};

// A falling shape as a copied well sees it: its box, and per cell its place in
// the box, its pipe and its shape links.
struct ModelShape {
    struct Cell {
        int i;
        int j;
        DirectionBits openings;
        DirectionBits links;
    };

    static ModelShape Of(const C_Tetromino& shape);
    // The shape after one quarter turn of its box and its pipes, in place.
    ModelShape Turned(bool clockwise) const;

    int boxSize = kBoxSize;
    int column = 0;
    int row = 0;
    int count = 0;
    Cell cells[kShapeCells] = {};
};

// What locking a shape into a copied well led to, over the whole cascade.
struct LockOutcome {
    bool toppedOut = false;
    int rows = 0;
    // Pieces the flows took away, those of the full rows included.
    int flowed = 0;
    // Independent loops among the pipes the flows went through.
    int cycles = 0;
    // How many flows ran one after the other.
    int chain = 0;
};

// A light copy of a well for trying where a shape would go: which cells are
// taken, their pipes and shape links. Locking a shape runs the rules' cascade
// on the copy (full rows, the flow through joined pipes, gravity of linked
// groups, again), close enough to rank places: cycles are counted as loops of
// the joined pipes rather than traced as the flow meets itself.
class C_WellModel {
public:
    C_WellModel() = default;
    explicit C_WellModel(const C_GameBoard& board);

    const ModelCell& At(int x, int y) const { return cells[x][y]; }
    // Whether the shape's cells are all inside the walls, above the floor and
    // on free cells; above the well counts as free, as for a falling shape.
    bool Fits(const ModelShape& shape) const;
    // Moves the shape down to where it would rest.
    void Drop(ModelShape* shape) const;
    // Locks the shape where it stands and runs the cascade.
    LockOutcome Lock(const ModelShape& shape);
    // Lays a piece by hand (tests); joins its pipes to its neighbours'.
    void Put(int x, int y, DirectionBits openings, DirectionBits links);

private:
    bool Free(int x, int y) const;
    void Join(int x, int y);
    // The flow from the full rows: takes away what it reaches. False when
    // nothing flowed.
    bool Flow(LockOutcome* outcome);
    void Settle();
    // Moves the linked group holding (x, y) down one row if it can.
    bool FallGroup(int x, int y, bool (&moved)[kBoardColumns][kBoardRows]);

    ModelCell cells[kBoardColumns][kBoardRows];
};
