#pragma once

#include <array>
#include <memory>

#include "puzzle/roundevents.h"

class C_Wave;

// The short sounds of a game beside the board's own flow and cycle sounds:
// a move, a turn, a shape landing, a row completed, the game lost, and in a
// match rows sent to the other player and rows pushed into this one's well.
// Each plays at the effects volume, so at 0 none does.
enum GameSound {
    GAME_SOUND_MOVE,
    GAME_SOUND_TURN,
    GAME_SOUND_LAND,
    GAME_SOUND_ROW,
    GAME_SOUND_LOST,
    GAME_SOUND_SENT,
    GAME_SOUND_ARRIVED
};
constexpr int kGameSounds = 7;

// Every screen that shows the player's own round listens to it with one of
// these, so a game and a match are heard alike; a round nobody listens to
// makes no sound.
class C_GameSounds : public C_RoundEvents {
public:
    // Loads every sound, reporting one that fails.
    C_GameSounds();
    ~C_GameSounds() override;
    C_GameSounds(const C_GameSounds&) = delete;
    C_GameSounds& operator=(const C_GameSounds&) = delete;

    void Play(GameSound sound);
    C_Wave* GetWave(GameSound sound) const { return waves[static_cast<size_t>(sound)].get(); }

    // A move or turn made, a landing, rows completed, the game lost, junk
    // rows pushed in: each with its sound.
    void Happened(RoundEvent event) override;
    bool Listening() const override { return false; }

private:
    std::array<std::unique_ptr<C_Wave>, kGameSounds> waves;
};
