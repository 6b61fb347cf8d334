#pragma once

#include <SDL_mixer.h>

#include <string>

namespace platform {

// The SDL_mixer calls the sound code makes, from the library loaded when
// sound first starts rather than with the program: it and the libraries it
// brings (seventeen on Debian) cost some 5 ms before the first frame.
struct MixerLibrary {
    decltype(&Mix_OpenAudioDevice) OpenAudioDevice = nullptr;
    decltype(&Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&Mix_QuerySpec) QuerySpec = nullptr;
    decltype(&Mix_AllocateChannels) AllocateChannels = nullptr;
    decltype(&Mix_QuickLoad_RAW) QuickLoadRaw = nullptr;
    decltype(&Mix_FreeChunk) FreeChunk = nullptr;
    decltype(&Mix_Volume) Volume = nullptr;
    decltype(&Mix_PlayChannel) PlayChannel = nullptr;
    decltype(&Mix_HaltChannel) HaltChannel = nullptr;
    decltype(&Mix_Playing) Playing = nullptr;
    decltype(&Mix_LoadMUS) LoadMusic = nullptr;
    decltype(&Mix_FreeMusic) FreeMusic = nullptr;
    decltype(&Mix_VolumeMusic) VolumeMusic = nullptr;
    decltype(&Mix_PlayMusic) PlayMusic = nullptr;
    decltype(&Mix_HaltMusic) HaltMusic = nullptr;
    decltype(&Mix_PlayingMusic) PlayingMusic = nullptr;
    decltype(&Mix_GetMusicPosition) GetMusicPosition = nullptr;
};

// The library, loaded by the first call that finds it; nullptr, with the
// reason in `error`, while it or one of its calls cannot be found.
const MixerLibrary* LoadMixer(std::string* error);
// The library once loaded, else nullptr.
const MixerLibrary* LoadedMixer();
// The loaded library's calls, for code that runs only while a sound device
// is open or a tune exists: opening the device loaded it.
const MixerLibrary& Mix();

}  // namespace platform
