#pragma once

// The screens the model can switch to; SetNextState takes only these.
enum StateId {
    STATE_MENU = 1,
    STATE_PONG = 2,
    STATE_DEMO_A = 3,
    STATE_DEMO_B = 4,
    STATE_QUIT = 5,
    STATE_GAMEOVER_LOST = 6,
    STATE_GAMEOVER_WON = 7,
    STATE_PLAY = 8,
    STATE_INSTRUCTIONS = 9,
    STATE_VERSUS = 10,
    STATE_MATCH = 11,
    STATE_SETTINGS = 12,
    STATE_SCORES = 13,
    // The play screen watching a replay the model hands it.
    STATE_REPLAY = 14,
};
