#include "audio/mp3.h"

#include <algorithm>
#include <fstream>

#include "audio/wave.h"
#include "core/error.h"
#include "core/hresult.h"

namespace {

const char* const kMusicDirectory = "./mp3s/";

int g_musicVolume = kVolumeStepsFull;
// The tune that loops on the music channel, or would but for a volume of 0.
C_Mp3* g_loopingTune = nullptr;

void Report(int line, HRESULT hr, const std::string& message) {
    DXError("mp3", line, hr, message);
}

// Whether the first byte of the file can be read: all that can be asked of a
// tune without a device to decode it for.
bool Readable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in.get() != std::ifstream::traits_type::eof();
}

}  // namespace

C_Mp3::C_Mp3(std::string fileName) : path(kMusicDirectory + fileName) {
    // Music plays on the device the waves use, beside them.
    if (!g_pDirectSound) {
        InitDirectSound();
    }
    if (SoundDeviceMissing()) {
        if (!Readable(path)) {
            Report(__LINE__, E_FAIL, "AddSourceFilter failed (error loading mp3)");
        }
        return;
    }
    std::string reason;
    music = platform::Music::Open(path, &reason);
    if (!music) {
        Report(__LINE__, E_FAIL, "AddSourceFilter failed (error loading mp3)");
    }
}

C_Mp3::~C_Mp3() {
    if (g_loopingTune == this) {
        g_loopingTune = nullptr;
    }
}

void C_Mp3::Play() {
    if (SoundDeviceMissing()) {
        return;
    }
    if (!music) {
        // Nothing was opened: there is nothing to start.
        Report(__LINE__, 0, "mp3.play warning no iFiltCount!");
        return;
    }
    // This tune takes the one music channel, from a looping one too.
    g_loopingTune = nullptr;
    if (g_musicVolume == 0) {
        return;
    }
    if (!music->Play()) {
        Report(__LINE__, E_FAIL, "mp3.play failed Run");
    }
}

void C_Mp3::Loop() {
    if (SoundDeviceMissing()) {
        return;
    }
    if (!music) {
        Report(__LINE__, 0, "mp3.play warning no iFiltCount!");
        return;
    }
    // Screens that share a tune ask for it in turn; it goes on undisturbed.
    const bool alreadyLooping = g_loopingTune == this && music->IsPlaying();
    g_loopingTune = this;
    if (g_musicVolume != 0 && !alreadyLooping) {
        StartLooping();
    }
}

void C_Mp3::StartLooping() {
    if (!music->PlayLooping()) {
        Report(__LINE__, E_FAIL, "mp3.play failed Run");
    }
}

void C_Mp3::Stop() {
    if (g_loopingTune == this) {
        g_loopingTune = nullptr;
    }
    if (music) {
        music->Stop();
    }
}

void SetMusicVolume(int step) {
    const int before = g_musicVolume;
    g_musicVolume = std::clamp(step, 0, kVolumeStepsFull);
    platform::SetMusicAttenuation(VolumeStepAttenuation(g_musicVolume));
    if (g_musicVolume == 0) {
        platform::StopMusic();
    } else if (before == 0 && g_loopingTune != nullptr) {
        g_loopingTune->StartLooping();
    }
}

int GetMusicVolume() {
    return g_musicVolume;
}
