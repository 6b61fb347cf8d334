#pragma once

#include <chrono>
#include <memory>

#include "net/net.h"
#include "support/lossyrelay.h"
#include "versus/netmatch.h"
#include "versus/opponent.h"

// A host on a port of its own and a joiner reaching it through a relay with
// `settings`, both networks started and the join under way.
std::unique_ptr<LossyRelay> HostAndJoin(std::unique_ptr<C_Net>* host,
                                        std::unique_ptr<C_Net>* joiner,
                                        const LossyRelay::Settings& settings);

// One machine of a network match the computer plays: its network and, once
// a match has begun, the match and the computer on this machine's clock,
// `speed` game seconds to a wall second.
struct NetPlayer {
    std::unique_ptr<C_Net> net;
    std::unique_ptr<C_NetMatch> match;
    std::unique_ptr<C_Opponent> opponent;
    OpponentStrength strength = STRENGTH_EASY;
    float speed = 1.0f;
    std::chrono::steady_clock::time_point began = std::chrono::steady_clock::now();

    // The network's news; until a match begins the lobby's events, then the
    // computer's move and the match's update at this machine's time.
    void Frame();
    bool Over() const { return match && match->Over(); }
};
