#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"

// The layout of a PCM WAV file's sound, from its format chunk.
struct WaveFormat {
    int formatTag = 0;
    int channels = 0;
    int samplesPerSec = 0;
    int bitsPerSample = 0;
};

// Reads a RIFF/WAVE file held in memory: the "fmt " and "data" chunks are
// found by their identifiers inside the RIFF form, whatever comes before
// them. A data chunk longer than the file is cut to what the file holds.
// False for anything that is not PCM in a layout ConvertToDeviceFormat knows,
// or whose headers are cut short.
bool ReadWaveFile(const std::vector<uint8_t>& file, WaveFormat* format, std::vector<uint8_t>* data);

// The sound in the device format (16-bit stereo at 44 100 Hz): 8, 16, 24 or
// 32-bit, mono or stereo PCM at any rate, resampled by linear interpolation.
// A trailing partial frame is dropped.
std::vector<int16_t> ConvertToDeviceFormat(const WaveFormat& format,
                                           const std::vector<uint8_t>& data);

// One short sound effect read from "./wavs/". Shared waves of one file name
// use one buffer, kept in g_waveCache until ReleaseAllWaves.
class C_Wave {
public:
    // Opens the sound device first if no wave has yet. Reads nothing.
    C_Wave(std::string fileName, int32_t shared);
    // A wave that is not shared stops and releases its buffer.
    ~C_Wave();
    C_Wave(const C_Wave&) = delete;
    C_Wave& operator=(const C_Wave&) = delete;

    // False if already loaded or the file cannot be read as a sound; reports
    // nothing (the owner does). Where the sound device would not open, a
    // readable sound loads without a buffer.
    bool Load();
    // Rewinds and plays once at `volume` percent (100 full, 0 at -30 dB),
    // lowered by the effects volume; silent, without a report, where the
    // sound device would not open, and at an effects volume of 0.
    void Play(int32_t volume);
    void Stop();

    const std::string& GetFileName() const { return fileName; }
    // The buffer this wave plays, null when not loaded or after ReleaseAllWaves.
    platform::SoundBuffer* GetBuffer() const;

private:
    std::string fileName;
    // Owned by a wave that is not shared.
    std::unique_ptr<platform::SoundBuffer> buffer;
    // A shared wave looks its buffer up in the cache, so one released at
    // shutdown is never played afterwards.
    int32_t shared;
    int32_t loadedShared = 0;
};

// The one sound device; null until the first wave is made and after
// ReleaseAllWaves.
extern std::unique_ptr<platform::SoundDevice> g_pDirectSound;
// Shared buffers by bare file name; ReleaseAllWaves empties the entries but
// keeps the names.
extern std::map<std::string, std::unique_ptr<platform::SoundBuffer>> g_waveCache;

// Opens the sound device, reporting a failure; after a failure it neither
// tries nor reports again until ReleaseAllWaves.
void InitDirectSound();
// True from a failed InitDirectSound until ReleaseAllWaves: every sound of
// the run is then silent, and only that one failure was reported.
bool SoundDeviceMissing();
// Releases every shared buffer, then the sound device, and forgets a device
// that would not open. Called once at shutdown.
void ReleaseAllWaves();

// The player's volumes, for effects and for music, are steps from 0 to 10.
constexpr int kVolumeStepsFull = 10;

// The attenuation of a volume step, in hundredths of a decibel: 0 at step 10,
// and 10 dB less at every halving of the step, which is heard as half as
// loud (step 5 is -10 dB, step 1 about -33 dB). Step 0 is the least the
// mixer takes, but a step of 0 plays nothing at all.
int VolumeStepAttenuation(int step);

// The effects volume, clamped to 0..10 (10 at start): every wave plays its
// own attenuation lowered by the step's. At 0 no wave starts, and any
// sounding stops.
void SetEffectsVolume(int step);
int GetEffectsVolume();
