#pragma once

// Plays whole games of the puzzle at the board level, the way the play
// screen drives the board, from a seeded rand(): shapes spawn, move, turn
// and land; full rows flow; flowed pieces are removed; gravity runs until it
// settles; chains repeat. Used by the property test and the rules benchmark.

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/piece.h"
#include "puzzle/randomdraw.h"
#include "puzzle/tetromino.h"

enum class GameOp { Move, Lock, ClearRows, FlowStep, Remove, GravityStep, Settled };

struct GameTally {
    long games = 0;
    long landings = 0;
    long flows = 0;
    long flowSteps = 0;
    long cycles = 0;
    long multiCycles = 0;
    long gravitySteps = 0;
    long removed = 0;
    long toppedOut = 0;
    long lockedAboveWell = 0;
};

class SeededGame {
public:
    // Called after every operation with the board and the pieces the board
    // should hold (every piece locked and not yet removed).
    using Observer =
        std::function<void(GameOp, const C_GameBoard&, const std::set<const C_Piece*>&)>;

    SeededGame(unsigned seed, Observer watcher) : observer(std::move(watcher)) {
        std::srand(seed);
        outerLevel = std::rand() % 10;
        board = std::make_unique<C_GameBoard>();
        greedy = std::rand() % 4 != 0;
    }

    // Plays until the board tops out or `maxShapes` shapes have landed.
    void Play(int maxShapes, GameTally* tally) {
        tally->games += 1;
        auto next = std::make_unique<C_Tetromino>(board.get());
        for (int shapes = 0; shapes < maxShapes; ++shapes) {
            std::unique_ptr<C_Tetromino> current = std::move(next);
            Spawn(current.get());
            next = std::make_unique<C_Tetromino>(board.get());
            next->SetGridPosition(16, 18, 0);
            Steer(current.get());
            while (current->StepDown() == 1) {
                Notify(GameOp::Move);
            }
            LockShape(current.get(), tally);
            current.reset();
            if (board->ClearFullRows()) {
                Notify(GameOp::ClearRows);
                tally->toppedOut += 1;
                return;
            }
            Notify(GameOp::ClearRows);
            while (board->piping != 0) {
                if (Cascade(tally)) {
                    tally->toppedOut += 1;
                    return;
                }
            }
        }
    }

    C_GameBoard& Board() { return *board; }

private:
    void Notify(GameOp op) { observer(op, *board, live); }

    static void Spawn(C_Tetromino* shape) {
        const int type = shape->GetShapeType();
        if (type == SHAPE_I) {
            shape->SetGridPosition(3, -2, 0);
        } else if (type == SHAPE_O) {
            shape->SetGridPosition(4, -1, 0);
        } else {
            shape->SetGridPosition(3, -1, 0);
        }
    }

    // Either random key presses or a greedy choice of turn and column that
    // lands the shape as deep as it can go, which fills rows often.
    void Steer(C_Tetromino* shape) {
        if (!greedy || std::rand() % 10 == 0) {
            const int presses = std::rand() % 16;
            for (int i = 0; i < presses; ++i) {
                Press(shape, std::rand() % 5);
                Notify(GameOp::Move);
            }
            return;
        }
        const Profile profile = BoardProfile();
        int bestTurns = 0;
        int bestShift = 0;
        long bestScore = -1;
        for (int turns = 0; turns < 4; ++turns) {
            for (int shift = -6; shift <= 6; ++shift) {
                const long score = LandingScore(*shape, turns, shift, profile);
                if (score > bestScore || (score == bestScore && std::rand() % 3 == 0)) {
                    bestScore = score;
                    bestTurns = turns;
                    bestShift = shift;
                }
            }
        }
        for (int t = 0; t < bestTurns; ++t) {
            shape->RotateClockwise();
            Notify(GameOp::Move);
        }
        for (int s = 0; s < std::abs(bestShift); ++s) {
            if (bestShift < 0) {
                shape->MoveLeft();
            } else {
                shape->MoveRight();
            }
            Notify(GameOp::Move);
        }
    }

    static void Press(C_Tetromino* shape, int key) {
        switch (key) {
            case 0:
                shape->MoveLeft();
                break;
            case 1:
                shape->MoveRight();
                break;
            case 2:
                shape->RotateClockwise();
                break;
            case 3:
                shape->RotateCounterClockwise();
                break;
            default:
                shape->StepDown();
                break;
        }
    }

    // How deep the shape would land after `turns` clockwise turns and a
    // sideways `shift`, plus a bonus for each row it would complete; -1 where
    // it cannot go.
    struct Profile {
        int top[kBoardColumns];  // the highest taken row of each column, 24 if none
        int filled[kBoardRows];  // taken cells of each row
    };

    Profile BoardProfile() const {
        Profile profile{};
        for (int x = 0; x < kBoardColumns; ++x) {
            profile.top[x] = kBoardRows;
            for (int y = kBoardRows - 1; y >= 0; --y) {
                if (board->grid[x][y] != nullptr) {
                    profile.top[x] = y;
                    profile.filled[y] += 1;
                }
            }
        }
        return profile;
    }

    static long LandingScore(const C_Tetromino& shape, int turns, int shift, Profile profile) {
        int* top = profile.top;
        int* filled = profile.filled;
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

    void LockShape(C_Tetromino* shape, GameTally* tally) {
        struct Placed {
            const C_Piece* piece;
            int x;
            int y;
        };
        std::vector<Placed> pieces;
        for (int i = 0; i < shape->GetBoxSize(); ++i) {
            for (int j = 0; j < shape->GetBoxSize(); ++j) {
                if (const C_Piece* piece = shape->PieceInBox(i, j)) {
                    pieces.push_back({piece, shape->GetColumn() + i, shape->GetRow() + j});
                }
            }
        }
        const int wasToppedOut = board->toppedOut;
        shape->LockIntoBoard();
        tally->landings += 1;
        for (const Placed& placed : pieces) {
            // Those left out of the well were freed (only their addresses are
            // compared); the rest are in their cells.
            if (board->PieceAt(placed.x, placed.y) == placed.piece) {
                live.insert(placed.piece);
            }
        }
        if (board->toppedOut != 0 && wasToppedOut == 0) {
            tally->lockedAboveWell += 1;
        }
        Notify(GameOp::Lock);
    }

    // One flow, its removal and the gravity after it; true if the board
    // then tops out.
    bool Cascade(GameTally* tally) {
        tally->flows += 1;
        int cycleCount = 0;
        while (board->FlowStep()) {
            tally->flowSteps += 1;
            Notify(GameOp::FlowStep);
        }
        tally->flowSteps += 1;
        Notify(GameOp::FlowStep);
        for (size_t k = 0; k < board->cycleSizes.size(); ++k) {
            cycleCount += board->cycleSizes[k] != -1 ? 1 : 0;
            tally->multiCycles += board->cycleMulti[k] != 0 && board->cycleSizes[k] != -1 ? 1 : 0;
        }
        tally->cycles += cycleCount;

        for (int x = 0; x < kBoardColumns; ++x) {
            for (int y = 0; y < kBoardRows; ++y) {
                const C_Piece* piece = board->PieceAt(x, y);
                if (piece != nullptr && piece->marked != 0) {
                    live.erase(piece);
                    tally->removed += 1;
                }
            }
        }
        board->RemoveMarked();
        board->moving = 1;
        board->pipeSizes.clear();
        board->fade = 0.7f;
        board->boardAlpha = 255;
        board->destroying = 0;
        Notify(GameOp::Remove);
        while (!board->GravityStep()) {
            tally->gravitySteps += 1;
            Notify(GameOp::GravityStep);
        }
        tally->gravitySteps += 1;
        Notify(GameOp::Settled);
        const bool over = board->ClearFullRows();
        Notify(GameOp::ClearRows);
        return over;
    }

    Observer observer;
    std::unique_ptr<C_GameBoard> board;
    std::set<const C_Piece*> live;
    bool greedy = true;
};
