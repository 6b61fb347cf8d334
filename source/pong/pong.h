#pragma once

#include "model/gamestate.h"

// Pong against the computer's paddle. Built by a later change.
class C_Pong : public C_GameState {
public:
    C_Pong() = default;
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}
};
