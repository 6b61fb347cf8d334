#pragma once

enum OpponentStrength { STRENGTH_EASY, STRENGTH_MEDIUM, STRENGTH_HARD };

// Who plays the other side of a match.
enum class MatchWith {
    Computer,
    // The match the network's link has begun; against the computer when the
    // link has none started.
    Network,
    // A second player at this machine.
    SecondPlayer,
    // Nobody here: the room the network watches at a relay, both sides
    // seen as their snapshots show them.
    Watched,
};

// What a match starts with, handed from the screen that chose it to the one
// that plays it.
struct MatchSetup {
    int level = 0;
    OpponentStrength strength = STRENGTH_MEDIUM;
    MatchWith with = MatchWith::Computer;
};
