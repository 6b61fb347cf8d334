#pragma once

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "puzzle/round.h"
#include "screens/gamekeys.h"

class C_Controller;
class C_Settings;

// The keys and buttons of one seat at this machine: the moves, turns and
// drop of its player as that seat's settings bind them and in the seat's
// move mode (classic latches, or acting at the press and repeating while
// held), and its start, pause and menu. Every screen that steers a round
// from a player's keys goes through one of these. A later seat never reads
// a key an earlier seat reads, whatever the settings file says.
class C_SeatKeys {
public:
    C_SeatKeys(const C_Settings& settings, int seat);

    // Hands `give` the commands the seat's keys make this frame. `gameTime`
    // is the round's game time and `shape` numbers the falling shape (it
    // changes when a new shape comes).
    void Steer(const C_Controller& input, float gameTime, int shape,
               const std::function<void(RoundCommand)>& give);
    // A frame at `gameTime` in which the round takes no moves (paused, not
    // started): the time until the next Steer does not count toward a held
    // key's repeats, so a key held through a pause does not burst after it.
    void Idle(float gameTime);
    // Start, pause and menu of this seat, as keys and buttons of the
    // controller (a seat after the first answers to no button here: see
    // ActionIs).
    const ScreenBindings& Actions() const { return actions; }
    // Whether the seat's key or its own pad's button of `action` reads `state`.
    bool ActionIs(const C_Controller& input, GameAction action, int state) const;
    int Seat() const { return seat; }

    // The state of one of the seat's controller buttons (PAD_). The first
    // seat reads the controller's buttons and later seats none, until a
    // screen that knows which pad a seat plays gives it that pad's.
    using PadReader = std::function<int(const C_Controller& input, int button)>;
    void ReadPadWith(PadReader reader) { padReader = std::move(reader); }

private:
    // A binding in repeating mode: what it gave since its press.
    struct HeldKey {
        MoveBinding binding;
        bool down = false;
        // The game time of the press, moved on by the time the round was idle.
        double pressedAt = 0.0;
        int repeatsGiven = 0;
        int shape = 0;
        // A drop held over from a shape that has landed: quiet until pressed again.
        bool spent = false;
    };

    int StateOf(const C_Controller& input, const MoveBinding& binding) const;
    void SteerHeld(HeldKey* key, int state, double now, int shape,
                   const std::function<void(RoundCommand)>& give) const;

    int seat;
    MoveRepeat repeat;
    std::vector<LatchedBinding> latched;
    std::vector<HeldKey> held;
    ScreenBindings actions;
    // Every action's key and button, for ActionIs.
    std::array<ActionBinding, kGameActionCount> bound;
    PadReader padReader;
    double idleFrom = -1.0;
};
