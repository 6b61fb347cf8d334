#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/wave.h"
#include "core/hresult.h"
#include "model/gameobject.h"
#include "puzzle/piece.h"
#include "puzzle/roundevents.h"

constexpr int kBoardColumns = 12;
constexpr int kBoardRows = 24;
// Where cell (0, 0) lies on screen and the pitch of the cells, for the board
// and the shapes alike.
constexpr int kBoardLeft = 70;
constexpr int kBoardTop = 84;
constexpr int kCellPitch = 22;
// The pieces of a row an opponent pushes in from the bottom.
constexpr int kJunkColour = 7;

// The starting level chosen before a game; the board reads it when built.
extern int outerLevel;

// The well of the puzzle: 12 x 24 cells of pipe pieces. It finds full rows,
// runs the pipe flow and the cycle search from them, removes what the flow
// reached and lets loose pieces fall. The play screen drives its phases and
// reads and writes its public fields; a falling shape writes `grid` when it
// locks.
class C_RandomDraw;

class C_GameBoard : public C_GameObject {
public:
    // Starts at outerLevel and loads its two sounds, reporting a sound that
    // fails.
    C_GameBoard();
    // Starts at `startLevel`; its lines and sounds go to `events`, or, when
    // that is null, to the console and its own sounds.
    C_GameBoard(int startLevel, C_RoundEvents* events);
    // Frees every piece in the grid and both sounds.
    ~C_GameBoard() override;

    HRESULT Update() override { return S_OK; }
    // Draws every piece in its cell, flowed pieces at `fade`, with `boardAlpha`.
    HRESULT Render() override;
    // What each drawn frame advances in the pieces (their pulses).
    void DrawStep();
    void OnCollide(C_GameObject* other) override { (void)other; }

    // Scores and counts each full row from the bottom up and starts the flow
    // from it. True when the board is topped out: a piece in row 1, or a
    // shape that locked with cells above the well.
    bool ClearFullRows();
    // One flow step; true while the flow goes on. The step that ends it marks
    // every flowed piece and sets `destroying`.
    bool FlowStep();
    // 0: every flowed piece becomes marked and its neighbours' shape links
    // toward it are cut. 1: every marked piece is taken out and freed.
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

    // Gathers into `group` (four slots, null where empty) the pieces joined
    // by shape links to the one at `index`; `count` is the last filled slot.
    // Sorted lowest on the board first.
    void CollectGroup(C_Piece* group[4], int index, int count, int fallFlag);
    // Recomputes the connection flags between `piece` and its neighbours.
    void UpdateConnections(C_Piece* piece);

    // Marks full row `y` and seeds the flow from its connected pieces.
    void StartRowFlow(int y);
    // Joins `piece` and its neighbour in `direction` for the flow.
    void LinkPieces(C_Piece* piece, int direction);
    // Gives every piece joined to `start` by the flow the ID `newID`.
    void RelabelPipe(C_Piece* start, int oldID, int newID);
    // Searches the flow links from `root`, where a loop closed, marks the
    // pieces on loops with a new cycle ID and merges touching cycles.
    // Returns how many pieces it visited (a diagnostic).
    int ExtractCycle(C_Piece* root);
    // Marks the search-tree path from `piece` to the root as on a cycle;
    // returns the pieces marked minus one.
    int TraceBack(C_Piece* piece);
    void RelabelCycle(int oldID, int newID);

    // The piece in cell (x, y); null for an empty cell or one outside the well.
    C_Piece* PieceAt(int x, int y) const;
    // The piece next to `piece` in `direction`, if any.
    C_Piece* Neighbour(const C_Piece* piece, int direction) const;

    // A console line of the rules, and a sound, where `events` sends them.
    void Trace(const std::string& line);
    void Play(RoundSound sound);
    // False when nobody takes the lines, which then need not be built.
    bool Tracing() const { return events == nullptr || events->Listening(); }

    int score = 0;
    int rowsCleared = 0;
    int level = 0;
    float fallInterval = 0.4f;
    int bestPipe = 0;
    int bestCycle = 0;
    int pipeTotal = 0;
    int boardAlpha = 255;
    int bannerTimer = -1;
    int pipeIDs = 0;
    int cycleIDs = 0;
    float fade = 0.7f;
    int piping = 0;
    int moving = 0;
    int destroying = 0;
    // Set when a shape locked with cells above row 0; the next ClearFullRows
    // ends the game.
    int toppedOut = 0;
    // [column][row]; the board owns what is here.
    std::unique_ptr<C_Piece> grid[kBoardColumns][kBoardRows];
    std::vector<C_Piece*> flowFrontier;
    std::vector<C_Piece*> relabelStack;
    std::vector<C_Piece*> cycleStack;
    std::vector<C_Piece*> visitedList;
    std::vector<int> cycleMulti;
    std::vector<int> cycleSizes;
    std::vector<int> pipeSizes;
    std::unique_ptr<C_Wave> ghostSound;
    std::unique_ptr<C_Wave> bonusSound;
    C_RoundEvents* events = nullptr;

private:
    bool GroupCanFall(C_Piece* const group[4]) const;
    void CutShapeLinksToward(const C_Piece* piece);
    void RecountCycles();
    // Where the cycle search stands at `p_Cycle`, as console lines.
    void TraceSearch(const C_Piece* p_Cycle);
};
