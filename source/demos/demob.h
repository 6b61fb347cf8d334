#pragma once

#include "model/gamestate.h"

// Bouncing balls with music. Built by a later change.
class C_DemoB : public C_GameState {
public:
    C_DemoB() = default;
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}
};
