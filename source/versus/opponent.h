#pragma once

#include <cstdint>

#include "puzzle/randomdraw.h"
#include "puzzle/round.h"
#include "puzzle/well.h"
#include "versus/matchsetup.h"

class C_Tetromino;

// What locking a shape into a copy of a well led to, over the whole cascade.
struct LockOutcome {
    bool toppedOut = false;
    int rows = 0;
    // Pieces the flows took away, those of the full rows included.
    int flowed = 0;
    // Cycles the flows closed, as the round counts them.
    int cycles = 0;
    // How many flows ran one after the other.
    int chain = 0;
};

// Locks `shape` into `well` and plays the cascade that follows to its end:
// full rows, each flow to its last step, the removal and the falls, again.
LockOutcome LockAndSettle(C_Well* well, const WellShape& shape);

// A computer player of one round. It sees what a player sees (the well, the
// falling and the next shape, its incoming meter), chooses where each shape
// goes by trying every turn and column on a copy of the well, and steers it
// there with the commands a player's keys make, at the pace its strength
// allows. Everything it does follows from the round and the game times it is
// given, so a replayed round is played the same way.
class C_Opponent {
public:
    explicit C_Opponent(OpponentStrength strength);

    // Once a frame, before the round's Update: looks at what a player sees
    // of `round` (its well, its current and next shape) and `incomingRows`
    // (its incoming meter), and gives the round the commands its speed allows
    // by `gameTime` (through round->Command only, the way keys do).
    void Play(C_Round* round, float gameTime, int incomingRows);

    // How many times it has chosen a place (a new shape, or a way found
    // blocked).
    int Decisions() const { return decisions; }

    // How one strength plays.
    struct Profile {
        // From a new shape to the first command, seconds.
        float thinkDelay;
        // Between two commands, seconds.
        float commandPeriod;
        // Whether it steps the shape down once it is in place.
        bool dropsShapes;
        // How many of the best places it tries the next shape on (0: none).
        int lookahead;
        // In how many shapes of a hundred it takes one of the few best
        // places rather than the best.
        int sloppiness;
    };

private:
    // A place for the falling shape: quarter turns (3 is one turn back) and
    // the box column, what it is worth and where the shape comes to rest.
    struct Choice {
        int turns;
        int column;
        double value;
        WellShape landed;
    };

    void Decide(const C_Round& round, int incomingRows);
    // One command toward the chosen place, or none once there.
    void Steer(C_Round* round, int incomingRows);
    // The places the shape can reach from where it is while it falls a row
    // each `fallPeriod`, best first; how many.
    int Rank(const C_Well& well, const WellShape& shape, const WellShape* next, float fallPeriod,
             int incomingRows, Choice* choices) const;

    Profile profile;
    C_RandomDraw draws;
    const C_Tetromino* steered = nullptr;
    const C_Tetromino* previewSeen = nullptr;
    bool decided = false;
    int targetRotation = 0;
    int targetColumn = 0;
    float decideAt = 0.0f;
    float nextCommandAt = 0.0f;
    // The last command and what the shape looked like before it, to see a
    // blocked move.
    int lastCommand = -1;
    int rotationBefore = 0;
    int columnBefore = 0;
    int replans = 0;
    int decisions = 0;
};
