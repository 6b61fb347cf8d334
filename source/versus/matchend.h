#pragma once

#include <array>
#include <optional>

enum MatchSide { SIDE_PLAYER = 0, SIDE_OPPONENT = 1 };
constexpr int kMatchSides = 2;
// What a match's winner is while it goes on, and when both sides lost at one
// time on one machine.
constexpr int kNoWinner = -1;
constexpr int kDraw = 2;

constexpr int OtherSide(int side) {
    return kMatchSides - 1 - side;
}

// Who won a match, whatever plays it. Asked once each side's end is known:
// on one machine at every frame, since both sides play on one clock and the
// first loss ends it; over the network once the link has both sides' ends.
struct MatchEnd {
    // Each side's loss at its own game time (one unit for both); none for a
    // side that played on.
    std::array<std::optional<double>, kMatchSides> losses{};
    // A side that left or was dropped before the end.
    std::array<bool, kMatchSides> left{};
    // Who wins two losses at one time: on one machine, where both wells
    // topped out in the same frame, nobody; over the network the host's side,
    // so that both machines name the same winner without a word more.
    int tie = kDraw;

    // A side gone leaves the other the win; of two losses the earlier loses;
    // one loss loses. kNoWinner while neither has lost or gone.
    int Winner() const;
};
