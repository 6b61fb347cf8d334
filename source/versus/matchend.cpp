#include "versus/matchend.h"

int MatchEnd::Winner() const {
    for (int side = 0; side < kMatchSides; ++side) {
        if (left[static_cast<size_t>(side)]) {
            return OtherSide(side);
        }
    }
    const auto& [player, opponent] = losses;
    if (player && opponent) {
        if (*player == *opponent) {
            return tie;
        }
        return *player < *opponent ? SIDE_OPPONENT : SIDE_PLAYER;
    }
    if (player) {
        return SIDE_OPPONENT;
    }
    return opponent ? SIDE_PLAYER : kNoWinner;
}
