#pragma once

// Plays a round of the puzzle headless, frame by frame as the play screen
// drives one: the player's commands, the update at the frame's game time, the
// per-draw step. The player presses at random, or steers each shape to where
// it lands deepest, which fills rows often. Its own generator makes its
// commands repeat for a seed.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <utility>

#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"

class RoundPlayer {
public:
    RoundPlayer(uint64_t seed, bool greedyIn, float frameTimeIn)
        : choices(seed), greedy(greedyIn), frameTime(frameTimeIn) {}

    // How many shapes it has steered.
    int Shapes() const { return shapes; }

    // One frame; true while the round is not over.
    bool Frame(C_Round& round) {
        if (round.mode == MODE_IDLE) {
            round.Command(COMMAND_START);
        }
        bool held = false;
        if (greedy) {
            Steer(round);
        } else {
            held = Press(round);
        }
        gameTime += frameTime;
        // The console's pause holds the update but not the draw step.
        if (!held) {
            round.Update(gameTime);
        }
        round.DrawStep();
        return round.mode != MODE_GAMEOVER;
    }

private:
    // A random command or none; true when this frame's update is held.
    bool Press(C_Round& round) {
        const int roll = choices.Draw() % 64;
        static constexpr RoundCommand kByRoll[] = {
            COMMAND_LEFT,      COMMAND_LEFT,           COMMAND_RIGHT,
            COMMAND_RIGHT,     COMMAND_TURN_CLOCKWISE, COMMAND_TURN_COUNTER_CLOCKWISE,
            COMMAND_DROP_STEP, COMMAND_DROP_STEP,      COMMAND_DROP_STEP,
            COMMAND_DROP_STEP, COMMAND_PAUSE,          COMMAND_START,
            COMMAND_START,
        };
        constexpr int kCommands = static_cast<int>(sizeof(kByRoll) / sizeof(kByRoll[0]));
        if (roll < kCommands) {
            round.Command(kByRoll[roll]);
        }
        return roll == kCommands;
    }

    // A new shape gets its turns and shifts, then drops a row each frame.
    void Steer(C_Round& round) {
        const C_Tetromino* shape = round.currentShape.get();
        if (shape == nullptr) {
            // The next shape may come at the address of this one.
            steered = nullptr;
            return;
        }
        if (shape != steered) {
            steered = shape;
            shapes += 1;
            // One shape in ten goes where random presses take it.
            if (choices.Draw() % 10 == 0) {
                PlanRandomly();
            } else {
                Plan(*round.board, *shape);
            }
        }
        if (planned.empty()) {
            round.Command(COMMAND_DROP_STEP);
            return;
        }
        round.Command(planned.front());
        planned.pop_front();
    }

    void PlanRandomly() {
        static constexpr RoundCommand kMoves[] = {
            COMMAND_LEFT, COMMAND_RIGHT, COMMAND_TURN_CLOCKWISE, COMMAND_TURN_COUNTER_CLOCKWISE,
            COMMAND_DROP_STEP};
        planned.clear();
        for (int presses = choices.Draw() % 16; presses > 0; --presses) {
            planned.push_back(kMoves[choices.Draw() % 5]);
        }
    }

    void Plan(const C_GameBoard& board, const C_Tetromino& shape) {
        planned.clear();
        int top[kBoardColumns];  // the highest taken row of each column
        int filled[kBoardRows] = {};
        for (int x = 0; x < kBoardColumns; ++x) {
            top[x] = kBoardRows;
            for (int y = kBoardRows - 1; y >= 0; --y) {
                if (board.cells[x][y].Taken()) {
                    top[x] = y;
                    filled[y] += 1;
                }
            }
        }
        int bestTurns = 0;
        int bestShift = 0;
        long bestScore = -1;
        for (int turns = 0; turns < 4; ++turns) {
            for (int shift = -6; shift <= 6; ++shift) {
                const long score = LandingScore(shape, turns, shift, top, filled);
                if (score > bestScore || (score == bestScore && choices.Draw() % 3 == 0)) {
                    bestScore = score;
                    bestTurns = turns;
                    bestShift = shift;
                }
            }
        }
        planned.insert(planned.end(), static_cast<size_t>(bestTurns), COMMAND_TURN_CLOCKWISE);
        planned.insert(planned.end(), static_cast<size_t>(std::abs(bestShift)),
                       bestShift < 0 ? COMMAND_LEFT : COMMAND_RIGHT);
    }

    // How deep the shape would land after `turns` clockwise turns and a
    // sideways `shift`, plus a bonus for each row it would complete; -1
    // where it cannot go.
    static long LandingScore(const C_Tetromino& shape, int turns, int shift,
                             const int (&top)[kBoardColumns], const int (&filledIn)[kBoardRows]) {
        int filled[kBoardRows];
        std::copy(filledIn, filledIn + kBoardRows, filled);
        const int n = shape.GetBoxSize();
        std::pair<int, int> cells[kShapeCells];
        int count = 0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                if (shape.PieceInBox(i, j) != nullptr) {
                    int ti = i;
                    int tj = j;
                    for (int t = 0; t < turns; ++t) {
                        const int oldI = ti;
                        ti = n - 1 - tj;
                        tj = oldI;
                    }
                    cells[count++] = {shape.GetColumn() + shift + ti, shape.GetRow() + tj};
                }
            }
        }
        int drop = kBoardRows;
        for (const auto& [x, y] : cells) {
            if (x < 0 || x >= kBoardColumns || y >= top[x]) {
                return -1;
            }
            drop = std::min(drop, top[x] - y - 1);
        }
        long score = 0;
        for (const auto& [x, y] : cells) {
            const int row = y + drop;
            score += row * 10;
            if (row >= 0 && ++filled[row] == kBoardColumns) {
                score += 400;
            }
        }
        return score;
    }

    C_RandomDraw choices;
    bool greedy;
    float frameTime;
    float gameTime = 0.0f;
    const C_Tetromino* steered = nullptr;
    int shapes = 0;
    std::deque<RoundCommand> planned;
};
