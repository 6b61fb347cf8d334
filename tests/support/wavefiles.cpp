#include "support/wavefiles.h"

#include <filesystem>
#include <fstream>

namespace {

void Put32(std::vector<uint8_t>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void Put16(std::vector<uint8_t>* out, uint16_t value) {
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}

void PutId(std::vector<uint8_t>* out, const char* id) {
    out->insert(out->end(), id, id + 4);
}

}  // namespace

std::vector<uint8_t> BuildWave(const WaveLayout& layout) {
    std::vector<uint8_t> body;
    PutId(&body, "WAVE");
    if (layout.listBytesBeforeFormat > 0) {
        PutId(&body, "LIST");
        Put32(&body, layout.listBytesBeforeFormat);
        // Starts with bytes that are not a PCM tag, as a real "INFO" list does.
        for (uint32_t i = 0; i < layout.listBytesBeforeFormat; ++i) {
            body.push_back(static_cast<uint8_t>("INFOISFTtest"[i % 12]));
        }
        if (layout.listBytesBeforeFormat % 2 != 0) {
            body.push_back(0);
        }
    }
    PutId(&body, "fmt ");
    Put32(&body, layout.formatBytes);
    const int block = layout.channels * layout.bits / 8;
    Put16(&body, static_cast<uint16_t>(layout.formatTag));
    Put16(&body, static_cast<uint16_t>(layout.channels));
    Put32(&body, static_cast<uint32_t>(layout.rate));
    Put32(&body, static_cast<uint32_t>(layout.rate * block));
    Put16(&body, static_cast<uint16_t>(block));
    Put16(&body, static_cast<uint16_t>(layout.bits));
    if (layout.formatBytes >= 18) {
        Put16(&body, 0);
    }
    PutId(&body, "data");
    Put32(&body, layout.claimedDataBytes != 0 ? layout.claimedDataBytes
                                              : static_cast<uint32_t>(layout.samples.size()));
    body.insert(body.end(), layout.samples.begin(), layout.samples.end());

    std::vector<uint8_t> file;
    PutId(&file, "RIFF");
    Put32(&file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<uint8_t> StereoRamp(int frames) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < frames; ++i) {
        Put16(&bytes, static_cast<uint16_t>(i));
        Put16(&bytes, static_cast<uint16_t>(-i));
    }
    return bytes;
}

ScratchDirectory::ScratchDirectory() {
    std::filesystem::create_directory("wavs");
}

void ScratchDirectory::WriteWave(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out("wavs/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void ScratchDirectory::RemoveWave(const std::string& name) const {
    std::filesystem::remove("wavs/" + name);
}
