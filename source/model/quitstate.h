#pragma once

#include "model/gamestate.h"

// Ends the program: the event loop stops after the frame that built it.
class C_QuitState : public C_GameState {
public:
    C_QuitState();
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}
};
