#pragma once

#include "model/gamestate.h"

// Image formats and alpha blending. Built by a later change.
class C_DemoA : public C_GameState {
public:
    C_DemoA() = default;
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}
};
