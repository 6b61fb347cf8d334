// A match between two players at one machine, played through the kind the
// match screen drives, plays back from its recorded commands to the same end.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "versus/match.h"
#include "versus/matchtwoplayers.h"
#include "versus/opponent.h"

namespace {

constexpr float kFrame = 1.0f / 75;
constexpr int kMostFrames = 75 * 600;

// One frame of one side's record: the commands given, the update's time.
struct RecordedFrame {
    std::vector<RoundCommand> commands;
    float gameTime = 0.0f;
};

// A side's record cut into frames at its draw steps; the rows it received
// are left out, as the match makes them again.
std::vector<RecordedFrame> FramesOf(const RoundRecord& record) {
    std::vector<RecordedFrame> frames(1);
    for (const RoundInput& input : record.inputs) {
        if (input.kind == RoundInput::COMMAND) {
            frames.back().commands.push_back(input.command);
        } else if (input.kind == RoundInput::UPDATE) {
            frames.back().gameTime = input.gameTime;
        } else if (input.kind == RoundInput::DRAW_STEP) {
            frames.emplace_back();
        }
    }
    frames.pop_back();
    return frames;
}

void ExpectSameInputs(const RoundRecord& played, const RoundRecord& again) {
    ASSERT_EQ(played.inputs.size(), again.inputs.size());
    for (size_t n = 0; n < played.inputs.size(); ++n) {
        const RoundInput& a = played.inputs[n];
        const RoundInput& b = again.inputs[n];
        ASSERT_TRUE(a.kind == b.kind && a.command == b.command && a.gameTime == b.gameTime &&
                    a.rowSeed == b.rowSeed)
            << "input " << n;
    }
}

// Both seats played by computers, as two players give commands from their
// seats; the records of both sides played back into a fresh match.
TEST(TwoPlayersMatch, PlaysBackFromItsRecordedCommandsToTheSameEnd) {
    const struct {
        uint64_t seed;
        int level;
        OpponentStrength first;
        OpponentStrength second;
    } cases[] = {{3001, 6, STRENGTH_MEDIUM, STRENGTH_EASY},
                 {4711, 4, STRENGTH_EASY, STRENGTH_HARD}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        // Each keeps its rounds' records from the match's start on.
        C_MatchTwoPlayers played(MatchSettings{c.seed, c.level, true, {}});
        const std::array<RoundRecord, kMatchSides>& records = played.records;
        std::array<C_Opponent, kMatchSides> players = {C_Opponent(c.first), C_Opponent(c.second)};
        float gameTime = 0.0f;
        for (int frame = 0; frame < kMostFrames && !played.Over(); ++frame) {
            for (int seat = 0; seat < played.LocalSeats(); ++seat) {
                players[static_cast<size_t>(seat)].Play(&played.SeatRound(seat), gameTime + kFrame,
                                                        played.Incoming(seat));
            }
            gameTime += kFrame;
            played.Update(gameTime);
            played.DrawStep();
        }
        ASSERT_TRUE(played.Over());
        // Rows went both ways, so the attacks are played back too.
        EXPECT_GT(played.match.rowsSent[SIDE_PLAYER], 0);
        EXPECT_GT(played.match.rowsSent[SIDE_OPPONENT], 0);

        C_MatchTwoPlayers again(MatchSettings{c.seed, c.level, true, {}});
        const std::array<RoundRecord, kMatchSides>& replayed = again.records;
        const std::array<std::vector<RecordedFrame>, kMatchSides> frames = {FramesOf(records[0]),
                                                                            FramesOf(records[1])};
        ASSERT_EQ(frames[0].size(), frames[1].size());
        for (size_t frame = 0; frame < frames[0].size(); ++frame) {
            for (int seat = 0; seat < kMatchSides; ++seat) {
                for (const RoundCommand command :
                     frames[static_cast<size_t>(seat)][frame].commands) {
                    again.SeatRound(seat).Command(command);
                }
            }
            again.Update(frames[0][frame].gameTime);
            again.DrawStep();
        }
        EXPECT_EQ(again.Winner(), played.Winner());
        EXPECT_EQ(again.RowsSent(), played.RowsSent());
        for (int seat = 0; seat < kMatchSides; ++seat) {
            SCOPED_TRACE(seat);
            EXPECT_EQ(again.SeatRound(seat).board->score, played.SeatRound(seat).board->score);
            EXPECT_EQ(again.SeatRound(seat).rowsPushedIn, played.SeatRound(seat).rowsPushedIn);
            // Every command, update, draw step and row received, in order:
            // the wells went the same way all along.
            ExpectSameInputs(records[static_cast<size_t>(seat)],
                             replayed[static_cast<size_t>(seat)]);
        }
    }
}

}  // namespace
