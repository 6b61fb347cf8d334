#include "screens/gamesounds.h"

#include "audio/wave.h"
#include "core/error.h"

namespace {

constexpr const char* kFiles[kGameSounds] = {"move.wav", "turn.wav", "land.wav",   "row.wav",
                                             "lost.wav", "sent.wav", "arrived.wav"};
constexpr int kFullVolume = 100;

}  // namespace

C_GameSounds::C_GameSounds() {
    for (size_t i = 0; i < waves.size(); ++i) {
        // Shared: every screen that plays them uses the one buffer of each.
        waves[i] = std::make_unique<C_Wave>(kFiles[i], 1);
        if (!waves[i]->Load()) {
            DXError("gamesounds", __LINE__, 0, "Failed to load wave!");
        }
    }
}

C_GameSounds::~C_GameSounds() = default;

void C_GameSounds::Play(GameSound sound) {
    waves[static_cast<size_t>(sound)]->Play(kFullVolume);
}

void C_GameSounds::Happened(RoundEvent event) {
    switch (event) {
        case EVENT_SHAPE_MOVED:
            Play(GAME_SOUND_MOVE);
            break;
        case EVENT_SHAPE_TURNED:
            Play(GAME_SOUND_TURN);
            break;
        case EVENT_SHAPE_LANDED:
            Play(GAME_SOUND_LAND);
            break;
        case EVENT_ROWS_FULL:
            Play(GAME_SOUND_ROW);
            break;
        case EVENT_ROWS_PUSHED_IN:
            Play(GAME_SOUND_ARRIVED);
            break;
        case EVENT_LOST:
            Play(GAME_SOUND_LOST);
            break;
        default:
            break;
    }
}
