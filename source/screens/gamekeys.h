#pragma once

#include <functional>
#include <vector>

#include "puzzle/round.h"
#include "store/settings.h"

class C_Controller;

// A key (DIK_) or a controller button (PAD_) that moves the falling shape in
// a game, and the command it gives.
struct MoveBinding {
    bool pad;
    int code;
    RoundCommand command;
};

// The command of one of the five actions that move the shape; false for
// start, pause and menu.
bool MoveCommandOf(GameAction action, RoundCommand* command);

// The action a key or button does in a game whatever the settings say: the
// keypad's 7 9 4 6 5, Up and the d-pad's up keep the moves they always had.
// False for every other one.
bool FixedGameAction(bool pad, int code, GameAction* action);

// Every key and button that moves the seat's shape: the fixed ones and the
// settings' ones, each code once, the keys in the order the game has always
// read them (the keypad's, then the settings' turns, Up, then the settings'
// moves and drop), then the buttons. The keypad and Up are the first seat's;
// the d-pad's up is every seat's, on its own pad.
std::vector<MoveBinding> MoveBindings(const C_Settings& settings, int seat = 0);

// A key or button that moves the shape, with its own latch, so that every
// one acts one frame after its own release.
struct LatchedBinding {
    MoveBinding binding;
    int latch = 0;
};

// MoveBindings(settings, seat), each with a latch of its own.
std::vector<LatchedBinding> LatchedBindings(const C_Settings& settings, int seat = 0);

// One frame of a latched binding whose key or button reads `state` (KEY_HELD
// ...): a move or turn one frame after its release, a drop step every second
// frame a drop key is held.
void SteerLatched(LatchedBinding* key, int state, const std::function<void(RoundCommand)>& give);

// Whether `input`'s keyboard key or controller button reads `state`
// (KEY_HELD ...): an action bound to both answers to either.
bool KeyOrPadIs(const C_Controller& input, int key, int padButton, int state);

// The key and controller button of one action; it answers to either.
struct ActionBinding {
    int key = 0;
    int pad = 0;
    bool Is(const C_Controller& input, int state) const {
        return KeyOrPadIs(input, key, pad, state);
    }
};

// Start, pause and menu, as a screen that runs a round reads them.
struct ScreenBindings {
    ActionBinding start;
    ActionBinding pause;
    ActionBinding menu;
};
ScreenBindings ScreenBindingsOf(const C_Settings& settings, int seat = 0);
