#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/randomdraw.h"
#include "support/wavefiles.h"

class C_Round;

// The smallest draw that DrawToIndex turns into `index` out of `n`.
int DrawFor(int index, int n);

// The two draws (form, then rotation) of a piece open exactly toward
// `openings`, written with the letters U, R, D, L ("UR" is a corner open up
// and right).
std::vector<int> PipeDraws(const std::string& openings);

// Replaces the draws of `target` (those of no round unless given) with
// `draws` while it lives; once they run out, a generator of its own takes
// over.
class ForcedDraws {
public:
    explicit ForcedDraws(std::vector<int> draws, C_RandomDraw& target = LooseDraws());
    ~ForcedDraws();
    ForcedDraws(const ForcedDraws&) = delete;
    ForcedDraws& operator=(const ForcedDraws&) = delete;
    size_t Left() const { return draws.size(); }

private:
    std::deque<int> draws;
    C_RandomDraw& target;
    C_RandomDraw afterwards;
};

// Lays rows (top first, ending at the well's bottom) of cells: "." or a
// piece's openings (URDL), then after "/" its shape links; joins the pipes.
void Lay(C_GameBoard& board, const std::vector<std::string>& rows);

// The falling shape becomes a flat I of end pipes open up (joining nothing
// beneath) at the top of columns 4 to 7.
void GiveFlatI(C_Round& round);

// A board in a scratch directory that holds the two sounds it loads, and
// helpers to lay pieces into it by hand.
class BoardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new board at `level`, replacing the previous one.
    void NewBoard(int level = 0);
    // A piece opening toward `openings` put in cell (x, y) of the board.
    WellCell* Put(int x, int y, const std::string& openings);
    // Where `piece`, a cell of the board, lies; and as a frontier entry.
    CellSpot SpotOf(const WellCell* piece) const;
    int16_t EntryOf(const WellCell* piece) const;
    // Fills the empty cells of row y with end pipes open down, which join
    // nothing sideways.
    void FillRow(int y);
    // Recomputes every connection of the board, as settling does.
    void ConnectAll();
    // A flow under way whose only reached piece is `start`, network 0 of size
    // 1, waiting in the frontier.
    void StartFlowAt(CellSpot start);
    // How many times each board sound has played.
    int GhostPlays() const;
    int BonusPlays() const;
    // True if a console line printed during this test is `line`.
    bool Traced(const std::string& line) const;

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<C_GameBoard> board;
    size_t linesAtStart = 0;
};
