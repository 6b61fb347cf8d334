#pragma once

#include "model/gamestate.h"

// The puzzle's play screen. Built by a later change.
class C_PlayScreen : public C_GameState {
public:
    C_PlayScreen() = default;
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}
};
