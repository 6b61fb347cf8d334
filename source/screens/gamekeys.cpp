#include "screens/gamekeys.h"

#include <algorithm>

#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "input/controller.h"

namespace {

struct FixedBinding {
    bool pad;
    int code;
    GameAction action;
};

constexpr FixedBinding kFixedKeypad[] = {
    {false, DIK_NUMPAD7, GameAction::RotateCounterClockwise},
    {false, DIK_NUMPAD9, GameAction::RotateClockwise},
    {false, DIK_NUMPAD4, GameAction::MoveLeft},
    {false, DIK_NUMPAD6, GameAction::MoveRight},
    {false, DIK_NUMPAD5, GameAction::Drop},
};
constexpr FixedBinding kFixedUp = {false, DIK_UP, GameAction::RotateClockwise};
constexpr FixedBinding kFixedPadUp = {true, PAD_DPAD_UP, GameAction::RotateClockwise};

constexpr GameAction kTurns[] = {GameAction::RotateCounterClockwise, GameAction::RotateClockwise};
constexpr GameAction kMoves[] = {GameAction::MoveLeft, GameAction::MoveRight, GameAction::Drop};

class BindingList {
public:
    void Add(bool pad, int code, GameAction action) {
        RoundCommand command = COMMAND_START;
        const bool known = std::any_of(list.begin(), list.end(), [&](const MoveBinding& b) {
            return b.pad == pad && b.code == code;
        });
        if (!known && MoveCommandOf(action, &command)) {
            list.push_back({pad, code, command});
        }
    }
    void Add(const FixedBinding& fixed) { Add(fixed.pad, fixed.code, fixed.action); }

    std::vector<MoveBinding> list;
};

}  // namespace

bool MoveCommandOf(GameAction action, RoundCommand* command) {
    switch (action) {
        case GameAction::MoveLeft:
            *command = COMMAND_LEFT;
            return true;
        case GameAction::MoveRight:
            *command = COMMAND_RIGHT;
            return true;
        case GameAction::RotateCounterClockwise:
            *command = COMMAND_TURN_COUNTER_CLOCKWISE;
            return true;
        case GameAction::RotateClockwise:
            *command = COMMAND_TURN_CLOCKWISE;
            return true;
        case GameAction::Drop:
            *command = COMMAND_DROP_STEP;
            return true;
        default:
            return false;
    }
}

bool FixedGameAction(bool pad, int code, GameAction* action) {
    for (const FixedBinding& fixed : kFixedKeypad) {
        if (fixed.pad == pad && fixed.code == code) {
            *action = fixed.action;
            return true;
        }
    }
    for (const FixedBinding& fixed : {kFixedUp, kFixedPadUp}) {
        if (fixed.pad == pad && fixed.code == code) {
            *action = fixed.action;
            return true;
        }
    }
    return false;
}

std::vector<MoveBinding> MoveBindings(const C_Settings& settings, int seat) {
    const bool first = seat == 0;
    BindingList bindings;
    for (const FixedBinding& fixed : kFixedKeypad) {
        if (first) {
            bindings.Add(fixed);
        }
    }
    for (const bool pad : {false, true}) {
        auto code = [&](GameAction action) {
            return pad ? settings.GetPadButton(action, seat) : settings.GetKey(action, seat);
        };
        for (const GameAction action : kTurns) {
            bindings.Add(pad, code(action), action);
        }
        if (pad || first) {
            bindings.Add(pad ? kFixedPadUp : kFixedUp);
        }
        for (const GameAction action : kMoves) {
            bindings.Add(pad, code(action), action);
        }
    }
    return bindings.list;
}

std::vector<LatchedBinding> LatchedBindings(const C_Settings& settings, int seat) {
    std::vector<LatchedBinding> keys;
    for (const MoveBinding& binding : MoveBindings(settings, seat)) {
        keys.push_back({binding, 0});
    }
    return keys;
}

void SteerLatched(LatchedBinding* key, int state, const std::function<void(RoundCommand)>& give) {
    const MoveBinding& binding = key->binding;
    int& latch = key->latch;
    if (binding.command == COMMAND_DROP_STEP) {
        // Every second held frame, starting with the first.
        if (state == KEY_HELD) {
            if (latch == 1) {
                latch = 0;
            } else {
                give(binding.command);
                latch = 1;
            }
        }
        return;
    }
    // Once per press, in the frame after the release (which reads 2).
    if (state == KEY_HELD && latch == 0) {
        latch = 1;
    } else if (state == KEY_UP && latch == 1) {
        give(binding.command);
        latch = 0;
    }
}

bool KeyOrPadIs(const C_Controller& input, int key, int padButton, int state) {
    return input.GetKeyboardKeyState(key) == state || input.GetPadButtonState(padButton) == state;
}

ScreenBindings ScreenBindingsOf(const C_Settings& settings, int seat) {
    auto of = [&settings, seat](GameAction action) {
        return ActionBinding{settings.GetKey(action, seat), settings.GetPadButton(action, seat)};
    };
    return {of(GameAction::Start), of(GameAction::Pause), of(GameAction::Menu)};
}
