#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "puzzle/round.h"
#include "puzzle/well.h"
#include "versus/matchend.h"

// How long sent rows wait in the receiver's meter, in game seconds.
constexpr float kAttackWait = 3.0f;
// Every this many game seconds of a match, each cascade sends a row more.
constexpr float kRampPeriod = 30.0f;

// The rows a cascade earns: one for each flow after its first (a chain of K
// sends K - 1), one for each cycle closed in it, and once it has flowed at
// all, one for each whole ramp period the match had run when it began. A row
// with one gap is soon filled and flowed, so without the ramp 14 of 20 hard
// computer pairs at level 5 still played after 15 minutes; with it all 20
// ended, within 7 minutes.
int AttackRows(int flows, int cycles, float matchTime);

// The seed of one row of an attack: from the match's seed, the side that
// sent it (the host's is SIDE_PLAYER over the network), the attack's number
// among the sender's, counted from 0, and the row's place in it. Both
// machines of a match can make the same row from it.
uint64_t JunkRowSeed(uint64_t matchSeed, int sender, int sequence, int row);

// Rows on their way to one side, cancellable until they arrive.
struct Attack {
    // The sender and the attack's number as JunkRowSeed takes them.
    int sender;
    int sequence;
    int rows;
    // Rows of this attack the receiver's own cascades have cancelled, from
    // the first.
    int cancelled;
    float arrival;
};

// Cancels up to `rows` of the attacks waiting for `receiver`, soonest first
// (they are kept in the order sent, which is the order they arrive in), and
// forgets those wholly cancelled; returns the rows left to send.
int CancelWaiting(std::vector<Attack>* attacks, int receiver, int rows);
// Rows on their way to `receiver`: those of the attacks waiting for it not
// cancelled, and those arrived in its `round` but not yet pushed in. The one
// count of a meter, whoever keeps the attacks.
int IncomingRows(const std::vector<Attack>& attacks, int receiver, const C_Round& round);
// Pushes the junk rows of every attack due by `gameTime` into the round of
// the side it is for (`roundOf`), and forgets those attacks.
void DeliverDue(std::vector<Attack>* attacks, uint64_t matchSeed, float gameTime,
                const std::function<C_Round&(int receiver)>& roundOf);

// `round`'s grid with its falling shape's cells laid in (those above the top
// left out), as the other side sees it.
C_Well SeenWell(const C_Round& round);

// A round of a match, started: the same seed and level on every side.
std::unique_ptr<C_Round> StartedRound(uint64_t seed, int level, bool quiet,
                                      RoundRecord* record = nullptr);

// A match's own time: game seconds since its first update.
class C_MatchClock {
public:
    // The time at this frame's `gameTime`.
    float Advance(float gameTime) {
        if (!started) {
            started = true;
            start = gameTime;
        }
        now = gameTime - start;
        return now;
    }
    float Time() const { return now; }

private:
    bool started = false;
    float start = 0.0f;
    float now = 0.0f;
};

// The rows one round's cascades earn, each counted once as its flows run.
struct CascadeCredit {
    // The rows earned since the last call, at `matchTime` (game seconds into
    // the match).
    int Take(const C_Round& round, float matchTime);

    int seenCascade = 0;
    int credited = 0;
    // When the cascade began, in match time; negative before its first flow.
    float began = -1.0f;
};

struct MatchSettings {
    uint64_t seed = 0;
    int level = 0;
    // The player's round as quiet as the opponent's (a test, a headless run).
    bool quiet = false;
    // Where each side's round keeps its seed, level and inputs, if given.
    std::array<RoundRecord*, kMatchSides> records{};
};

// `settings` with each side's round writing into its record of `records`.
MatchSettings Recorded(MatchSettings settings, std::array<RoundRecord, kMatchSides>& records);

// Everything a match is at one moment, as a value.
struct MatchSnapshot {
    std::array<RoundSnapshot, kMatchSides> rounds;
    std::vector<Attack> attacks;
    std::array<int, kMatchSides> sequences{};
    std::array<CascadeCredit, kMatchSides> credits{};
    C_MatchClock clock;
    int winner = kNoWinner;
    std::array<int, kMatchSides> rowsSent{};
    std::array<int, kMatchSides> rowsCancelled{};
};

// Two rounds from one seed, so both draw the same shapes in the same order,
// and the rows their cascades send each other. The player's round writes and
// sounds as a single game; the opponent's is quiet. Both take commands from
// whoever plays them; the match only updates and steps them, and ends when a
// well tops out.
class C_Match {
public:
    explicit C_Match(const MatchSettings& settings);

    // Both rounds' phases at `gameTime`, then the rows their cascades earn:
    // each side's first cancel the rows waiting for it, the rest are sent.
    // Rows whose wait is over go to their round, which pushes them in at its
    // next landing. Nothing moves once the match is over.
    void Update(float gameTime);
    void DrawStep();

    C_Round& Round(int side) { return *rounds[static_cast<size_t>(side)]; }
    const C_Round& Round(int side) const { return *rounds[static_cast<size_t>(side)]; }
    // Rows on their way to `side`: waiting in its meter, and arrived but not
    // yet pushed in.
    int Incoming(int side) const;
    int Waiting(int side) const;
    // The attacks waiting for `side`, soonest first.
    std::vector<Attack> WaitingFor(int side) const;
    bool Over() const { return winner != kNoWinner; }
    // Game seconds since the first update.
    float Time() const { return clock.Time(); }
    // The match as a value, and back to it: seeking in a replay.
    MatchSnapshot Snapshot() const;
    void Restore(const MatchSnapshot& snapshot);

    uint64_t seed;
    // SIDE_PLAYER, SIDE_OPPONENT or kDraw once a well tops out.
    int winner = kNoWinner;
    // The rows each side has sent and had cancelled, for the screen and the
    // tuning of the rule.
    std::array<int, kMatchSides> rowsSent{};
    std::array<int, kMatchSides> rowsCancelled{};

private:
    std::array<std::unique_ptr<C_Round>, kMatchSides> rounds;
    std::vector<Attack> attacks;
    std::array<int, kMatchSides> sequences{};
    std::array<CascadeCredit, kMatchSides> credits{};
    C_MatchClock clock;
};
