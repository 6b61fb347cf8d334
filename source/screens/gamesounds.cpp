#include "screens/gamesounds.h"

#include "audio/wave.h"
#include "core/error.h"

namespace {

constexpr const char* kFiles[kGameSounds] = {"move.wav", "turn.wav", "land.wav", "row.wav",
                                             "lost.wav"};
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
