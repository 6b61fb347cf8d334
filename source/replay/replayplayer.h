#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "replay/replay.h"

class C_Match;
class C_Round;

// Plays a replay again frame by frame, as the screen that recorded it drove
// its round or match: each side's commands, the update at the frame's game
// time unless held, the draw step. The rounds are quiet; whoever shows them
// listens. The replay must outlive the player.
class C_ReplayPlayer {
public:
    explicit C_ReplayPlayer(const Replay& replay);
    ~C_ReplayPlayer();
    C_ReplayPlayer(const C_ReplayPlayer&) = delete;
    C_ReplayPlayer& operator=(const C_ReplayPlayer&) = delete;

    // Plays the next frame; false when every frame was played already.
    bool Step();
    void PlayToEnd();

    // Frames played so far, and the game time of the last update.
    uint32_t Frame() const { return frame; }
    float GameTime() const { return gameTime; }
    bool AtEnd() const { return frame >= replay.frames; }

    const C_Round& Round(int side) const;
    // The match being played, or null for a single game.
    const C_Match* Match() const { return match.get(); }

    // Whether the end reached is the one recorded (each side's score and
    // well, a match's winner); false with what differs in `why`.
    bool EndsAsRecorded(std::string& why) const;

private:
    // Where one line of runs is read from.
    struct Cursor {
        std::size_t run = 0;
        uint32_t used = 0;
    };
    template <typename Run>
    static const Run& Next(const std::vector<Run>& runs, Cursor& cursor);

    const Replay& replay;
    std::unique_ptr<C_Round> round;
    std::unique_ptr<C_Match> match;
    Cursor time;
    std::array<Cursor, kMatchSides> commands{};
    uint32_t frame = 0;
    float gameTime = 0.0f;
};
