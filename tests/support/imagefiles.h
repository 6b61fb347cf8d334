#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Image files made in memory, so tests need no committed pictures and can
// spell out every pixel they expect back.

// A PNG of any colour type and bit depth, with stored (uncompressed) deflate
// blocks. `samples` holds each pixel's channels in file order, row by row;
// `palette` holds RGB triples, `transparency` the raw tRNS chunk (if any).
struct PngLayout {
    int width = 0;
    int height = 0;
    int colourType = 6;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint16_t> samples;
    std::vector<uint8_t> palette;
    std::vector<uint8_t> transparency;
};
std::vector<uint8_t> EncodePng(const PngLayout& layout);

// An 8-bit RGBA PNG of ARGB pixels.
std::vector<uint8_t> ArgbPng(int width, int height, const std::vector<uint32_t>& argb);
// A one-colour 8-bit RGBA PNG.
std::vector<uint8_t> SolidPng(int width, int height, uint32_t argb);

// `png` with a whole chunk of `type` and `data` inserted right after IHDR.
std::vector<uint8_t> WithChunkAfterHeader(std::vector<uint8_t> png, const char* type,
                                          const std::vector<uint8_t>& data);
// A valid header followed by the start of a `type` chunk declaring `length`
// bytes, the file ending four bytes into its data.
std::vector<uint8_t> PngWithHugeChunk(const char* type, uint32_t length);

// An uncompressed 24-bit BMP of the pixels' colours (alpha dropped).
std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint32_t>& argb,
                                 bool topDown);

// A fresh temporary directory with an images/ folder and the repository's
// mp3s/ (the menu's tune), made the working directory for the object's life;
// the old one is restored and the directory removed afterwards.
class ImageDirectory {
public:
    ImageDirectory();
    ~ImageDirectory();
    ImageDirectory(const ImageDirectory&) = delete;
    ImageDirectory& operator=(const ImageDirectory&) = delete;

    // Writes images/<name>.
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    void Remove(const std::string& name) const;
    // Fully transparent stand-ins for the pictures of the first screen (the
    // menu), so a test's frames show only what the test draws.
    void WriteClearMenuPictures() const;

private:
    std::string root;
    std::string previous;
};
