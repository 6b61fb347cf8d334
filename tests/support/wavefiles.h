#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/imagefiles.h"

// What a fixture WAV file holds. The samples are raw data-chunk bytes.
struct WaveLayout {
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
std::vector<uint8_t> BuildWave(const WaveLayout& layout);

// `frames` frames of a 16-bit stereo ramp: left counts up, right down.
std::vector<uint8_t> StereoRamp(int frames);

// A fresh working directory (see ImageDirectory) with empty "images" and
// "wavs" folders while this lives.
class ScratchDirectory {
public:
    ScratchDirectory();

    // Writes `bytes` as wavs/`name`.
    void WriteWave(const std::string& name, const std::vector<uint8_t>& bytes) const;
    void RemoveWave(const std::string& name) const;
    const ImageDirectory& Images() const { return images; }

private:
    ImageDirectory images;
};
