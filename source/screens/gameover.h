#pragma once

#include "model/gamestate.h"

// The game-over screen after Pong, won (1) or lost (0). Built by a later change.
class C_GameOver : public C_GameState {
public:
    explicit C_GameOver(int isWon) : won(isWon) {}
    void HandleInput() override {}
    void Update() override {}
    void Render() override {}

private:
    int won;
};
