#include "versus/opponent.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/randomdraw.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"

namespace {

constexpr float kFrame = 1.0f / 75;
constexpr int kLevel = 5;
constexpr OpponentStrength kStrengths[] = {STRENGTH_EASY, STRENGTH_MEDIUM, STRENGTH_HARD};

RoundSettings Quiet(uint64_t seed, RoundRecord* record = nullptr) {
    RoundSettings settings;
    settings.seed = seed;
    settings.level = kLevel;
    settings.quiet = true;
    settings.record = record;
    return settings;
}

// One frame as a match drives a computer's round.
void Frame(C_Round* round, C_Opponent* opponent, int frame) {
    const float gameTime = static_cast<float>(frame + 1) * kFrame;
    opponent->Play(round, gameTime, 0);
    round->Update(gameTime);
    round->DrawStep();
}

std::string Describe(const RoundRecord& record, const C_Round& round) {
    std::string text = std::to_string(round.board->score) + " " + std::to_string(round.mode);
    for (const RoundInput& input : record.inputs) {
        text += " " + std::to_string(input.kind) + ":" + std::to_string(input.command) + "@" +
                std::to_string(input.gameTime);
    }
    return text;
}

// Only a player's moves (never start or pause), and none while paused.
TEST(Opponent, GivesOnlyMoveCommandsAndNoneWhilePaused) {
    const std::set<int> moves = {COMMAND_LEFT, COMMAND_RIGHT, COMMAND_TURN_CLOCKWISE,
                                 COMMAND_TURN_COUNTER_CLOCKWISE, COMMAND_DROP_STEP};
    for (OpponentStrength strength : kStrengths) {
        for (uint64_t seed = 1; seed <= 3; ++seed) {
            RoundRecord record;
            C_Round round(Quiet(seed, &record));
            C_Opponent opponent(strength);
            round.Command(COMMAND_START);
            int given = 0;
            for (int frame = 0; frame < 75 * 60 && round.mode != MODE_GAMEOVER; ++frame) {
                // Paused for four seconds in the middle of the minute.
                if (frame == 75 * 30 || frame == 75 * 34) {
                    round.Command(frame == 75 * 30 ? COMMAND_PAUSE : COMMAND_START);
                }
                const size_t before = record.inputs.size();
                opponent.Play(&round, static_cast<float>(frame + 1) * kFrame, 0);
                for (size_t k = before; k < record.inputs.size(); ++k) {
                    ASSERT_EQ(record.inputs[k].kind, RoundInput::COMMAND);
                    ASSERT_EQ(moves.count(record.inputs[k].command), 1u)
                        << "strength " << strength << " seed " << seed << " frame " << frame;
                    ASSERT_NE(round.mode, MODE_PAUSED) << "a command while paused";
                    given += 1;
                }
                round.Update(static_cast<float>(frame + 1) * kFrame);
                round.DrawStep();
            }
            EXPECT_GT(given, 10) << "strength " << strength << " seed " << seed;
        }
    }
}

// The bottom row full but for a gap any shape can fill (not at a wall: an S or
// Z fills a one-cell gap from one side only): the next landing completes it.
// The row's pipes come from draws of the test's own, so the wells are the same
// whatever ran before in the process.
TEST(Opponent, FillsTheGapThatCompletesARow) {
    C_RandomDraw rowDraws;
    // Seeds that bring each shape first, twice.
    std::multiset<int> shapesSeen;
    for (uint64_t seed = 1; seed <= 100; ++seed) {
        const int type = C_Round(Quiet(seed)).currentShape->GetShapeType();
        if (shapesSeen.count(type) == 2) {
            continue;
        }
        shapesSeen.insert(type);
        for (int gap : {1, 5, 9}) {
            C_Round round(Quiet(seed));
            const bool wide = type == SHAPE_O;
            for (int x = 0; x < kBoardColumns; ++x) {
                if (x == gap || (wide && x == gap + 1)) {
                    continue;
                }
                round.board->cells[x][kBoardRows - 1] = DrawnPiece(SHAPE_J, 0, rowDraws);
            }
            for (int x = 0; x < kBoardColumns; ++x) {
                if (round.board->PieceAt(x, kBoardRows - 1) != nullptr) {
                    round.board->UpdateConnections({x, kBoardRows - 1});
                }
            }
            C_Opponent opponent(STRENGTH_HARD);
            round.Command(COMMAND_START);
            const C_Tetromino* first = round.currentShape.get();
            for (int frame = 0; frame < 75 * 30 && round.currentShape.get() == first; ++frame) {
                Frame(&round, &opponent, frame);
            }
            EXPECT_EQ(round.board->rowsCleared, 1)
                << "seed " << seed << " shape " << type << " gap " << gap;
        }
    }
    EXPECT_EQ(shapesSeen.size(), static_cast<size_t>(2 * kShapeTypes));
}

// Two rounds of one seed and strength take the same commands at the same
// times and end alike.
TEST(Opponent, PlaysTheSameGameForTheSameSeed) {
    for (OpponentStrength strength : kStrengths) {
        for (uint64_t seed = 1; seed <= 2; ++seed) {
            RoundRecord recordA;
            RoundRecord recordB;
            C_Round a(Quiet(seed, &recordA));
            C_Round b(Quiet(seed, &recordB));
            C_Opponent opponentA(strength);
            C_Opponent opponentB(strength);
            a.Command(COMMAND_START);
            b.Command(COMMAND_START);
            for (int frame = 0; frame < 75 * 120; ++frame) {
                Frame(&a, &opponentA, frame);
                Frame(&b, &opponentB, frame);
            }
            EXPECT_GT(opponentA.Decisions(), 10);
            EXPECT_EQ(Describe(recordA, a), Describe(recordB, b))
                << "strength " << strength << " seed " << seed;
        }
    }
}

}  // namespace
