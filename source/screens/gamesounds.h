#pragma once

#include <array>
#include <memory>

#include "puzzle/round.h"

class C_Tetromino;
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

// What of a round is heard when it changes, taken before an update.
struct RoundGlance {
    // Compared, never followed: the shape may be gone after the update.
    const C_Tetromino* falling = nullptr;
    int rowsCleared = 0;
    int mode = MODE_IDLE;
    int rowsPushedIn = 0;
};

// Every screen that shows the player's own round sounds it through here, so
// a game and a match are heard alike.
class C_GameSounds {
public:
    // Loads every sound, reporting one that fails.
    C_GameSounds();
    ~C_GameSounds();
    C_GameSounds(const C_GameSounds&) = delete;
    C_GameSounds& operator=(const C_GameSounds&) = delete;

    void Play(GameSound sound);
    C_Wave* GetWave(GameSound sound) const { return waves[static_cast<size_t>(sound)].get(); }

    // Gives `round` the command, with the sound of a move or turn it made.
    void Give(C_Round* round, RoundCommand command);
    static RoundGlance Glance(const C_Round& round);
    // The sounds of what changed since `before`: a landing, rows completed,
    // the game lost, junk rows pushed in.
    void PlayChanges(const RoundGlance& before, const C_Round& round);

private:
    std::array<std::unique_ptr<C_Wave>, kGameSounds> waves;
};
