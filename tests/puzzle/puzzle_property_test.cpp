#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/globals.h"
#include "puzzle/gameboard.h"
#include "support/puzzleboard.h"
#include "support/seededgame.h"

namespace {

constexpr int kDx[kDirections] = {0, 1, 0, -1};
constexpr int kDy[kDirections] = {-1, 0, 1, 0};

bool InsideWell(int x, int y) {
    return x >= 0 && x < kBoardColumns && y >= 0 && y < kBoardRows;
}

template <typename... Parts>
std::string Say(const Parts&... parts) {
    std::ostringstream out;
    (out << ... << parts);
    return out.str();
}

// The first broken rule found on the board, or "".
std::string BrokenRule(GameOp op, const C_GameBoard& board, const std::set<const C_Piece*>& live) {
    if (op == GameOp::Move) {
        // The falling shape is not in the grid; a stray write would show up
        // at the next landing's check.
        return "";
    }
    std::vector<const C_Piece*> seen;
    seen.reserve(kBoardColumns * kBoardRows);
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const C_Piece* piece = board.PieceAt(x, y);
            if (piece == nullptr) {
                continue;
            }
            if (piece->x != x || piece->y != y) {
                return Say("piece in ", x, ",", y, " thinks it is at ", piece->x, ",", piece->y);
            }
            seen.push_back(piece);
        }
    }
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) != seen.end()) {
        return "a piece is in two cells";
    }
    if (seen.size() != live.size() || !std::equal(seen.begin(), seen.end(), live.begin())) {
        return Say("the board holds ", seen.size(), " pieces, ", live.size(), " expected");
    }
    const bool falling = op == GameOp::GravityStep || op == GameOp::Remove;
    for (const C_Piece* piece : seen) {
        for (int d = 0; d < kDirections; ++d) {
            const int nx = piece->x + kDx[d];
            const int ny = piece->y + kDy[d];
            const C_Piece* neighbour = board.PieceAt(nx, ny);
            // Pieces on their way down keep their old flags until gravity settles.
            if (!falling && !InsideWell(nx, ny) && piece->connected[d] != 0) {
                return Say("connected out of the well at ", piece->x, ",", piece->y);
            }
            if (!falling && neighbour != nullptr &&
                piece->connected[d] != neighbour->connected[Opposite(d)]) {
                return Say("connection flags disagree at ", piece->x, ",", piece->y, " dir ", d);
            }
            // A marked piece keeps its own links; its neighbours let go of it.
            if (piece->marked == 0 && piece->shapeLinks[d] != 0 &&
                (neighbour == nullptr || neighbour->shapeLinks[Opposite(d)] == 0)) {
                return Say("shape link to nothing at ", piece->x, ",", piece->y, " dir ", d);
            }
        }
    }
    // The sizes describe the flow under way; after removal they are left for
    // the score lists.
    if (op != GameOp::FlowStep && !(op == GameOp::ClearRows && board.piping != 0)) {
        return "";
    }
    std::vector<int> pipeCounts(board.pipeSizes.size());
    std::vector<int> cycleCounts(board.cycleSizes.size());
    for (const C_Piece* piece : seen) {
        if (piece->pipeID >= static_cast<int>(pipeCounts.size()) ||
            piece->cycleID >= static_cast<int>(cycleCounts.size())) {
            return "a piece carries an ID beyond the size lists";
        }
        if (piece->pipeID >= 0) {
            ++pipeCounts[static_cast<size_t>(piece->pipeID)];
        }
        if (piece->cycleID >= 0) {
            ++cycleCounts[static_cast<size_t>(piece->cycleID)];
        }
    }
    for (size_t k = 0; k < pipeCounts.size(); ++k) {
        // A merged ID (-1) is carried by no piece any more.
        const int expected = board.pipeSizes[k] == -1 ? 0 : board.pipeSizes[k];
        if (pipeCounts[k] != expected) {
            return Say("pipe ", k, " size ", board.pipeSizes[k], " but ", pipeCounts[k], " pieces");
        }
    }
    for (size_t k = 0; k < cycleCounts.size(); ++k) {
        const int expected = board.cycleSizes[k] == -1 ? 0 : board.cycleSizes[k];
        if (cycleCounts[k] != expected) {
            return Say("cycle ", k, " size ", board.cycleSizes[k], " but ", cycleCounts[k],
                       " pieces");
        }
    }
    return "";
}
// 2000 games in four shards that run side by side. Built with sanitizers
// (ten times slower) a fifth of them: enough to walk every rule with the
// memory checks on, and quick enough on a busy machine.
class PuzzlePropertyTest : public BoardTest, public ::testing::WithParamInterface<unsigned> {};

#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kGamesPerShard = 100;
#else
constexpr unsigned kGamesPerShard = 500;
#endif
constexpr long kGames = kGamesPerShard;

TEST_P(PuzzlePropertyTest, SeededGamesKeepTheBoardConsistent) {
    board.reset();
    GameTally tally;
    std::string failure;
    const unsigned first = GetParam() * kGamesPerShard + 1;
    for (unsigned seed = first; seed < first + kGamesPerShard && failure.empty(); ++seed) {
        SeededGame game(
            seed, [&](GameOp op, const C_GameBoard& played, const std::set<const C_Piece*>& live) {
                if (failure.empty()) {
                    const std::string broken = BrokenRule(op, played, live);
                    if (!broken.empty()) {
                        failure = "seed " + std::to_string(seed) + " after op " +
                                  std::to_string(static_cast<int>(op)) + ": " + broken;
                    }
                }
            });
        game.Play(150, &tally);
    }
    EXPECT_EQ(failure, "");
    // The games reached every part of the rules.
    EXPECT_EQ(tally.games, kGames);
    EXPECT_GT(tally.flows, kGames * 4);
    EXPECT_GT(tally.cycles, kGames * 3 / 5);
    EXPECT_GT(tally.multiCycles, kGames * 3 / 50);
    EXPECT_GT(tally.gravitySteps, kGames * 10);
    EXPECT_GT(tally.toppedOut, kGames * 2 / 5);
    if (kGames >= 500) {
        // A lock above the well comes in about one game of a hundred and fifty.
        EXPECT_GT(tally.lockedAboveWell, 0);
    }
    std::cout << "landings " << tally.landings << ", flows " << tally.flows << ", flow steps "
              << tally.flowSteps << ", cycles " << tally.cycles << ", multi cycles "
              << tally.multiCycles << ", gravity steps " << tally.gravitySteps << ", removed "
              << tally.removed << ", topped out " << tally.toppedOut << ", above the well "
              << tally.lockedAboveWell << "\n";
}

INSTANTIATE_TEST_SUITE_P(Shards, PuzzlePropertyTest, ::testing::Values(0u, 1u, 2u, 3u));

}  // namespace
