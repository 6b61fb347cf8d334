#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "replay/replay.h"

class C_Controller;
class C_Font;
class C_ReplayPlayer;
class C_Round;

// Watching a replay on the screen of its game: the player's keys do
// nothing; Space or P pauses and goes on, the full stop steps one frame
// while paused, 1 to 5 choose the speeds x0.5, x1, x2, x4 and x16, Left and
// Right seek back and forward 10 s, and a click on the time bar under the
// well goes to that moment. A bar over the well says it is a replay.
// Played at one frame of the replay a drawn frame at x1.
class C_ReplayWatch {
public:
    // Plays `replay` into `round`, a fresh round of its seed and level that
    // the screen owns and shows.
    C_ReplayWatch(Replay replay, C_Round* round);
    // Plays a match's replay into a match of its own.
    explicit C_ReplayWatch(Replay replay);
    ~C_ReplayWatch();

    void HandleInput(const C_Controller& input);
    // One drawn frame: the replay's frames the speed gives it.
    void Advance();
    void Render(C_Font& font) const;

    C_ReplayPlayer& Player() { return *player; }
    const C_ReplayPlayer& Player() const { return *player; }
    const Replay& Watched() const { return replay; }
    bool Paused() const { return paused; }
    float Speed() const;
    uint32_t Frame() const;
    uint32_t Frames() const { return replay.frames; }
    // The frame `seconds` away from the one shown, within the replay.
    uint32_t FrameAfter(float seconds) const;
    void Seek(uint32_t frame);
    void SetSpeed(int choice);
    void SetPaused(bool on) { paused = on; }
    void StepOne();

    // The time bar's place, in window pixels.
    static constexpr int kBarLeft = 70;
    static constexpr int kBarRight = 290;
    static constexpr int kBarTop = 530;
    static constexpr int kBarBottom = 550;
    static constexpr float kSeekSeconds = 10.0f;

private:
    Replay replay;
    std::unique_ptr<C_ReplayPlayer> player;
    int speedChoice = 1;
    bool paused = false;
    // Frames owed at a speed below x1.
    float owed = 0.0f;
};
