#pragma once

#include <array>
#include <functional>
#include <vector>

#include "puzzle/round.h"
#include "screens/gamekeys.h"

class C_Controller;
class C_Settings;

// Players at one machine: seat 0 is the one player of a single game.
constexpr int kSeats = 2;

// The keys and buttons of one seat at this machine: the moves, turns and
// drop of its player as that seat's settings bind them, and its start, pause
// and menu. Every screen that steers a round from a player's keys goes
// through one of these.
class C_SeatKeys {
public:
    C_SeatKeys(const C_Settings& settings, int seat);

    // Hands `give` the commands the seat's keys make this frame. `gameTime`
    // is the round's game time and `shape` numbers the falling shape (it
    // changes when a new shape comes).
    void Steer(const C_Controller& input, float gameTime, int shape,
               const std::function<void(RoundCommand)>& give);
    // Start, pause and menu of this seat.
    const ScreenBindings& Actions() const { return actions; }
    int Seat() const { return seat; }
    // The keyboard key the seat binds to `action`, as its keys panel names it.
    int Key(GameAction action) const { return keys[static_cast<size_t>(action)]; }
    // The controller whose buttons steer the seat: kEveryPad (every one, as
    // in a single game), kNoPad, or one controller's number, so that players
    // at one machine each steer with their own.
    void UsePad(int pad) { padOf = pad; }
    int Pad() const { return padOf; }

private:
    int seat;
    std::vector<LatchedBinding> moves;
    ScreenBindings actions;
    std::array<int, kGameActionCount> keys{};
    int padOf = kEveryPad;
};
