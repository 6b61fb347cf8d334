#include "screens/seatkeys.h"

#include <algorithm>
#include <cmath>

#include "input/controller.h"
#include "store/settings.h"

namespace {

constexpr double kMsPerSecond = 1000.0;
// Game time is a float: a repeat due in the very frame the clock reaches it
// must not slip to the next frame by a rounding.
constexpr double kSlackMs = 0.25;

// A long frame gives every repeat it owes up to a second's worth at the
// fastest interval: more than the well is wide or deep, so such a frame
// leaves the shape where short frames would, and a machine waking from
// sleep does not flood the round.
constexpr int kMostCaughtUp = 1000 / C_Settings::kMinRepeatInterval;

// How many repeats are due `heldMs` after the press: the first `firstMs`
// after it, then one every `everyMs`.
int RepeatsDue(double heldMs, int firstMs, int everyMs) {
    if (heldMs + kSlackMs < firstMs) {
        return 0;
    }
    return 1 + static_cast<int>(std::floor((heldMs - firstMs + kSlackMs) / everyMs));
}

// The second seat's keys that the first seat reads too are left to the first.
std::vector<MoveBinding> OwnBindings(const C_Settings& settings, int seat) {
    std::vector<MoveBinding> own = MoveBindings(settings, seat);
    if (seat == 0) {
        return own;
    }
    std::vector<int> earlier;
    for (const MoveBinding& binding : MoveBindings(settings, 0)) {
        if (!binding.pad) {
            earlier.push_back(binding.code);
        }
    }
    for (int i = 0; i < kGameActionCount; ++i) {
        earlier.push_back(settings.GetKey(static_cast<GameAction>(i), 0));
    }
    own.erase(std::remove_if(own.begin(), own.end(),
                             [&](const MoveBinding& binding) {
                                 return !binding.pad && std::find(earlier.begin(), earlier.end(),
                                                                  binding.code) != earlier.end();
                             }),
              own.end());
    return own;
}

}  // namespace

C_SeatKeys::C_SeatKeys(const C_Settings& settings, int seatIn)
    : seat(seatIn), repeat(settings.GetMoveRepeat(seatIn)) {
    for (const MoveBinding& binding : OwnBindings(settings, seat)) {
        latched.push_back({binding, 0});
        held.push_back({binding});
    }
    for (int i = 0; i < kGameActionCount; ++i) {
        const auto action = static_cast<GameAction>(i);
        bound[static_cast<size_t>(i)] = {settings.GetKey(action, seat),
                                         settings.GetPadButton(action, seat)};
    }
    actions = ScreenBindingsOf(settings, seat);
    if (seat == 0) {
        padReader = [](const C_Controller& input, int button) {
            return input.GetPadButtonState(button);
        };
    } else {
        // No button of the controller's: which pad is the seat's is the screen's to say.
        actions.start.pad = -1;
        actions.pause.pad = -1;
        actions.menu.pad = -1;
    }
}

int C_SeatKeys::StateOf(const C_Controller& input, const MoveBinding& binding) const {
    if (!binding.pad) {
        return input.GetKeyboardKeyState(binding.code);
    }
    return padReader ? padReader(input, binding.code) : KEY_UP;
}

bool C_SeatKeys::ActionIs(const C_Controller& input, GameAction action, int state) const {
    const ActionBinding& binding = bound[static_cast<size_t>(action)];
    return input.GetKeyboardKeyState(binding.key) == state ||
           (padReader && padReader(input, binding.pad) == state);
}

void C_SeatKeys::Idle(float gameTime) {
    if (idleFrom < 0.0) {
        idleFrom = gameTime;
    }
}

void C_SeatKeys::Steer(const C_Controller& input, float gameTime, int shape,
                       const std::function<void(RoundCommand)>& give) {
    if (!repeat.repeating) {
        for (LatchedBinding& key : latched) {
            SteerLatched(&key, StateOf(input, key.binding), give);
        }
        return;
    }
    const double now = gameTime;
    if (idleFrom >= 0.0) {
        for (HeldKey& key : held) {
            key.pressedAt += now - idleFrom;
        }
        idleFrom = -1.0;
    }
    for (HeldKey& key : held) {
        SteerHeld(&key, StateOf(input, key.binding), now, shape, give);
    }
}

void C_SeatKeys::SteerHeld(HeldKey* key, int state, double now, int shape,
                           const std::function<void(RoundCommand)>& give) const {
    const RoundCommand command = key->binding.command;
    if (state != KEY_HELD) {
        key->down = false;
        key->spent = false;
        return;
    }
    if (!key->down) {
        *key = {key->binding, true, now, 0, shape, false};
        give(command);
        return;
    }
    const double heldMs = (now - key->pressedAt) * kMsPerSecond;
    int due = 0;
    if (command == COMMAND_LEFT || command == COMMAND_RIGHT) {
        due = RepeatsDue(heldMs, repeat.delayMs, repeat.intervalMs);
    } else if (command == COMMAND_DROP_STEP) {
        key->spent = key->spent || shape != key->shape;
        due = key->spent ? 0 : RepeatsDue(heldMs, repeat.intervalMs, repeat.intervalMs);
    }
    const int owed = std::min(due - key->repeatsGiven, kMostCaughtUp);
    for (int i = 0; i < owed; ++i) {
        give(command);
    }
    key->repeatsGiven = std::max(due, key->repeatsGiven);
}
