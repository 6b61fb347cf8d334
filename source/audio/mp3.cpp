#include "audio/mp3.h"

#include <fstream>

#include "audio/wave.h"
#include "core/error.h"
#include "core/hresult.h"

namespace {

const char* const kMusicDirectory = "./mp3s/";

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

C_Mp3::~C_Mp3() = default;

void C_Mp3::Play() {
    if (SoundDeviceMissing()) {
        return;
    }
    if (!music) {
        // Nothing was opened: there is nothing to start.
        Report(__LINE__, 0, "mp3.play warning no iFiltCount!");
        return;
    }
    if (!music->Play()) {
        Report(__LINE__, E_FAIL, "mp3.play failed Run");
    }
}

void C_Mp3::Stop() {
    if (music) {
        music->Stop();
    }
}
