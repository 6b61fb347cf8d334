#include "support/imagefiles.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void PutBig32(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<uint8_t>(value >> shift));
    }
}

void PutLittle(std::vector<uint8_t>* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void PutChunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out->insert(out->end(), body.begin(), body.end());
    PutBig32(out, Crc32(body.data(), body.size()));
}

// A zlib stream of stored blocks.
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out{0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - offset, 65535);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0);
        PutLittle(&out, static_cast<uint32_t>(length), 2);
        PutLittle(&out, static_cast<uint32_t>(~length & 0xFFFF), 2);
        out.insert(out.end(), raw.begin() + static_cast<ptrdiff_t>(offset),
                   raw.begin() + static_cast<ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(&out, (b << 16) | a);
    return out;
}

int Channels(int colourType) {
    switch (colourType) {
        case 0:
        case 3:
            return 1;
        case 2:
            return 3;
        case 4:
            return 2;
        default:
            return 4;
    }
}

// The scanlines of the pixels at (x0 + i*dx, y0 + j*dy), each after filter byte 0.
void AppendPass(const PngLayout& layout, int x0, int y0, int dx, int dy,
                std::vector<uint8_t>* raw) {
    const int channels = Channels(layout.colourType);
    for (int y = y0; y < layout.height; y += dy) {
        if (x0 >= layout.width) {
            return;
        }
        raw->push_back(0);
        uint32_t bits = 0;
        int count = 0;
        for (int x = x0; x < layout.width; x += dx) {
            for (int c = 0; c < channels; ++c) {
                const uint16_t sample =
                    layout.samples[(static_cast<size_t>(y) * layout.width + x) * channels + c];
                if (layout.bitDepth == 16) {
                    raw->push_back(static_cast<uint8_t>(sample >> 8));
                    raw->push_back(static_cast<uint8_t>(sample));
                    continue;
                }
                bits = (bits << layout.bitDepth) | sample;
                count += layout.bitDepth;
                if (count == 8) {
                    raw->push_back(static_cast<uint8_t>(bits));
                    bits = 0;
                    count = 0;
                }
            }
        }
        if (count > 0) {
            raw->push_back(static_cast<uint8_t>(bits << (8 - count)));
        }
    }
}

}  // namespace

std::vector<uint8_t> EncodePng(const PngLayout& layout) {
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(&header, static_cast<uint32_t>(layout.width));
    PutBig32(&header, static_cast<uint32_t>(layout.height));
    header.push_back(static_cast<uint8_t>(layout.bitDepth));
    header.push_back(static_cast<uint8_t>(layout.colourType));
    header.push_back(0);
    header.push_back(0);
    header.push_back(layout.interlaced ? 1 : 0);
    PutChunk(&out, "IHDR", header);
    if (!layout.palette.empty()) {
        PutChunk(&out, "PLTE", layout.palette);
    }
    if (!layout.transparency.empty()) {
        PutChunk(&out, "tRNS", layout.transparency);
    }
    std::vector<uint8_t> raw;
    if (layout.interlaced) {
        constexpr std::array<std::array<int, 4>, 7> kPasses{{{0, 0, 8, 8},
                                                             {4, 0, 8, 8},
                                                             {0, 4, 4, 8},
                                                             {2, 0, 4, 4},
                                                             {0, 2, 2, 4},
                                                             {1, 0, 2, 2},
                                                             {0, 1, 1, 2}}};
        for (const auto& pass : kPasses) {
            AppendPass(layout, pass[0], pass[1], pass[2], pass[3], &raw);
        }
    } else {
        AppendPass(layout, 0, 0, 1, 1, &raw);
    }
    PutChunk(&out, "IDAT", Deflate(raw));
    PutChunk(&out, "IEND", {});
    return out;
}

std::vector<uint8_t> ArgbPng(int width, int height, const std::vector<uint32_t>& argb) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    for (uint32_t pixel : argb) {
        layout.samples.insert(layout.samples.end(), {static_cast<uint16_t>((pixel >> 16) & 0xFF),
                                                     static_cast<uint16_t>((pixel >> 8) & 0xFF),
                                                     static_cast<uint16_t>(pixel & 0xFF),
                                                     static_cast<uint16_t>(pixel >> 24)});
    }
    return EncodePng(layout);
}

std::vector<uint8_t> SolidPng(int width, int height, uint32_t argb) {
    return ArgbPng(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb));
}

// Signature and IHDR chunk.
constexpr size_t kPngHeaderBytes = 8 + 25;

std::vector<uint8_t> WithChunkAfterHeader(std::vector<uint8_t> png, const char* type,
                                          const std::vector<uint8_t>& data) {
    std::vector<uint8_t> chunk;
    PutChunk(&chunk, type, data);
    png.insert(png.begin() + kPngHeaderBytes, chunk.begin(), chunk.end());
    return png;
}

std::vector<uint8_t> PngWithHugeChunk(const char* type, uint32_t length) {
    std::vector<uint8_t> png = SolidPng(1, 1, 0xFF000000);
    png.resize(kPngHeaderBytes);
    PutBig32(&png, length);
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), {'a', 'b', 'c', 0});
    return png;
}

std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint32_t>& argb,
                                 bool topDown) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    const uint32_t dataSize = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> out{'B', 'M'};
    PutLittle(&out, 54 + dataSize, 4);
    PutLittle(&out, 0, 4);
    PutLittle(&out, 54, 4);
    PutLittle(&out, 40, 4);
    PutLittle(&out, static_cast<uint32_t>(width), 4);
    PutLittle(&out, static_cast<uint32_t>(topDown ? -height : height), 4);
    PutLittle(&out, 1, 2);
    PutLittle(&out, 24, 2);
    PutLittle(&out, 0, 4);
    PutLittle(&out, dataSize, 4);
    PutLittle(&out, 2835, 4);
    PutLittle(&out, 2835, 4);
    PutLittle(&out, 0, 4);
    PutLittle(&out, 0, 4);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        for (int x = 0; x < width; ++x) {
            PutLittle(&out, argb[static_cast<size_t>(y) * width + x] & 0xFFFFFF, 3);
        }
        out.resize(out.size() + (stride - static_cast<uint32_t>(width) * 3), 0);
    }
    return out;
}

ImageDirectory::ImageDirectory() {
    previous = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "tubrix-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "no temporary directory";
        return;
    }
    root = pattern;
    std::filesystem::create_directory(root + "/images");
    // The menu's tune, which start-up loads too, is the real one.
    std::error_code error;
    std::filesystem::create_directory_symlink(previous + "/mp3s", root + "/mp3s", error);
    std::filesystem::current_path(root);
}

ImageDirectory::~ImageDirectory() {
    std::filesystem::current_path(previous);
    if (!root.empty()) {
        std::filesystem::remove_all(root);
    }
}

void ImageDirectory::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream file(root + "/images/" + name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << name;
}

void ImageDirectory::Remove(const std::string& name) const {
    std::filesystem::remove(root + "/images/" + name);
}

void ImageDirectory::WriteClearMenuPictures() const {
    Write("menu.png", SolidPng(4, 4, 0x00000000));
    for (int n = 0; n < 10; ++n) {
        Write("level_button_" + std::to_string(n) + "-3-1-3.png", SolidPng(4, 12, 0x00000000));
    }
    for (const char* button : {"instruction_button-3-1-3.png", "versus_button-3-1-3.png",
                               "scores_button-3-1-3.png", "settings_button-3-1-3.png"}) {
        Write(button, SolidPng(4, 12, 0x00000000));
    }
}
