#pragma once

#include <vector>

#include "puzzle/round.h"
#include "store/settings.h"

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

// Every key and button that moves the shape: the fixed ones and the
// settings' ones, each code once, the keys in the order the game has always
// read them (the keypad's, then the settings' turns, Up, then the settings'
// moves and drop), then the buttons.
std::vector<MoveBinding> MoveBindings(const C_Settings& settings);
