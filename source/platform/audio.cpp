#include "platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>

#include "platform/mixerlibrary.h"
#include "platform/music.h"

namespace platform {
namespace {

// Enough for every sound the system keeps at once, with room for tests.
constexpr int kMixerChannels = 64;

// Plain data only: buffers may outlive everything else at process exit.
bool g_deviceOpen = false;
int g_deviceGeneration = 0;
bool g_channelTaken[kMixerChannels] = {};
bool g_deviceRefused = false;

int TakeChannel() {
    for (int channel = 0; channel < kMixerChannels; ++channel) {
        if (!g_channelTaken[channel]) {
            g_channelTaken[channel] = true;
            return channel;
        }
    }
    return -1;
}

}  // namespace

int MixerVolume(int hundredthsOfDecibel) {
    const double amplitude = std::pow(10.0, hundredthsOfDecibel / 2000.0);
    const long volume = std::lround(amplitude * MIX_MAX_VOLUME);
    if (volume < 0) {
        return 0;
    }
    return volume > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : static_cast<int>(volume);
}

void StopAllSounds() {
    if (g_deviceOpen) {
        Mix().HaltChannel(-1);
    }
}

SoundDevice::~SoundDevice() {
    if (!open) {
        return;
    }
    Mix().HaltChannel(-1);
    CloseAllMusic();
    Mix().CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    for (bool& taken : g_channelTaken) {
        taken = false;
    }
    g_deviceOpen = false;
}

void SetSoundDeviceRefused(bool refuse) {
    g_deviceRefused = refuse;
}

bool SoundDevice::Open() {
    if (open) {
        return true;
    }
    if (g_deviceRefused) {
        lastError = "no sound device";
        return false;
    }
    if (g_deviceOpen) {
        lastError = "another sound device is open";
        return false;
    }
    if (LoadMixer(&lastError) == nullptr) {
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        lastError = SDL_GetError();
        return false;
    }
    // No format change allowed: the buffers hold exactly this format.
    if (Mix().OpenAudioDevice(kSoundRate, AUDIO_S16SYS, kSoundChannels, 1024, nullptr, 0) != 0) {
        lastError = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix().AllocateChannels(kMixerChannels);
    open = true;
    g_deviceOpen = true;
    ++g_deviceGeneration;
    return true;
}

struct SoundBuffer::Impl {
    Mix_Chunk* chunk = nullptr;
    int channel = -1;
    int generation = 0;
};

std::unique_ptr<SoundBuffer> SoundBuffer::Create(SoundDevice& device,
                                                 std::vector<int16_t> samples) {
    if (!device.IsOpen() || samples.size() < static_cast<size_t>(kSoundChannels)) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->channel = TakeChannel();
    if (impl->channel < 0) {
        return nullptr;
    }
    impl->generation = g_deviceGeneration;
    std::unique_ptr<SoundBuffer> buffer(new SoundBuffer(std::move(samples), std::move(impl)));
    // The chunk refers to the buffer's own samples, which stay put while it lives.
    buffer->impl->chunk =
        Mix().QuickLoadRaw(reinterpret_cast<Uint8*>(buffer->samples.data()),
                           static_cast<Uint32>(buffer->samples.size() * sizeof(int16_t)));
    if (buffer->impl->chunk == nullptr) {
        return nullptr;
    }
    Mix().Volume(buffer->impl->channel, MixerVolume(buffer->volume));
    return buffer;
}

SoundBuffer::SoundBuffer(std::vector<int16_t> samplesIn, std::unique_ptr<Impl> implIn)
    : samples(std::move(samplesIn)), impl(std::move(implIn)) {}

SoundBuffer::~SoundBuffer() {
    if (Live()) {
        Mix().HaltChannel(impl->channel);
        g_channelTaken[impl->channel] = false;
    }
    if (impl->chunk != nullptr) {
        // Does not touch the samples: the chunk was made over memory we own.
        Mix().FreeChunk(impl->chunk);
    }
}

bool SoundBuffer::Live() const {
    return g_deviceOpen && impl->generation == g_deviceGeneration;
}

bool SoundBuffer::SetVolume(int hundredthsOfDecibel) {
    if (!Live() || hundredthsOfDecibel < kVolumeMin || hundredthsOfDecibel > kVolumeMax) {
        return false;
    }
    volume = hundredthsOfDecibel;
    Mix().Volume(impl->channel, MixerVolume(volume));
    return true;
}

bool SoundBuffer::Rewind() {
    if (!Live()) {
        return false;
    }
    // The mixer always starts a chunk at its first frame, so halting is the rewind.
    Mix().HaltChannel(impl->channel);
    return true;
}

bool SoundBuffer::Play() {
    if (!Live() || Mix().PlayChannel(impl->channel, impl->chunk, 0) < 0) {
        return false;
    }
    ++plays;
    return true;
}

void SoundBuffer::Stop() {
    if (Live()) {
        Mix().HaltChannel(impl->channel);
    }
}

bool SoundBuffer::IsPlaying() const {
    return Live() && Mix().Playing(impl->channel) != 0;
}

}  // namespace platform
