#pragma once

#include "model/gamestate.h"

// How to play, with buttons to play, return to the menu or quit. Built by a later change.
class C_Instructions : public C_GameState {
public:
    C_Instructions() = default;
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}
};
