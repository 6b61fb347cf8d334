#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "core/globals.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "support/puzzleboard.h"
#include "support/roundplayer.h"

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

// A piece as the rules keep it apart from others: its colour and its pipe's
// form (a falling shape's pieces may turn in the frame they land).
int Signature(const WellCell& piece) {
    return piece.colourIndex * kPipeShapes + piece.pipeShape;
}

// What a frame may change in the well: pieces come only from the falling
// shape and go only when they were marked. Counted by signature.
struct Before {
    std::map<int, int> pieces;
    std::map<int, int> shape;
    std::map<int, int> unmarked;

    explicit Before(const C_Round& round) {
        for (const auto& column : round.board->cells) {
            for (const WellCell& piece : column) {
                if (piece.Taken()) {
                    ++pieces[Signature(piece)];
                    unmarked[Signature(piece)] += piece.marked ? 0 : 1;
                }
            }
        }
        if (round.currentShape) {
            AddShape(*round.currentShape);
        }
    }

    void AddShape(const C_Tetromino& falling) {
        for (int i = 0; i < falling.GetBoxSize(); ++i) {
            for (int j = 0; j < falling.GetBoxSize(); ++j) {
                if (const WellCell* piece = falling.PieceInBox(i, j)) {
                    ++shape[Signature(*piece)];
                }
            }
        }
    }
};

// The first broken rule found on the board after a frame, or "".
std::string BrokenRule(const C_GameBoard& board, const Before& before) {
    std::map<int, int> after;
    for (const auto& column : board.cells) {
        for (const WellCell& piece : column) {
            after[piece.Taken() ? Signature(piece) : -1] += 1;
        }
    }
    for (const auto& [signature, count] : after) {
        const auto counted = [signature](const std::map<int, int>& counts) {
            const auto found = counts.find(signature);
            return found != counts.end() ? found->second : 0;
        };
        if (signature >= 0 && count > counted(before.pieces) + counted(before.shape)) {
            return Say("a piece from nowhere, kind ", signature);
        }
    }
    for (const auto& [signature, count] : before.unmarked) {
        if (count > after[signature]) {
            return Say("an unmarked piece left the well, kind ", signature);
        }
    }
    const bool falling = board.moving != 0;
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kBoardRows; ++y) {
            const WellCell* piece = board.PieceAt(x, y);
            for (int d = 0; piece != nullptr && d < kDirections; ++d) {
                const int nx = x + kDx[d];
                const int ny = y + kDy[d];
                const WellCell* neighbour = board.PieceAt(nx, ny);
                // Pieces on their way down keep their old flags until gravity settles.
                if (!falling && !InsideWell(nx, ny) && Has(piece->connected, d)) {
                    return Say("connected out of the well at ", x, ",", y);
                }
                if (!falling && neighbour != nullptr &&
                    Has(piece->connected, d) != Has(neighbour->connected, Opposite(d))) {
                    return Say("connection flags disagree at ", x, ",", y, " dir ", d);
                }
                // A marked piece keeps its own links; its neighbours let go of it.
                if (!piece->marked && Has(piece->shapeLinks, d) &&
                    (neighbour == nullptr || !Has(neighbour->shapeLinks, Opposite(d)))) {
                    return Say("shape link to nothing at ", x, ",", y, " dir ", d);
                }
            }
        }
    }
    // The sizes describe the flow under way or just ended; after removal
    // they are the score lists'.
    if (board.piping == 0 && board.destroying == 0) {
        return "";
    }
    std::vector<int> pipeCounts(board.pipeSizes.size());
    std::vector<int> cycleCounts(board.cycleSizes.size());
    for (const auto& column : board.cells) {
        for (const WellCell& cell : column) {
            const WellCell* piece = cell.Taken() ? &cell : nullptr;
            if (piece == nullptr) {
                continue;
            }
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
// What the games went through.
struct Tally {
    long flowSteps = 0;
    long gravitySteps = 0;
    long flows = 0;
    long cycles = 0;
    long multiCycles = 0;
    long toppedOut = 0;
    long lockedAboveWell = 0;
};

// 2000 games in four shards that run side by side, each played by the
// greedy player through a quiet round. Built with sanitizers (ten times
// slower) 60 a shard: enough to walk every rule with the memory checks
// on, and quick enough on a busy machine.
class PuzzlePropertyTest : public BoardTest, public ::testing::WithParamInterface<unsigned> {};

#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kGamesPerShard = 60;
#else
constexpr unsigned kGamesPerShard = 500;
#endif
constexpr long kGames = kGamesPerShard;
// Long frames play the same rules in fewer of them.
constexpr float kLongFrame = 0.04f;
constexpr int kMaxFrames = 40000;
constexpr int kMaxShapes = 150;

TEST_P(PuzzlePropertyTest, SeededGamesKeepTheBoardConsistent) {
    board.reset();
    Tally tally;
    std::string failure;
    const unsigned first = GetParam() * kGamesPerShard + 1;
    for (unsigned seed = first; seed < first + kGamesPerShard && failure.empty(); ++seed) {
        RoundSettings settings;
        settings.seed = seed;
        settings.level = static_cast<int>(seed % 10);
        settings.quiet = true;
        C_Round round(settings);
        // One game in four is played by random presses.
        RoundPlayer player(seed, seed % 4 != 0, kLongFrame);
        Before before(round);
        const C_Tetromino* falling = nullptr;
        bool going = true;
        for (int frame = 0;
             frame < kMaxFrames && going && player.Shapes() <= kMaxShapes && failure.empty();
             ++frame) {
            const C_GameBoard& well = *round.board;
            const int wasPiping = well.piping;
            const int wasDestroying = well.destroying;
            const int wasMoving = well.moving;
            const int wasAbove = well.toppedOut;
            going = player.Frame(round);
            const bool flowStep = wasPiping != 0 && round.clock.Crossed(0.45f);
            const bool gravityStep = wasMoving != 0 && round.clock.Crossed(0.3f);
            tally.flowSteps += flowStep ? 1 : 0;
            tally.gravitySteps += gravityStep ? 1 : 0;
            // The well changes only at a flow or gravity step, at the end of
            // the fade or when a shape lands: those frames are checked
            // against the last check.
            const bool removed = wasDestroying != 0 && well.destroying == 0;
            if (flowStep || gravityStep || removed || round.currentShape.get() != falling ||
                !going) {
                failure = BrokenRule(*round.board, before);
                before = Before(round);
            } else if (const C_Tetromino* shape = round.currentShape.get()) {
                before.AddShape(*shape);
            }
            falling = round.currentShape.get();
            if (!failure.empty()) {
                failure = "seed " + std::to_string(seed) + " frame " + std::to_string(frame) +
                          ": " + failure;
            }
            tally.lockedAboveWell += wasAbove == 0 && round.board->toppedOut != 0 ? 1 : 0;
            if (wasPiping != 0 && round.board->piping == 0) {
                tally.flows += 1;
                for (size_t k = 0; k < round.board->cycleSizes.size(); ++k) {
                    const bool live = round.board->cycleSizes[k] != -1;
                    tally.cycles += live ? 1 : 0;
                    tally.multiCycles += live && round.board->cycleMulti[k] != 0 ? 1 : 0;
                }
            }
        }
        tally.toppedOut += going ? 0 : 1;
    }
    EXPECT_EQ(failure, "");
    // The games reached every part of the rules.
    EXPECT_GT(tally.flows, kGames * 4);
    EXPECT_GT(tally.cycles, kGames * 3 / 5);
    EXPECT_GT(tally.multiCycles, kGames * 3 / 50);
    EXPECT_GT(tally.gravitySteps, kGames * 10);
    EXPECT_GT(tally.toppedOut, kGames * 2 / 5);
    if (kGames >= 500) {
        // A lock above the well comes in about one game of a hundred and fifty.
        EXPECT_GT(tally.lockedAboveWell, 0);
    }
    std::cout << "flows " << tally.flows << ", flow steps " << tally.flowSteps << ", cycles "
              << tally.cycles << ", multi cycles " << tally.multiCycles << ", gravity steps "
              << tally.gravitySteps << ", topped out " << tally.toppedOut << ", above the well "
              << tally.lockedAboveWell << "\n";
}

INSTANTIATE_TEST_SUITE_P(Shards, PuzzlePropertyTest, ::testing::Values(0u, 1u, 2u, 3u));

// Every line and sound in order, and the state a round ends in.
class Transcript : public C_RoundEvents {
public:
    void Line(const std::string& line) override { text += line + "\n"; }
    void Happened(RoundEvent event) override { text += "*" + std::to_string(event) + "\n"; }

    std::string Of(const C_Round& round) const {
        std::ostringstream out;
        out << std::hexfloat;
        const C_GameBoard& b = *round.board;
        out << round.mode << " " << round.chain << " " << b.score << " " << b.rowsCleared << " "
            << b.level << " " << b.bestPipe << " " << b.bestCycle << " " << b.pipeTotal << " "
            << round.pipeFade << " " << round.cycleFade << " " << round.clock.Time() << "\n";
        for (int x = 0; x < kBoardColumns; ++x) {
            for (int y = 0; y < kBoardRows; ++y) {
                if (const WellCell* p = b.PieceAt(x, y)) {
                    out << x << "," << y << ":" << int{p->colourIndex} << p->GetFrame() << p->marked
                        << p->onCycle << " ";
                }
            }
        }
        return out.str() + text;
    }

    std::string text;
};

constexpr float kFrame = 1.0f / 75;

// 200 games of random commands, recorded, end the same when played back.
TEST(RoundReplay, ARecordedRoundPlaysBackToTheSameBoardScoreAndEvents) {
    long lines = 0;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        RoundRecord record;
        Transcript played;
        RoundSettings settings{seed, static_cast<int>(seed % 10), true, &played, &record};
        C_Round round(settings);
        RoundPlayer player(seed * 7919, false, kFrame);
        for (int frame = 0; frame < 6000 && player.Frame(round); ++frame) {
        }
        Transcript replayed;
        const std::unique_ptr<C_Round> again = PlayBack(record, &replayed);
        ASSERT_EQ(played.Of(round), replayed.Of(*again)) << "seed " << seed;
        lines += std::count(played.text.begin(), played.text.end(), '\n');
    }
    EXPECT_GT(lines, 200 * 50);  // the games did something
}

// Rounds side by side in one process share nothing: each plays as alone.
TEST(RoundReplay, TwoRoundsWithOneSeedPlaySideBySideAsOneAlone) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const RoundSettings settings{seed, 3, true, nullptr, nullptr};
        Transcript alone;
        {
            RoundSettings s = settings;
            s.observer = &alone;
            C_Round round(s);
            RoundPlayer player(seed, true, kFrame);
            for (int frame = 0; frame < 8000; ++frame) {
                player.Frame(round);
            }
            alone.text = alone.Of(round);
        }
        Transcript left;
        Transcript right;
        RoundSettings l = settings;
        l.observer = &left;
        RoundSettings r = settings;
        r.observer = &right;
        C_Round a(l);
        C_Round b(r);
        RoundPlayer playerA(seed, true, kFrame);
        RoundPlayer playerB(seed, true, kFrame);
        for (int frame = 0; frame < 8000; ++frame) {
            playerA.Frame(a);
            playerB.Frame(b);
        }
        EXPECT_EQ(left.Of(a), alone.text) << "seed " << seed;
        EXPECT_EQ(right.Of(b), alone.text) << "seed " << seed;
    }
}

}  // namespace
