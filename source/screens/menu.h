#pragma once

#include "model/gamestate.h"

// The main menu: starting level, instructions, quit. Built by a later change.
class C_Menu : public C_GameState {
public:
    C_Menu() = default;
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}
};
