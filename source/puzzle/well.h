#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "puzzle/roundevents.h"

class C_RandomDraw;

constexpr int kBoardColumns = 12;
constexpr int kBoardRows = 24;
// The pieces of a row an opponent pushes in from the bottom.
constexpr int kJunkColour = 7;

// Directions on the board: up is row - 1, down row + 1.
enum Direction { DIR_UP = 0, DIR_RIGHT = 1, DIR_DOWN = 2, DIR_LEFT = 3 };
constexpr int kDirections = 4;

// The step to the neighbour in each direction.
constexpr int kDeltaX[kDirections] = {0, 1, 0, -1};
constexpr int kDeltaY[kDirections] = {-1, 0, 1, 0};

constexpr int Opposite(int direction) {
    return (direction + 2) % kDirections;
}

enum PipeShape { PIPE_CROSS = 0, PIPE_STRAIGHT = 1, PIPE_T = 2, PIPE_CORNER = 3, PIPE_END = 4 };
constexpr int kPipeShapes = 5;
constexpr int kRotations = 4;

// Openings of a pipe form before any rotation (up, right, down, left).
extern const int kPipeOpenings[kPipeShapes][kDirections];

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

// One bit per direction: 1 << DIR_UP, 1 << DIR_RIGHT ...
using DirectionBits = uint8_t;

constexpr bool Has(DirectionBits bits, int direction) {
    return ((bits >> direction) & 1u) != 0;
}
inline void SetBit(DirectionBits& bits, int direction, bool on) {
    const auto bit = static_cast<DirectionBits>(1u << direction);
    bits = static_cast<DirectionBits>(on ? bits | bit : bits & ~bit);
}
// The flags as four 0/1 values, up, right, down, left.
DirectionBits BitsOf(int up, int right, int down, int left);

// One cell of the well, or of a falling shape: a short pipe segment of some
// form and turn with the flags the flow and gravity use, or nothing. A
// neighbour the flow joined (`linked`) or the cycle search came from
// (`parent`) is always the adjacent cell that way, so a direction names it.
struct WellCell {
    WellCell()
        : flowed(false), marked(false), onCycle(false), cycleVisited(false), canFall(false) {}

    bool Taken() const { return colourIndex >= 0; }
    // The frame that shows it on a piece sheet: one row per quarter turn, one
    // column per pipe form.
    int GetFrame() const { return rotation * kPipeShapes + pipeShape; }
    // A quarter turn of the pipe and of the shape links.
    void RotateClockwise();
    void RotateCounterClockwise();

    // The shape it came in (SHAPE_J ...), kJunkColour, or -1 for no piece.
    int8_t colourIndex = -1;
    uint8_t pipeShape = 0;
    uint8_t rotation = 0;
    DirectionBits openings = 0;
    // The neighbours that belong to the same shape, which fall as one.
    DirectionBits shapeLinks = 0;
    // Pipes joined with the neighbour that way.
    DirectionBits connected = 0;
    // Joined by the flow under way.
    DirectionBits linked = 0;
    bool flowed : 1;
    bool marked : 1;
    bool onCycle : 1;
    bool cycleVisited : 1;
    bool canFall : 1;
    // Toward the parent in the cycle search tree, or -1.
    int8_t parent = -1;
    int16_t pipeID = -1;
    int16_t cycleID = -1;
};

// A new piece of `colour` with `shapeLinks`: its form, then its turn, are
// the next two draws.
WellCell DrawnPiece(int colour, DirectionBits shapeLinks, C_RandomDraw& draws);

// A falling four-cell shape: its box (5 x 5, 4 x 4 for the O) over the
// well's cells, with its top-left corner at (column, row). Cells above row 0
// lie outside the well: they block nothing.
struct WellShape {
    // The box cell (i, j): column and row offsets; null where the box is empty.
    const WellCell* At(int i, int j) const {
        return box[i][j] < 0 ? nullptr : &cells[static_cast<int>(box[i][j])];
    }

    int type = SHAPE_J;
    int boxSize = kBoxSize;
    int column = 0;
    int row = 0;
    // An index into `cells`, or -1.
    int8_t box[kBoxSize][kBoxSize];
    WellCell cells[kShapeCells];
};

// A shape of the next draw's type, its pieces from the draws after.
WellShape DrawnShape(C_RandomDraw& draws);
// `shape` a quarter turn on: its box and every piece's pipe, where it stands.
WellShape Turned(const WellShape& shape, bool clockwise);

// A cell of the well by its column and row.
struct CellSpot {
    int x = -1;
    int y = -1;
    bool Valid() const { return x >= 0; }
    bool operator==(const CellSpot& other) const { return x == other.x && y == other.y; }
    bool operator!=(const CellSpot& other) const { return !(*this == other); }
};

// The rules of the puzzle on a plain 12 x 24 grid of cells: moving, turning
// and landing a shape, full rows, the pipe flow and the cycle search from
// them, removing what the flow reached, gravity of loose groups, top-out and
// a row pushed in from below. A copy is a well of its own, so a search can
// try moves on copies with these same functions. What the rules tell (trace
// lines and sounds) goes to `events`, when set.
class C_Well {
public:
    explicit C_Well(int startLevel = 0);

    // The piece in cell (x, y); null for an empty cell or one outside the well.
    const WellCell* PieceAt(int x, int y) const;
    WellCell* PieceAt(int x, int y);

    // Whether every cell of `shape`, moved by (dx, dy), lies inside the walls,
    // above the floor and on a free cell.
    bool Fits(const WellShape& shape, int dx, int dy) const;
    // How many rows the shape can still fall where it is.
    int RowsToLanding(const WellShape& shape) const;
    // One row down, when it fits; false when blocked.
    bool StepDown(WellShape* shape) const;
    // One column aside (dx -1 or 1), when it fits.
    bool Shift(WellShape* shape, int dx) const;
    // Turns the box and every piece's pipe, unless a cell would land in a
    // wall, below the floor or on a piece; traces "Ccheck was: " 1 or 0.
    bool Turn(WellShape* shape, bool clockwise) const;
    // Copies the shape's pieces into the well and joins their pipes to those
    // around them. A cell above the well (or on a taken cell) cannot be
    // placed: the well is topped out.
    void Lock(const WellShape& shape);

    // Scores and counts each full row from the bottom up and starts the flow
    // from it. True when the well is topped out: a piece in row 1, or a
    // shape that locked with cells above the well.
    bool ClearFullRows();
    // One flow step; true while the flow goes on. The step that ends it marks
    // every flowed piece and sets `destroying`.
    bool FlowStep();
    // 0: every flowed piece becomes marked and its neighbours' shape links
    // toward it are cut. 1: every marked piece is taken out.
    void MarkFlowed(int remove = 0);
    void RemoveMarked() { MarkFlowed(1); }
    // One row of falling for every loose group; true once nothing can fall,
    // after the connections of rows 1 to 23 have been recomputed.
    bool GravityStep();
    // Pushes every piece up a row and lays a row of junk pieces at the
    // bottom: random pipes from `draws` in every column but one gap, joined to
    // their neighbours. True when the well now reaches the second row, or a
    // piece was pushed out at the top: the round is lost.
    bool PushRowUnder(C_RandomDraw& draws);

    // Gathers into `group` (four slots, invalid where empty) the pieces
    // joined by shape links to the one at `index`; `count` is the last
    // filled slot. Sorted lowest on the board first.
    void CollectGroup(CellSpot group[4], int index, int count, int fallFlag);
    // Recomputes the connection flags between the piece at `spot` and its
    // neighbours.
    void UpdateConnections(CellSpot spot);
    // Marks full row `y` and seeds the flow from its connected pieces.
    void StartRowFlow(int y);
    // Joins the piece at `spot` and its neighbour in `direction` for the flow.
    void LinkPieces(CellSpot spot, int direction);
    // Gives every piece joined to `start` by the flow the ID `newID`.
    void RelabelPipe(CellSpot start, int oldID, int newID);
    // Searches the flow links from `root`, where a loop closed, marks the
    // pieces on loops with a new cycle ID and merges touching cycles.
    // Returns how many pieces it visited (a diagnostic).
    int ExtractCycle(CellSpot root);
    // Marks the search-tree path from `spot` to the root as on a cycle;
    // returns the pieces marked minus one.
    int TraceBack(CellSpot spot);
    void RelabelCycle(int oldID, int newID);

    // A trace line and an event, to `events`.
    void Trace(const std::string& line) const;
    void Tell(RoundEvent event) const;
    // False when nobody takes the lines, which then need not be built.
    bool Tracing() const { return events != nullptr && events->Listening(); }

    int score = 0;
    int rowsCleared = 0;
    int level = 0;
    float fallInterval = 0.4f;
    int bestPipe = 0;
    int bestCycle = 0;
    int pipeTotal = 0;
    int bannerTimer = -1;
    int pipeIDs = 0;
    int cycleIDs = 0;
    // The removal's fade: the flowed pieces' size and the marked ones' alpha.
    float fade = 0.7f;
    int boardAlpha = 255;
    int piping = 0;
    int moving = 0;
    int destroying = 0;
    // Set when a shape locked with cells above row 0; the next ClearFullRows
    // ends the game.
    int toppedOut = 0;
    // [column][row].
    WellCell cells[kBoardColumns][kBoardRows];
    // The pieces the flow reaches next, as column * kBoardRows + row.
    std::vector<int16_t> flowFrontier;
    std::vector<int> cycleMulti;
    std::vector<int> cycleSizes;
    std::vector<int> pipeSizes;
    // Not the rules' own: a copy made for a search sets it to null.
    C_RoundEvents* events = nullptr;

private:
    bool CellFree(int x, int y) const;
    const WellCell* Neighbour(CellSpot spot, int direction) const;
    WellCell& At(CellSpot spot) { return cells[spot.x][spot.y]; }
    bool GroupCanFall(const CellSpot group[4]);
    void CutShapeLinksToward(CellSpot spot);
    void RecountCycles();
    // Where the cycle search stands at `spot`, as trace lines.
    void TraceSearch(CellSpot spot);
};
