// The WAV reader on any bytes, and the conversion of whatever it accepts.
#include <cstdint>
#include <vector>

#include "audio/wave.h"
#include "platform/audio.h"
#include "promise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);
    WaveFormat format;
    std::vector<uint8_t> samples;
    if (!ReadWaveFile(file, &format, &samples)) {
        return 0;
    }
    FUZZ_PROMISE(format.channels == 1 || format.channels == 2);
    FUZZ_PROMISE(format.bitsPerSample == 8 || format.bitsPerSample == 16 ||
                 format.bitsPerSample == 24 || format.bitsPerSample == 32);
    FUZZ_PROMISE(format.samplesPerSec > 0);
    FUZZ_PROMISE(samples.size() + 12 <= file.size());
    const std::vector<int16_t> converted = ConvertToDeviceFormat(format, samples);
    // Whole frames only, then as many at the device rate as the length allows.
    const uint64_t frames = samples.size() / (format.bitsPerSample / 8 * format.channels);
    const uint64_t expected =
        format.samplesPerSec == platform::kSoundRate || frames == 0
            ? frames
            : frames * platform::kSoundRate / static_cast<uint64_t>(format.samplesPerSec);
    FUZZ_PROMISE(converted.size() == expected * platform::kSoundChannels);
    if (format.channels == 1) {
        for (size_t i = 0; i < converted.size(); i += 2) {
            FUZZ_PROMISE(converted[i] == converted[i + 1]);
        }
    }
    return 0;
}
