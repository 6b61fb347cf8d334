#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// What a fixture WAV file holds. The samples are raw data-chunk bytes.
struct WaveSpec {
    int formatTag = 1;
    int channels = 2;
    int rate = 44100;
    int bits = 16;
    std::vector<uint8_t> samples;
    // 18 with the extra-size field, 16 without it (both are common).
    uint32_t formatBytes = 18;
    // A LIST chunk of this many bytes before the format chunk (0: none).
    uint32_t listBytesBeforeFormat = 0;
    // What the data chunk's header claims; 0 means the true length.
    uint32_t claimedDataBytes = 0;
};

// The bytes of a RIFF/WAVE file as described.
std::vector<uint8_t> BuildWave(const WaveSpec& spec);

// `frames` frames of a 16-bit stereo ramp: left counts up, right down.
std::vector<uint8_t> StereoRamp(int frames);

// A fresh directory with an empty "wavs" folder, made the working directory
// while this lives; everything in it is removed afterwards.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Writes `bytes` as wavs/`name`.
    void WriteWave(const std::string& name, const std::vector<uint8_t>& bytes) const;
    void RemoveWave(const std::string& name) const;

private:
    std::filesystem::path root;
    std::filesystem::path previous;
};
