#include "platform/mixerlibrary.h"

#include <SDL.h>

namespace platform {
namespace {

// The name the library's package installs it under, on each system.
#if defined(_WIN32)
constexpr const char* kMixerFile = "SDL2_mixer.dll";
#elif defined(__APPLE__)
constexpr const char* kMixerFile = "libSDL2_mixer-2.0.0.dylib";
#else
constexpr const char* kMixerFile = "libSDL2_mixer-2.0.so.0";
#endif

// Plain data: sounds may outlive everything else at process exit, and the
// library stays loaded until then.
MixerLibrary g_mixer;
bool g_loaded = false;

template <typename Call>
bool Find(void* library, const char* name, Call* call, std::string* error) {
    *call = reinterpret_cast<Call>(SDL_LoadFunction(library, name));
    if (*call == nullptr) {
        *error = std::string(kMixerFile) + " has no " + name;
    }
    return *call != nullptr;
}

}  // namespace

const MixerLibrary* LoadMixer(std::string* error) {
    if (g_loaded) {
        return &g_mixer;
    }
    void* library = SDL_LoadObject(kMixerFile);
    if (library == nullptr) {
        *error = SDL_GetError();
        return nullptr;
    }
    MixerLibrary found;
    const bool complete = Find(library, "Mix_OpenAudioDevice", &found.OpenAudioDevice, error) &&
                          Find(library, "Mix_CloseAudio", &found.CloseAudio, error) &&
                          Find(library, "Mix_QuerySpec", &found.QuerySpec, error) &&
                          Find(library, "Mix_AllocateChannels", &found.AllocateChannels, error) &&
                          Find(library, "Mix_QuickLoad_RAW", &found.QuickLoadRaw, error) &&
                          Find(library, "Mix_FreeChunk", &found.FreeChunk, error) &&
                          Find(library, "Mix_Volume", &found.Volume, error) &&
                          Find(library, "Mix_PlayChannel", &found.PlayChannel, error) &&
                          Find(library, "Mix_HaltChannel", &found.HaltChannel, error) &&
                          Find(library, "Mix_Playing", &found.Playing, error) &&
                          Find(library, "Mix_LoadMUS", &found.LoadMusic, error) &&
                          Find(library, "Mix_FreeMusic", &found.FreeMusic, error) &&
                          Find(library, "Mix_VolumeMusic", &found.VolumeMusic, error) &&
                          Find(library, "Mix_PlayMusic", &found.PlayMusic, error) &&
                          Find(library, "Mix_HaltMusic", &found.HaltMusic, error) &&
                          Find(library, "Mix_PlayingMusic", &found.PlayingMusic, error) &&
                          Find(library, "Mix_GetMusicPosition", &found.GetMusicPosition, error);
    if (!complete) {
        // An older library than the one built against: the game stays silent.
        SDL_UnloadObject(library);
        return nullptr;
    }
    g_mixer = found;
    g_loaded = true;
    return &g_mixer;
}

const MixerLibrary* LoadedMixer() {
    return g_loaded ? &g_mixer : nullptr;
}

const MixerLibrary& Mix() {
    return g_mixer;
}

}  // namespace platform
