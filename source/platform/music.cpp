#include "platform/music.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

#include "platform/audio.h"
#include "platform/mixerlibrary.h"

namespace platform {

struct Music::Impl {
    Mix_Music* native = nullptr;
    // Every open tune, so the device can free them before it closes.
    Impl* previous = nullptr;
    Impl* next = nullptr;
};

namespace {

// Plain data only: tunes may outlive everything else at process exit.
Music::Impl* g_openTunes = nullptr;
// The tune last started; it is the one playing while the channel plays.
const Music::Impl* g_lastStarted = nullptr;
int g_musicAttenuation = 0;

bool DeviceOpen() {
    const MixerLibrary* mixer = LoadedMixer();
    return mixer != nullptr && mixer->QuerySpec(nullptr, nullptr, nullptr) != 0;
}

}  // namespace

std::unique_ptr<Music> Music::Open(const std::string& path, std::string* error) {
    // The mixer decodes for the device's format, so it must be open first.
    if (!DeviceOpen()) {
        *error = "the sound device is closed";
        return nullptr;
    }
    Mix_Music* native = Mix().LoadMusic(path.c_str());
    if (native == nullptr) {
        *error = SDL_GetError();
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->native = native;
    impl->next = g_openTunes;
    if (g_openTunes != nullptr) {
        g_openTunes->previous = impl.get();
    }
    g_openTunes = impl.get();
    return std::unique_ptr<Music>(new Music(std::move(impl)));
}

Music::Music(std::unique_ptr<Impl> implIn) : impl(std::move(implIn)) {}

Music::~Music() {
    if (impl->native != nullptr) {
        // Halts the tune first if it is playing.
        Mix().FreeMusic(impl->native);
        impl->native = nullptr;
    }
    if (g_lastStarted == impl.get()) {
        g_lastStarted = nullptr;
    }
    if (impl->previous != nullptr) {
        impl->previous->next = impl->next;
    } else if (g_openTunes == impl.get()) {
        g_openTunes = impl->next;
    }
    if (impl->next != nullptr) {
        impl->next->previous = impl->previous;
    }
}

bool Music::Live() const {
    return impl->native != nullptr;
}

bool Music::Play() {
    return Start(0);
}

bool Music::PlayLooping() {
    return Start(-1);
}

bool Music::Start(int loops) {
    if (!Live()) {
        return false;
    }
    // A volume set while no device was open reached no mixer.
    Mix().VolumeMusic(MixerVolume(g_musicAttenuation));
    // The one music channel: starting halts what it played, so a tune never
    // plays twice over itself. Looping, the decoder seeks back to the first
    // sample as it reaches the last, so the seam is as smooth as the tune.
    if (Mix().PlayMusic(impl->native, loops) != 0) {
        return false;
    }
    g_lastStarted = impl.get();
    ++plays;
    return true;
}

void Music::Stop() {
    if (IsPlaying()) {
        Mix().HaltMusic();
    }
}

bool Music::IsPlaying() const {
    return Live() && g_lastStarted == impl.get() && Mix().PlayingMusic() != 0;
}

double Music::Position() const {
    if (!Live()) {
        return -1.0;
    }
    return Mix().GetMusicPosition(impl->native);
}

bool MusicPlaying() {
    return DeviceOpen() && Mix().PlayingMusic() != 0;
}

void SetMusicAttenuation(int hundredthsOfDecibel) {
    g_musicAttenuation =
        std::clamp(hundredthsOfDecibel, SoundBuffer::kVolumeMin, SoundBuffer::kVolumeMax);
    if (DeviceOpen()) {
        Mix().VolumeMusic(MixerVolume(g_musicAttenuation));
    }
}

int MusicMixerVolume() {
    // The library starts at full volume.
    return LoadedMixer() != nullptr ? Mix().VolumeMusic(-1) : MIX_MAX_VOLUME;
}

void StopMusic() {
    if (DeviceOpen()) {
        Mix().HaltMusic();
    }
}

void CloseAllMusic() {
    if (LoadedMixer() == nullptr) {
        return;
    }
    if (g_lastStarted != nullptr) {
        Mix().HaltMusic();
        g_lastStarted = nullptr;
    }
    for (Music::Impl* tune = g_openTunes; tune != nullptr; tune = tune->next) {
        Mix().FreeMusic(tune->native);
        tune->native = nullptr;
    }
}

}  // namespace platform
