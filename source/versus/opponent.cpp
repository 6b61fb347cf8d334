#include "versus/opponent.h"

#include <algorithm>
#include <cstdlib>

#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"

namespace {

// Faster than a frame would only bunch commands together.
constexpr int kMaxCommandsPerFrame = 2;
// A shape whose way stays blocked after this many new choices just falls.
constexpr int kMaxReplans = 2;
// Turn sequences tried, as quarter turns: 3 is one turn back.
constexpr int kTurnChoices = 4;
// Columns a box can stand at: its cells may lie right of its left edge.
constexpr int kLeftmostBox = -kBoxSize + 1;
constexpr int kMaxChoices = kTurnChoices * (kBoardColumns - kLeftmostBox);
// The few best places a sloppy choice picks among.
constexpr int kSloppyChoices = 4;
// Above the well, where the next shape is tried from in every column.
constexpr int kAboveWell = -2;
constexpr int kPercent = 100;
// The fastest a shape falls: a row each frame of a 75-frame second.
constexpr float kFastestFall = 1.0f / 75;
// The commands' own draws: a fixed stream per strength.
constexpr uint64_t kSeedBase = 0x7475627269785f41ULL;

constexpr C_Opponent::Profile kProfiles[] = {
    // easy: slow, never hurries a shape, often content with a good place
    {1.0f, 0.5f, false, 0, 60},
    // medium: steady, and one shape in five at one of the few best places
    {0.5f, 0.2f, true, 0, 20},
    // hard: quick, and it looks at the next shape too
    {0.15f, 0.08f, true, 4, 0},
};

// What a place is worth: the shape of the well it leaves, and what the flows
// it starts take away. Tuned by playing seeded games (benchmarks/).
struct Weights {
    double height = -0.45;     // per row of each column
    double holes = -3.0;       // per empty cell under a taken one
    double bumpiness = -0.25;  // per row of difference between columns
    double danger = -1.5;      // per square of a row above the safe height
    double joins = 0.3;        // per pair of joined pipes
    double deadEnds = -0.2;    // per pipe end against a wall or a closed side
    double rows = 0.5;         // per full row
    double flowed = 0.3;       // per piece a flow takes away
    double cycles = 2.0;       // per loop of pipes closed
    double toppedOut = -1e6;
};
constexpr Weights kWeights;
// How much of the next shape's gain a place is credited with.
constexpr double kNextShare = 0.5;
// Rows of stack that need no care yet.
constexpr int kSafeHeight = 11;

double FlowValue(const LockOutcome& outcome) {
    if (outcome.toppedOut) {
        return kWeights.toppedOut;
    }
    return kWeights.rows * outcome.rows + kWeights.flowed * outcome.flowed +
           kWeights.cycles * outcome.cycles;
}

double WellValue(const C_Well& well, int incomingRows) {
    int heights[kBoardColumns];
    int holes = 0;
    int joins = 0;
    int deadEnds = 0;
    for (int x = 0; x < kBoardColumns; ++x) {
        heights[x] = 0;
        for (int y = 0; y < kBoardRows; ++y) {
            const WellCell& cell = well.cells[x][y];
            if (!cell.Taken()) {
                holes += heights[x] > 0 ? 1 : 0;
                continue;
            }
            if (heights[x] == 0) {
                heights[x] = kBoardRows - y;
            }
            for (int d = DIR_RIGHT; d < kDirections; ++d) {
                if (!Has(cell.openings, d)) {
                    continue;
                }
                const int nx = x + kDeltaX[d];
                const int ny = y + kDeltaY[d];
                if (nx < 0 || nx >= kBoardColumns || ny >= kBoardRows) {
                    deadEnds += 1;
                    continue;
                }
                const WellCell& other = well.cells[nx][ny];
                if (!other.Taken()) {
                    continue;
                }
                if (!Has(other.openings, Opposite(d))) {
                    deadEnds += 1;
                } else if (d == DIR_RIGHT || d == DIR_DOWN) {
                    joins += 1;
                }
            }
        }
    }
    int total = 0;
    int bumpiness = 0;
    int highest = 0;
    for (int x = 0; x < kBoardColumns; ++x) {
        total += heights[x];
        highest = std::max(highest, heights[x]);
        if (x > 0) {
            bumpiness += std::abs(heights[x] - heights[x - 1]);
        }
    }
    // Rows on the meter will lift the well by as much.
    const int over = std::max(0, highest + incomingRows - kSafeHeight);
    return kWeights.height * total + kWeights.holes * holes + kWeights.bumpiness * bumpiness +
           kWeights.danger * over * over + kWeights.joins * joins + kWeights.deadEnds * deadEnds;
}

// The best a shape can do on `well` from above it, in any column and turn.
double BestNext(const C_Well& well, const WellShape& next, int incomingRows) {
    double best = kWeights.toppedOut * 2;
    WellShape turned = next;
    for (int turns = 0; turns < kTurnChoices; ++turns, turned = Turned(turned, true)) {
        for (int column = kLeftmostBox; column < kBoardColumns; ++column) {
            WellShape shape = turned;
            shape.column = column;
            shape.row = kAboveWell;
            if (!well.Fits(shape, 0, 0)) {
                continue;
            }
            shape.row += well.RowsToLanding(shape);
            C_Well after = well;
            const LockOutcome outcome = LockAndSettle(&after, shape);
            best = std::max(best, FlowValue(outcome) + WellValue(after, incomingRows));
        }
    }
    return best;
}

// Where the shape comes to rest when steered by `turns` quarter turns, then
// sideways to the box column `column`, one command each `commandPeriod` while
// it falls a row each `fallPeriod`; false when a command would be blocked or
// come after the shape has landed. The fall is counted as early as it may
// come, so a way found here is rarely cut short in the round.
bool SteerModel(const C_Well& well, int turns, int column, float commandPeriod, float fallPeriod,
                WellShape* shape) {
    const bool clockwise = turns != kTurnChoices - 1;
    const int turnCommands = clockwise ? turns : 1;
    const int commands = turnCommands + std::abs(column - shape->column);
    const int startRow = shape->row;
    const float period = std::max(fallPeriod, kFastestFall);
    for (int k = 0; k < commands; ++k) {
        const int fallen = k == 0 ? 0 : static_cast<int>(k * commandPeriod / period) + 1;
        while (shape->row < startRow + fallen) {
            if (!well.StepDown(shape)) {
                // Landed: it locks at the next fall, before this command.
                return false;
            }
        }
        const bool moved = k < turnCommands ? well.Turn(shape, clockwise)
                                            : well.Shift(shape, column > shape->column ? 1 : -1);
        if (!moved) {
            return false;
        }
    }
    shape->row += well.RowsToLanding(*shape);
    return true;
}

// A shape's turn, told by its first piece's: all of them turn together.
int RotationOf(const WellShape& shape) {
    return shape.cells[0].rotation;
}

bool IsTurn(int command) {
    return command == COMMAND_TURN_CLOCKWISE || command == COMMAND_TURN_COUNTER_CLOCKWISE;
}

bool IsShift(int command) {
    return command == COMMAND_LEFT || command == COMMAND_RIGHT;
}

}  // namespace

LockOutcome LockAndSettle(C_Well* well, const WellShape& shape) {
    LockOutcome outcome;
    const int rowsBefore = well->rowsCleared;
    well->Lock(shape);
    outcome.toppedOut = well->ClearFullRows();
    while (!outcome.toppedOut && well->piping != 0) {
        outcome.chain += 1;
        while (well->FlowStep()) {
        }
        for (const auto& column : well->cells) {
            for (const WellCell& cell : column) {
                outcome.flowed += cell.Taken() && cell.marked ? 1 : 0;
            }
        }
        for (const int size : well->cycleSizes) {
            outcome.cycles += size > 0 ? 1 : 0;
        }
        well->RemoveMarked();
        well->destroying = 0;
        well->moving = 1;
        // Each step lowers a group a row, so the well settles within its height.
        for (int step = 0; step < kBoardRows * kBoardRows && !well->GravityStep(); ++step) {
        }
        outcome.toppedOut = well->ClearFullRows();
    }
    outcome.rows = well->rowsCleared - rowsBefore;
    return outcome;
}

C_Opponent::C_Opponent(OpponentStrength strength)
    : profile(kProfiles[strength]), draws(kSeedBase + static_cast<uint64_t>(strength)) {}

int C_Opponent::Rank(const C_Well& well, const WellShape& start, const WellShape* next,
                     float fallPeriod, int incomingRows, Choice* choices) const {
    int count = 0;
    for (int turns = 0; turns < kTurnChoices; ++turns) {
        for (int column = kLeftmostBox; column < kBoardColumns; ++column) {
            WellShape landed = start;
            if (!SteerModel(well, turns, column, profile.commandPeriod, fallPeriod, &landed)) {
                continue;
            }
            C_Well after = well;
            const LockOutcome outcome = LockAndSettle(&after, landed);
            choices[count++] = {turns, column, FlowValue(outcome) + WellValue(after, incomingRows),
                                landed};
        }
    }
    std::stable_sort(choices, choices + count,
                     [](const Choice& a, const Choice& b) { return a.value > b.value; });
    if (next == nullptr || profile.lookahead == 0) {
        return count;
    }
    // The few best again, each also worth part of what the next shape can
    // make of the well it leaves: part, since the next shape's way there is
    // not checked and a flow now is surer than one later.
    const int looked = std::min(count, profile.lookahead);
    for (int c = 0; c < looked; ++c) {
        C_Well after = well;
        const LockOutcome outcome = LockAndSettle(&after, choices[c].landed);
        if (!outcome.toppedOut) {
            const double gain =
                BestNext(after, *next, incomingRows) - WellValue(after, incomingRows);
            choices[c].value += kNextShare * gain;
        }
    }
    std::stable_sort(choices, choices + looked,
                     [](const Choice& a, const Choice& b) { return a.value > b.value; });
    return count;
}

void C_Opponent::Decide(const C_Round& round, int incomingRows) {
    decisions += 1;
    const C_Well well = round.board->Rules();
    const WellShape shape = round.currentShape->Shape();
    WellShape next;
    if (round.nextShape) {
        next = round.nextShape->Shape();
    }
    Choice choices[kMaxChoices];
    const int count = Rank(well, shape, round.nextShape ? &next : nullptr,
                           round.board->fallInterval, incomingRows, choices);
    int pick = 0;
    if (count > 1 && draws.Index(kPercent) < profile.sloppiness) {
        pick = draws.Index(std::min(count, kSloppyChoices));
    }
    const Choice chosen = count > 0 ? choices[pick] : Choice{0, shape.column, 0.0, shape};
    targetRotation = (RotationOf(shape) + chosen.turns) % kRotations;
    targetColumn = chosen.column;
}

void C_Opponent::Steer(C_Round* round, int incomingRows) {
    const C_Tetromino& shape = *round->currentShape;
    const int rotation = RotationOf(shape.Shape());
    const int column = shape.GetColumn();
    const bool blocked = (IsTurn(lastCommand) && rotation == rotationBefore) ||
                         (IsShift(lastCommand) && column == columnBefore);
    lastCommand = -1;
    if (blocked) {
        if (replans < kMaxReplans) {
            replans += 1;
            Decide(*round, incomingRows);
        } else {
            targetRotation = rotation;
            targetColumn = column;
        }
    }
    RoundCommand command = COMMAND_DROP_STEP;
    if (rotation != targetRotation) {
        const int ahead = (targetRotation - rotation + kRotations) % kRotations;
        command = ahead == kRotations - 1 ? COMMAND_TURN_COUNTER_CLOCKWISE : COMMAND_TURN_CLOCKWISE;
    } else if (column != targetColumn) {
        command = column < targetColumn ? COMMAND_RIGHT : COMMAND_LEFT;
    } else if (!profile.dropsShapes) {
        return;
    }
    rotationBefore = rotation;
    columnBefore = column;
    lastCommand = command;
    round->Command(command);
}

void C_Opponent::Play(C_Round* round, float gameTime, int incomingRows) {
    if (round->mode != MODE_RUNNING || !round->currentShape) {
        return;
    }
    const C_Tetromino* shape = round->currentShape.get();
    // A spawn always brings a new preview shape, while the one before it is
    // still alive: their addresses differ even where a falling shape's
    // might repeat.
    if (shape != steered || round->nextShape.get() != previewSeen) {
        steered = shape;
        previewSeen = round->nextShape.get();
        decided = false;
        replans = 0;
        lastCommand = -1;
        decideAt = gameTime + profile.thinkDelay;
    }
    if (!decided) {
        if (gameTime < decideAt) {
            return;
        }
        Decide(*round, incomingRows);
        decided = true;
        nextCommandAt = gameTime;
    }
    for (int n = 0; n < kMaxCommandsPerFrame && nextCommandAt <= gameTime; ++n) {
        Steer(round, incomingRows);
        nextCommandAt += profile.commandPeriod;
    }
    // A long frame does not save up commands for a burst.
    nextCommandAt = std::max(nextCommandAt, gameTime);
}
