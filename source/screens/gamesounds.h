#pragma once

#include <array>
#include <memory>

class C_Wave;

// The short sounds of a game beside the board's own flow and cycle sounds:
// a move, a turn, a shape landing, a row completed and the game lost. Each
// plays at the effects volume, so at 0 none does.
enum GameSound {
    GAME_SOUND_MOVE,
    GAME_SOUND_TURN,
    GAME_SOUND_LAND,
    GAME_SOUND_ROW,
    GAME_SOUND_LOST
};
constexpr int kGameSounds = 5;

class C_GameSounds {
public:
    // Loads every sound, reporting one that fails.
    C_GameSounds();
    ~C_GameSounds();
    C_GameSounds(const C_GameSounds&) = delete;
    C_GameSounds& operator=(const C_GameSounds&) = delete;

    void Play(GameSound sound);
    C_Wave* GetWave(GameSound sound) const { return waves[static_cast<size_t>(sound)].get(); }

private:
    std::array<std::unique_ptr<C_Wave>, kGameSounds> waves;
};
