#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "support/puzzleboard.h"
#include "versus/match.h"
#include "versus/opponent.h"

namespace {

constexpr float kFrame = 1.0f / 75;
constexpr int kBottom = kBoardRows - 1;

// A match played frame by frame as the match screen plays one.
struct Played {
    explicit Played(uint64_t seed, int level = 0) : match(MatchSettings{seed, level, true}) {}

    void Frame() {
        time += kFrame;
        match.Update(time);
        match.DrawStep();
    }
    // Frames until `done`, at most `limit`; `each` gives the frame's commands.
    bool Until(
        const std::function<bool()>& done, int limit, const std::function<void()>& each = [] {}) {
        for (int frame = 0; frame < limit; ++frame) {
            if (done()) {
                return true;
            }
            each();
            Frame();
        }
        return done();
    }
    C_Round& Player() { return match.Round(SIDE_PLAYER); }
    C_Round& Opponent() { return match.Round(SIDE_OPPONENT); }

    C_Match match;
    float time = 0.0f;
};

// Row 23 fills when the I lands on top: one flow, no cycle.
const std::vector<std::string> kChainOne = {
    "RL RL RL RL RL RL RL RL RL RL RL RL",
};
// Three flows, the first closing a ring of corners at the right; each fall
// closes the next row (the second by dropping the pair at the top left).
const std::vector<std::string> kChainThreeWithACycle = {
    "RL/R RL/LD .  .  .  .  .  .  .  .  .  .", ".  D/U .  .  .  .  .  .  .  .  RL RL",
    ".  URL RL RL RL RL RL RL RL RL RL RL",    "RL .  RL RL RL RL RL RL RL RL RD DL",
    "RL RL RL RL RL RL RL RL RL RL URL UL",
};
const std::vector<std::string> kChainTwo = {
    "RL .  .  .  .  .  .  .  .  .  .  .",
    ".  RL RL RL RL RL RL RL RL RL RL RL",
    "RL RL RL RL RL RL RL RL RL RL RL RL",
};

// Drops a flat I onto `layout` until its cascade is over; its flows, cycles.
std::pair<int, int> Cascade(Played& played, C_Round& round,
                            const std::vector<std::string>& layout) {
    Lay(*round.board, layout);
    GiveFlatI(round);
    const int number = round.cascadeNumber;
    std::pair<int, int> seen;
    EXPECT_TRUE(played.Until([&] { return round.cascadeNumber != number; }, 3000,
                             [&] {
                                 seen = {round.cascadeFlows, round.cascadeCycles};
                                 round.Command(COMMAND_DROP_STEP);
                             }));
    return seen;
}

TEST(Match, BothRoundsDrawTheSameShapesWhateverIsPlayedOrReceived) {
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        Played played(seed, 0);
        std::vector<std::string> shapes[kMatchSides];
        C_RandomDraw presses(seed);
        for (int frame = 0; frame < 20000 && !played.match.Over(); ++frame) {
            for (int side = 0; side < kMatchSides; ++side) {
                C_Round& round = played.match.Round(side);
                std::vector<std::string>& seen = shapes[side];
                if (round.currentShape && static_cast<int>(seen.size()) == round.cascadeNumber) {
                    std::string cells = std::to_string(round.currentShape->GetShapeType());
                    for (int i = 0; i < kBoxSize; ++i) {
                        for (int j = 0; j < kBoxSize; ++j) {
                            if (const WellCell* p = round.currentShape->PieceInBox(i, j)) {
                                cells += " " + std::to_string(p->GetFrame());
                            }
                        }
                    }
                    seen.push_back(cells);
                }
                round.Command(static_cast<RoundCommand>(presses.Index(COMMAND_DROP_STEP + 1)));
                if (side == SIDE_OPPONENT && presses.Index(300) == 0) {
                    round.Receive(presses.Draw());
                }
            }
            played.Frame();
        }
        const size_t both = std::min(shapes[0].size(), shapes[1].size());
        ASSERT_GT(both, 10u) << "seed " << seed;
        for (size_t n = 0; n < both; ++n) {
            ASSERT_EQ(shapes[0][n], shapes[1][n]) << "seed " << seed << ", shape " << n;
        }
    }
}

TEST(Match, ACascadeSendsOneRowPerFlowAfterTheFirstAndOnePerCycle) {
    struct Case {
        const char* name;
        const std::vector<std::string>* layout;
        // Game seconds the match has run before the shape that lands.
        float after;
        int flows;
        int cycles;
        int rows;
    };
    const Case cases[] = {
        {"chain 1", &kChainOne, 0.0f, 1, 0, 0},
        {"chain 2", &kChainTwo, 0.0f, 2, 0, 1},
        {"chain 3 with one cycle", &kChainThreeWithACycle, 0.0f, 3, 1, 3},
        {"chain 1 after two ramp periods", &kChainOne, 2 * kRampPeriod, 1, 0, 2},
        {"chain 3 with one cycle after one", &kChainThreeWithACycle, kRampPeriod, 3, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Played played(7);
        played.Opponent().Command(COMMAND_PAUSE);
        played.Player().Command(COMMAND_PAUSE);
        played.Until([&] { return played.match.Time() >= c.after; }, 75 * 100);
        played.Player().Command(COMMAND_START);
        EXPECT_EQ(Cascade(played, played.Player(), *c.layout), std::make_pair(c.flows, c.cycles));
        EXPECT_EQ(played.match.rowsSent[SIDE_PLAYER], c.rows);
        EXPECT_EQ(played.match.Incoming(SIDE_OPPONENT), c.rows);
        EXPECT_EQ(played.match.Incoming(SIDE_PLAYER), 0);
    }
}

// Rows of the well holding junk.
int JunkRows(const C_GameBoard& board) {
    int rows = 0;
    for (int y = 0; y < kBoardRows; ++y) {
        bool junk = false;
        for (int x = 0; x < kBoardColumns; ++x) {
            const WellCell* piece = board.PieceAt(x, y);
            junk = junk || (piece != nullptr && piece->colourIndex == kJunkColour);
        }
        rows += junk;
    }
    return rows;
}

TEST(Match, SentRowsWaitThenLiftTheReceiversWellAtItsNextLandingEachWithItsGap) {
    Played played(11);
    C_Round& opponent = played.Opponent();
    opponent.Command(COMMAND_PAUSE);
    Lay(*opponent.board, {"U", "U"});
    // The pieces as they are: pushed up, they are the same pieces higher.
    const int lower = opponent.board->PieceAt(0, kBottom)->GetFrame();
    const int upper = opponent.board->PieceAt(0, kBottom - 1)->GetFrame();
    const auto frameAt = [&opponent](int y) {
        const WellCell* piece = opponent.board->PieceAt(0, y);
        return piece != nullptr ? piece->GetFrame() : -1;
    };
    Lay(*played.Player().board, kChainThreeWithACycle);
    GiveFlatI(played.Player());

    // Each row reaches the round the wait after it was sent, not before.
    std::vector<float> sent;
    std::vector<float> arrived;
    for (int frame = 0; frame < 3000 && arrived.size() < 3; ++frame) {
        played.Player().Command(COMMAND_DROP_STEP);
        const int before = played.match.rowsSent[SIDE_PLAYER];
        const size_t received = opponent.incoming.size();
        played.Frame();
        sent.insert(sent.end(), static_cast<size_t>(played.match.rowsSent[SIDE_PLAYER] - before),
                    played.time);
        arrived.insert(arrived.end(), opponent.incoming.size() - received, played.time);
    }
    ASSERT_EQ(sent.size(), 3u);
    ASSERT_EQ(arrived.size(), 3u);
    for (size_t n = 0; n < 3; ++n) {
        EXPECT_GE(arrived[n] - sent[n], kAttackWait - kFrame / 2) << n;
        EXPECT_LT(arrived[n] - sent[n], kAttackWait + kFrame) << n;
    }
    EXPECT_EQ(frameAt(kBottom), lower) << "arrived rows wait for a landing";
    EXPECT_EQ(frameAt(kBottom - 2), -1);

    opponent.Command(COMMAND_START);
    GiveFlatI(opponent);
    ASSERT_TRUE(played.Until([&] { return opponent.incoming.empty(); }, 1000,
                             [&] { opponent.Command(COMMAND_DROP_STEP); }));
    EXPECT_EQ(frameAt(kBottom - 3), lower);
    EXPECT_EQ(frameAt(kBottom - 4), upper);
    // The first row sent is pushed in first and ends highest.
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        const int y = kBottom - 2 + n;
        const int gap =
            C_RandomDraw(JunkRowSeed(played.match.seed, SIDE_PLAYER, n, 0)).Index(kBoardColumns);
        for (int x = 0; x < kBoardColumns; ++x) {
            const WellCell* piece = opponent.board->PieceAt(x, y);
            if (x == gap) {
                EXPECT_EQ(piece, nullptr) << "the gap is filled";
                continue;
            }
            ASSERT_NE(piece, nullptr) << x;
            EXPECT_EQ(piece->colourIndex, kJunkColour);
            for (int d = 0; d < kDirections; ++d) {
                const WellCell* next = opponent.board->PieceAt(x + kDeltaX[d], y + kDeltaY[d]);
                const bool joined =
                    next != nullptr && Has(piece->openings, d) && Has(next->openings, Opposite(d));
                EXPECT_EQ(Has(piece->connected, d), joined) << x << " toward " << d;
            }
        }
    }
    EXPECT_FALSE(played.match.Over());
}

TEST(Match, TheReceiversOwnCascadeDuringTheWaitCancelsWaitingRowsFirst) {
    Played played(5);
    C_Round& player = played.Player();
    C_Round& opponent = played.Opponent();
    opponent.Command(COMMAND_PAUSE);
    Lay(*player.board, kChainThreeWithACycle);
    GiveFlatI(player);
    ASSERT_TRUE(played.Until([&] { return played.match.rowsSent[SIDE_PLAYER] == 3; }, 3000,
                             [&] { player.Command(COMMAND_DROP_STEP); }));

    // The opponent's chain of two earns one row while the last sent waits.
    opponent.Command(COMMAND_START);
    Cascade(played, opponent, kChainTwo);
    EXPECT_EQ(played.match.rowsCancelled[SIDE_OPPONENT], 1);
    EXPECT_EQ(played.match.rowsSent[SIDE_OPPONENT], 0);
    EXPECT_EQ(played.match.Incoming(SIDE_PLAYER), 0);
    ASSERT_TRUE(played.Until([&] { return played.match.Waiting(SIDE_OPPONENT) == 0; }, 1000));
    EXPECT_EQ(JunkRows(*opponent.board) + played.match.Incoming(SIDE_OPPONENT), 2);
}

TEST(Match, TheSideWhoseWellTopsOutLosesAndBothAtOnceDraw) {
    const struct {
        bool playerTopsOut;
        bool opponentTopsOut;
        int winner;
    } cases[] = {
        {true, false, SIDE_OPPONENT},
        {false, true, SIDE_PLAYER},
        {true, true, kDraw},
    };
    // Stacks up to the third row, a column short of any full row.
    std::vector<std::string> tower(kBoardRows - 2, ".  U U U U U U U U U U U");
    for (const auto& c : cases) {
        Played played(3);
        for (int side = 0; side < kMatchSides; ++side) {
            C_Round& round = played.match.Round(side);
            if (side == SIDE_PLAYER ? c.playerTopsOut : c.opponentTopsOut) {
                Lay(*round.board, tower);
            }
            GiveFlatI(round);
        }
        ASSERT_TRUE(played.Until([&] { return played.match.Over(); }, 2000));
        EXPECT_EQ(played.match.winner, c.winner);
        // Nothing moves once it is over.
        const float clock = played.Player().clock.Time();
        played.Frame();
        EXPECT_EQ(played.Player().clock.Time(), clock);
    }
}

TEST(Match, RowsPushedOverTheTopEndTheMatch) {
    Played played(9);
    C_Round& opponent = played.Opponent();
    opponent.Command(COMMAND_PAUSE);
    // A column up to the fifth row: three rows lift it into the second.
    Lay(*opponent.board, std::vector<std::string>(kBoardRows - 4, "U"));
    for (int row = 0; row < 3; ++row) {
        opponent.Receive(JunkRowSeed(9, SIDE_PLAYER, 0, row));
    }
    opponent.Command(COMMAND_START);
    GiveFlatI(opponent);
    ASSERT_TRUE(played.Until([&] { return played.match.Over(); }, 2000,
                             [&] { opponent.Command(COMMAND_DROP_STEP); }));
    EXPECT_EQ(played.match.winner, SIDE_PLAYER);
}

TEST(Match, AComputerAgainstAComputerAtLevelFiveEndsWithinTenMinutes) {
    constexpr int kTenMinutes = 75 * 600;
    for (uint64_t seed = 1; seed <= 10; ++seed) {
        Played played(seed * 101, 5);
        C_Opponent left(STRENGTH_HARD);
        C_Opponent right(STRENGTH_HARD);
        ASSERT_TRUE(played.Until([&] { return played.match.Over(); }, kTenMinutes,
                                 [&] {
                                     left.Play(&played.Player(), played.time + kFrame,
                                               played.match.Incoming(SIDE_PLAYER));
                                     right.Play(&played.Opponent(), played.time + kFrame,
                                                played.match.Incoming(SIDE_OPPONENT));
                                 }))
            << "seed " << seed;
    }
}

}  // namespace
