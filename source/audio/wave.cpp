#include "audio/wave.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>

#include "core/error.h"
#include "core/hresult.h"

std::unique_ptr<platform::SoundDevice> g_pDirectSound;
std::map<std::string, std::unique_ptr<platform::SoundBuffer>> g_waveCache;

namespace {

// Set when the sound device would not open: the run goes on silent, and the
// device is neither tried nor reported again until ReleaseAllWaves.
bool g_soundDeviceMissing = false;
int g_effectsVolume = kVolumeStepsFull;

const char* const kWaveDirectory = "./wavs/";
constexpr int kPercentFull = 100;
constexpr int kAttenuationPerPercent = -30;
constexpr int kFormatPcm = 1;
constexpr size_t kChunkHeader = 8;
constexpr size_t kPcmFormatBytes = 16;
// Rates outside this range are not sound effects; refusing them also bounds
// the size of the converted sound.
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 768000;

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t Read16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool IdIs(const std::vector<uint8_t>& bytes, size_t at, const char* id) {
    return std::equal(id, id + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

bool KnownLayout(const WaveFormat& format) {
    const bool bitsKnown = format.bitsPerSample == 8 || format.bitsPerSample == 16 ||
                           format.bitsPerSample == 24 || format.bitsPerSample == 32;
    return format.formatTag == kFormatPcm && (format.channels == 1 || format.channels == 2) &&
           bitsKnown && format.samplesPerSec >= kLowestRate && format.samplesPerSec <= kHighestRate;
}

// One sample of the given width at `at`, scaled to 16 bits.
int16_t SampleAt(const std::vector<uint8_t>& data, size_t at, int bits) {
    switch (bits) {
        case 8:  // unsigned, centred on 128
            return static_cast<int16_t>((data[at] - 128) * 256);
        case 16:
            return static_cast<int16_t>(Read16(data, at));
        case 24:
            return static_cast<int16_t>(Read16(data, at + 1));
        default:
            return static_cast<int16_t>(Read16(data, at + 2));
    }
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, bool* ok) {
    std::ifstream in(path, std::ios::binary);
    *ok = static_cast<bool>(in);
    if (!*ok) {
        return {};
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Report(int line, HRESULT hr, const char* message) {
    DXError("wave", line, hr, message);
}

}  // namespace

bool ReadWaveFile(const std::vector<uint8_t>& file, WaveFormat* format,
                  std::vector<uint8_t>* data) {
    if (file.size() < 12 || !IdIs(file, 0, "RIFF") || !IdIs(file, 8, "WAVE")) {
        return false;
    }
    const uint64_t riffEnd = std::min<uint64_t>(kChunkHeader + Read32(file, 4), file.size());
    bool haveFormat = false;
    bool haveData = false;
    uint64_t at = 12;
    while (at + kChunkHeader <= riffEnd && !(haveFormat && haveData)) {
        const uint64_t length = Read32(file, at + 4);
        const uint64_t body = at + kChunkHeader;
        if (!haveFormat && IdIs(file, at, "fmt ")) {
            if (length < kPcmFormatBytes || body + kPcmFormatBytes > file.size()) {
                return false;
            }
            format->formatTag = Read16(file, body);
            format->channels = Read16(file, body + 2);
            format->samplesPerSec =
                static_cast<int>(std::min<uint32_t>(Read32(file, body + 4), INT_MAX));
            format->bitsPerSample = Read16(file, body + 14);
            haveFormat = true;
        } else if (!haveData && IdIs(file, at, "data")) {
            const uint64_t available = std::min<uint64_t>(length, file.size() - body);
            data->assign(file.begin() + static_cast<std::ptrdiff_t>(body),
                         file.begin() + static_cast<std::ptrdiff_t>(body + available));
            haveData = true;
        }
        at = body + length + (length & 1);  // chunks are padded to even lengths
    }
    return haveFormat && haveData && KnownLayout(*format);
}

std::vector<int16_t> ConvertToDeviceFormat(const WaveFormat& format,
                                           const std::vector<uint8_t>& data) {
    const size_t sampleBytes = static_cast<size_t>(format.bitsPerSample / 8);
    const size_t frameBytes = sampleBytes * static_cast<size_t>(format.channels);
    const size_t frames = frameBytes == 0 ? 0 : data.size() / frameBytes;
    std::vector<int16_t> stereo(frames * platform::kSoundChannels);
    for (size_t frame = 0; frame < frames; ++frame) {
        const size_t at = frame * frameBytes;
        const int16_t left = SampleAt(data, at, format.bitsPerSample);
        const int16_t right =
            format.channels == 2 ? SampleAt(data, at + sampleBytes, format.bitsPerSample) : left;
        stereo[2 * frame] = left;
        stereo[2 * frame + 1] = right;
    }
    const int64_t rate = format.samplesPerSec;
    if (rate == platform::kSoundRate || frames == 0) {
        return stereo;
    }
    // Output frame k sits at source position k * rate / 44100.
    const size_t outFrames =
        static_cast<size_t>(static_cast<int64_t>(frames) * platform::kSoundRate / rate);
    std::vector<int16_t> out(outFrames * platform::kSoundChannels);
    for (size_t k = 0; k < outFrames; ++k) {
        const int64_t position = static_cast<int64_t>(k) * rate;
        const size_t from = static_cast<size_t>(position / platform::kSoundRate);
        const size_t to = std::min(from + 1, frames - 1);
        const int64_t weight = position % platform::kSoundRate;
        for (size_t side = 0; side < 2; ++side) {
            const int64_t a = stereo[2 * from + side];
            const int64_t b = stereo[2 * to + side];
            out[2 * k + side] = static_cast<int16_t>(
                (a * (platform::kSoundRate - weight) + b * weight) / platform::kSoundRate);
        }
    }
    return out;
}

int VolumeStepAttenuation(int step) {
    if (step <= 0) {
        return platform::SoundBuffer::kVolumeMin;
    }
    if (step >= kVolumeStepsFull) {
        return 0;
    }
    constexpr double kPerHalving = -1000.0;
    return static_cast<int>(
        std::lround(kPerHalving * std::log2(static_cast<double>(kVolumeStepsFull) / step)));
}

void SetEffectsVolume(int step) {
    g_effectsVolume = std::clamp(step, 0, kVolumeStepsFull);
    if (g_effectsVolume == 0) {
        platform::StopAllSounds();
    }
}

int GetEffectsVolume() {
    return g_effectsVolume;
}

void InitDirectSound() {
    if (g_soundDeviceMissing) {
        return;
    }
    auto device = std::make_unique<platform::SoundDevice>();
    if (!device->Open()) {
        g_soundDeviceMissing = true;
        Report(__LINE__, E_FAIL, "Couldn't init DirectSound");
        return;
    }
    g_pDirectSound = std::move(device);
}

bool SoundDeviceMissing() {
    return g_soundDeviceMissing;
}

void ReleaseAllWaves() {
    for (auto& entry : g_waveCache) {
        entry.second.reset();
    }
    g_pDirectSound.reset();
    g_soundDeviceMissing = false;
}

C_Wave::C_Wave(std::string fileNameIn, int32_t sharedIn)
    : fileName(std::move(fileNameIn)), shared(sharedIn) {
    if (!g_pDirectSound) {
        InitDirectSound();
    }
}

C_Wave::~C_Wave() {
    if (shared == 0 && buffer) {
        buffer->Stop();
        buffer.reset();
    }
}

platform::SoundBuffer* C_Wave::GetBuffer() const {
    if (shared == 0) {
        return buffer.get();
    }
    if (loadedShared == 0) {
        return nullptr;
    }
    const auto entry = g_waveCache.find(fileName);
    return entry == g_waveCache.end() ? nullptr : entry->second.get();
}

bool C_Wave::Load() {
    if (GetBuffer() != nullptr) {
        return false;
    }
    if (shared != 0 && g_waveCache.count(fileName) != 0) {
        loadedShared = 1;
        return true;
    }
    bool opened = false;
    const std::vector<uint8_t> file = ReadWholeFile(kWaveDirectory + fileName, &opened);
    WaveFormat format;
    std::vector<uint8_t> data;
    if (!opened || !ReadWaveFile(file, &format, &data)) {
        return false;
    }
    if (!g_pDirectSound) {
        // Without a device a good sound loads as silence, so its owner has
        // nothing to report.
        return g_soundDeviceMissing;
    }
    std::unique_ptr<platform::SoundBuffer> made =
        platform::SoundBuffer::Create(*g_pDirectSound, ConvertToDeviceFormat(format, data));
    if (!made) {
        return false;
    }
    if (shared != 0) {
        g_waveCache[fileName] = std::move(made);
        loadedShared = 1;
    } else {
        buffer = std::move(made);
    }
    return true;
}

void C_Wave::Play(int32_t volume) {
    if (g_soundDeviceMissing) {
        return;
    }
    platform::SoundBuffer* target = GetBuffer();
    if (target == nullptr) {
        Report(__LINE__, 0, "Wave not loaded!");
        return;
    }
    if (!g_pDirectSound) {
        Report(__LINE__, 0, "DirectSound not initialized!");
        return;
    }
    if (g_effectsVolume == 0) {
        return;
    }
    // Wide enough that no percentage overflows; anything out of int's range is refused.
    const int64_t attenuation =
        (static_cast<int64_t>(kPercentFull) - volume) * kAttenuationPerPercent;
    int clamped = static_cast<int>(std::clamp<int64_t>(attenuation, INT_MIN, INT_MAX));
    // Only a volume the wave's own law accepts is lowered further: one it
    // refuses stays refused whatever the effects volume.
    if (clamped >= platform::SoundBuffer::kVolumeMin &&
        clamped <= platform::SoundBuffer::kVolumeMax) {
        clamped = std::max(clamped + VolumeStepAttenuation(g_effectsVolume),
                           platform::SoundBuffer::kVolumeMin);
    }
    if (!target->SetVolume(clamped)) {
        Report(__LINE__, E_INVALIDARG, "Problem setting volume");
    }
    if (!target->Rewind()) {
        Report(__LINE__, E_FAIL, "Problem rewinding wave");
    }
    if (!target->Play()) {
        Report(__LINE__, E_FAIL, "Problem playing wave");
    }
}

void C_Wave::Stop() {
    if (platform::SoundBuffer* target = GetBuffer()) {
        target->Stop();
    }
}
