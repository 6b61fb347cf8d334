#pragma once

enum OpponentStrength { STRENGTH_EASY, STRENGTH_MEDIUM, STRENGTH_HARD };

// What a match starts with, handed from the screen that chose it to the one
// that plays it.
struct MatchSetup {
    int level = 0;
    OpponentStrength strength = STRENGTH_MEDIUM;
    // The match the network's link has begun; against the computer when the
    // link has none started.
    bool network = false;
};
