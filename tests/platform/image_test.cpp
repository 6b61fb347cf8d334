#include "platform/image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/imagefiles.h"

namespace {

uint32_t Grey(uint32_t level, uint32_t alpha = 0xFF) {
    return (alpha << 24) | (level << 16) | (level << 8) | level;
}

struct PngCase {
    std::string name;
    PngLayout layout;
    std::vector<uint32_t> expected;
};

// A 3 x 2 picture in every colour type and depth, each with the ARGB words
// the decoder must give back: 8 bits per channel, opaque without alpha.
std::vector<PngCase> PngCases() {
    std::vector<PngCase> cases;
    auto add = [&](std::string name, int colourType, int bitDepth, std::vector<uint16_t> samples,
                   std::vector<uint32_t> expected, std::vector<uint8_t> palette = {},
                   std::vector<uint8_t> transparency = {}) {
        PngLayout layout;
        layout.width = 3;
        layout.height = 2;
        layout.colourType = colourType;
        layout.bitDepth = bitDepth;
        layout.samples = std::move(samples);
        layout.palette = std::move(palette);
        layout.transparency = std::move(transparency);
        cases.push_back({std::move(name), layout, std::move(expected)});
    };
    add("grey 1-bit", 0, 1, {0, 1, 0, 1, 1, 0},
        {Grey(0), Grey(255), Grey(0), Grey(255), Grey(255), Grey(0)});
    add("grey 2-bit", 0, 2, {0, 1, 2, 3, 2, 1},
        {Grey(0), Grey(85), Grey(170), Grey(255), Grey(170), Grey(85)});
    add("grey 4-bit", 0, 4, {0, 5, 10, 15, 1, 14},
        {Grey(0), Grey(85), Grey(170), Grey(255), Grey(17), Grey(238)});
    add("grey 8-bit", 0, 8, {0, 1, 127, 128, 254, 255},
        {Grey(0), Grey(1), Grey(127), Grey(128), Grey(254), Grey(255)});
    add("grey 16-bit", 0, 16, {0, 257 * 3, 257 * 100, 257 * 200, 257 * 254, 65535},
        {Grey(0), Grey(3), Grey(100), Grey(200), Grey(254), Grey(255)});
    add("grey 8-bit with a transparent level", 0, 8, {9, 10, 9, 11, 9, 10},
        {Grey(9, 0), Grey(10), Grey(9, 0), Grey(11), Grey(9, 0), Grey(10)}, {}, {0, 9});
    add("grey and alpha 8-bit", 4, 8, {10, 255, 20, 128, 30, 0, 40, 1, 50, 2, 60, 3},
        {Grey(10), Grey(20, 128), Grey(30, 0), Grey(40, 1), Grey(50, 2), Grey(60, 3)});
    add("grey and alpha 16-bit", 4, 16,
        {257 * 10, 65535, 257 * 20, 257 * 128, 0, 0, 65535, 65535, 257 * 5, 257 * 6, 257, 257},
        {Grey(10), Grey(20, 128), Grey(0, 0), Grey(255), Grey(5, 6), Grey(1, 1)});
    add("RGB 8-bit", 2, 8, {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 250, 251, 252, 9, 8, 7},
        {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF010203, 0xFFFAFBFC, 0xFF090807});
    add("RGB 16-bit", 2, 16,
        {65535, 0, 0, 0, 65535, 0, 0, 0, 65535, 257, 514, 771, 257 * 250, 257 * 251, 257 * 252,
         257 * 9, 257 * 8, 257 * 7},
        {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF010203, 0xFFFAFBFC, 0xFF090807});
    add("RGB 8-bit with a transparent colour", 2, 8,
        {1, 2, 3, 1, 2, 4, 1, 2, 3, 0, 0, 0, 1, 2, 3, 255, 255, 255},
        {0x00010203, 0xFF010204, 0x00010203, 0xFF000000, 0x00010203, 0xFFFFFFFF}, {},
        {0, 1, 0, 2, 0, 3});
    const std::vector<uint8_t> palette{255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    add("palette 1-bit", 3, 1, {0, 1, 1, 0, 0, 1},
        {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFFFF0000, 0xFFFF0000, 0xFF00FF00}, palette);
    add("palette 2-bit", 3, 2, {0, 1, 2, 3, 2, 1},
        {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF0A141E, 0xFF0000FF, 0xFF00FF00}, palette);
    add("palette 4-bit", 3, 4, {3, 2, 1, 0, 1, 2},
        {0xFF0A141E, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, palette);
    add("palette 8-bit with alpha", 3, 8, {0, 1, 2, 3, 0, 1},
        {0x80FF0000, 0x0000FF00, 0xFF0000FF, 0xFF0A141E, 0x80FF0000, 0x0000FF00}, palette,
        {0x80, 0x00});
    add("RGBA 8-bit", 6, 8,
        {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
        {0xFFFF0000, 0x8000FF00, 0x000000FF, 0x04010203, 0x08050607, 0x0C090A0B});
    add("RGBA 16-bit", 6, 16,
        {65535,   0,       0,       65535,   0,       65535,    0,        257 * 128,
         0,       0,       65535,   0,       257,     514,      771,      257 * 4,
         257 * 5, 257 * 6, 257 * 7, 257 * 8, 257 * 9, 257 * 10, 257 * 11, 257 * 12},
        {0xFFFF0000, 0x8000FF00, 0x000000FF, 0x04010203, 0x08050607, 0x0C090A0B});
    return cases;
}

TEST(ImageDecode, EveryPngColourTypeAndDepthBecomes8BitArgb) {
    for (const PngCase& test : PngCases()) {
        for (bool interlaced : {false, true}) {
            PngLayout layout = test.layout;
            layout.interlaced = interlaced;
            const std::vector<uint8_t> bytes = EncodePng(layout);
            platform::Image image;
            ASSERT_TRUE(platform::DecodeImage(bytes.data(), bytes.size(), &image))
                << test.name << (interlaced ? ", interlaced" : "");
            EXPECT_EQ(image.width, 3) << test.name;
            EXPECT_EQ(image.height, 2) << test.name;
            EXPECT_EQ(image.argb, test.expected) << test.name << (interlaced ? ", interlaced" : "");
        }
    }
}

// Adam7 scatters a picture over seven passes; a picture larger than one
// 8 x 8 block with odd sizes exercises every pass and the partial ones.
TEST(ImageDecode, InterlacedPicturesOfOddSizesComeBackWhole) {
    for (int size : {1, 5, 9, 13}) {
        std::vector<uint32_t> argb;
        for (int i = 0; i < size * (size + 2); ++i) {
            argb.push_back(0xFF000000u | static_cast<uint32_t>(i * 2654435761u & 0xFFFFFF));
        }
        PngLayout layout;
        layout.width = size;
        layout.height = size + 2;
        layout.interlaced = true;
        for (uint32_t pixel : argb) {
            layout.samples.insert(layout.samples.end(),
                                  {static_cast<uint16_t>((pixel >> 16) & 0xFF),
                                   static_cast<uint16_t>((pixel >> 8) & 0xFF),
                                   static_cast<uint16_t>(pixel & 0xFF), 255});
        }
        const std::vector<uint8_t> bytes = EncodePng(layout);
        platform::Image image;
        ASSERT_TRUE(platform::DecodeImage(bytes.data(), bytes.size(), &image)) << size;
        EXPECT_EQ(image.argb, argb) << size;
    }
}

TEST(ImageDecode, Bmp24InBothRowOrdersWithRowPadding) {
    // Widths 1, 3 and 5 need 1, 3 and 1 bytes of padding per row; 4 needs none.
    for (int width : {1, 3, 4, 5}) {
        for (bool topDown : {false, true}) {
            std::vector<uint32_t> argb;
            for (int i = 0; i < width * 3; ++i) {
                argb.push_back(0xFF000000u | static_cast<uint32_t>(0x010203 * (i + 1)));
            }
            const std::vector<uint8_t> bytes = EncodeBmp24(width, 3, argb, topDown);
            platform::Image image;
            ASSERT_TRUE(platform::DecodeImage(bytes.data(), bytes.size(), &image))
                << width << (topDown ? " top-down" : " bottom-up");
            EXPECT_EQ(image.width, width);
            EXPECT_EQ(image.height, 3);
            EXPECT_EQ(image.argb, argb) << width << (topDown ? " top-down" : " bottom-up");
        }
    }
}

TEST(ImageDecode, TheHeaderAloneGivesTheSize) {
    const std::vector<uint8_t> png = SolidPng(7, 4, 0xFF123456);
    const std::vector<uint8_t> bmp = EncodeBmp24(5, 9, std::vector<uint32_t>(45), true);
    int width = 0;
    int height = 0;
    // The first bytes suffice: the pixel data is never looked at.
    ASSERT_TRUE(platform::DecodeImageSize(png.data(), 33, &width, &height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 4);
    ASSERT_TRUE(platform::DecodeImageSize(bmp.data(), 54, &width, &height));
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 9);
    EXPECT_FALSE(platform::DecodeImageSize(png.data(), 32, &width, &height));
    EXPECT_FALSE(platform::DecodeImageSize(bmp.data(), 20, &width, &height));
}

// Every prefix of a good file is a truncated file: all must be refused
// without reading past the end (the sanitized run checks the reads).
TEST(ImageDecode, EveryTruncationIsRefused) {
    PngLayout interlaced;
    interlaced.width = 9;
    interlaced.height = 9;
    interlaced.colourType = 0;
    interlaced.bitDepth = 1;
    interlaced.interlaced = true;
    interlaced.samples.assign(81, 1);
    const std::vector<std::vector<uint8_t>> files{
        SolidPng(4, 3, 0xFF00FF00), EncodePng(interlaced),
        EncodeBmp24(3, 2, std::vector<uint32_t>(6, 0xFFABCDEF), false)};
    for (const std::vector<uint8_t>& file : files) {
        platform::Image whole;
        ASSERT_TRUE(platform::DecodeImage(file.data(), file.size(), &whole));
        // A BMP's last row may lack its padding; every other cut is fatal.
        const size_t shortest = file[0] == 'B' ? file.size() - 3 : file.size();
        for (size_t length = 0; length < shortest; ++length) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
            platform::Image image;
            EXPECT_FALSE(platform::DecodeImage(cut.data(), cut.size(), &image)) << length;
            EXPECT_TRUE(image.argb.empty());
            EXPECT_EQ(image.width, 0);
        }
    }
}

void SetBig32(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        (*bytes)[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

void SetLittle32(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// Rewrites the IHDR size and its CRC, as a hostile but well-formed file would.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    std::vector<uint8_t> bytes = SolidPng(2, 2, 0xFFFFFFFF);
    SetBig32(&bytes, 16, width);
    SetBig32(&bytes, 20, height);
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 12; i < 29; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    SetBig32(&bytes, 29, ~crc);
    return bytes;
}

TEST(ImageDecode, CorruptUnsupportedAndOversizedFilesAreRefused) {
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"not a picture", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}});
    std::vector<uint8_t> png = SolidPng(4, 4, 0xFF336699);
    std::vector<uint8_t> damaged = png;
    damaged[40] ^= 0x55;  // inside IDAT: its CRC no longer matches
    cases.push_back({"damaged pixel data", damaged});
    damaged = png;
    damaged[17] ^= 0x01;  // inside IHDR
    cases.push_back({"damaged header", damaged});
    cases.push_back({"wider than any texture", PngClaiming(100000, 1)});
    cases.push_back({"taller than any texture", PngClaiming(1, 16385)});
    cases.push_back({"too many pixels", PngClaiming(16384, 16384)});
    cases.push_back({"zero width", PngClaiming(0, 4)});
    cases.push_back({"a size larger than its data", PngClaiming(64, 64)});

    const std::vector<uint8_t> bmp = EncodeBmp24(2, 2, std::vector<uint32_t>(4), false);
    std::vector<uint8_t> bad = bmp;
    bad[28] = 32;
    cases.push_back({"BMP of 32 bits", bad});
    bad = bmp;
    bad[30] = 1;
    cases.push_back({"compressed BMP", bad});
    bad = bmp;
    SetLittle32(&bad, 22, 0x80000000u);
    cases.push_back({"BMP of the most negative height", bad});
    bad = bmp;
    SetLittle32(&bad, 18, 0x7FFFFFFF);
    cases.push_back({"BMP far too wide", bad});
    bad = bmp;
    SetLittle32(&bad, 18, 1000);
    cases.push_back({"BMP wider than its data", bad});
    bad = bmp;
    SetLittle32(&bad, 10, 0xFFFFFFF0u);
    cases.push_back({"BMP pixels beyond the file", bad});
    bad = bmp;
    SetLittle32(&bad, 14, 20);
    cases.push_back({"BMP of an unknown header", bad});

    for (const Case& test : cases) {
        platform::Image image;
        EXPECT_FALSE(platform::DecodeImage(test.bytes.data(), test.bytes.size(), &image))
            << test.name;
        EXPECT_TRUE(image.argb.empty()) << test.name;
    }
    int width = 0;
    int height = 0;
    for (uint32_t side : {0u, 16385u, 100000u}) {
        const std::vector<uint8_t> bytes = PngClaiming(side, 1);
        EXPECT_FALSE(platform::DecodeImageSize(bytes.data(), bytes.size(), &width, &height))
            << side;
    }
}

// A chunk declaring far more than the file holds must cost nothing near its
// declared size; the chunks the game never reads are skipped, not refused.
TEST(ImageDecode, HugeDeclaredChunksAreRefusedCheaplyAndUnreadChunksSkipped) {
    constexpr size_t kSmall = 64 * 1024;
    for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "eXIf", "quUX"}) {
        for (uint32_t length : {200u << 20, 0x7FFFFFFFu}) {
            const std::vector<uint8_t> bytes = PngWithHugeChunk(type, length);
            platform::TakeLargestPngAllocation();
            platform::Image image;
            EXPECT_FALSE(platform::DecodeImage(bytes.data(), bytes.size(), &image)) << type;
            EXPECT_TRUE(image.argb.empty()) << type;
            EXPECT_LT(platform::TakeLargestPngAllocation(), kSmall) << type << " " << length;
        }
    }
    std::vector<uint8_t> png = ArgbPng(2, 1, {0xFF102030, 0x80405060});
    std::vector<uint8_t> text(100000, 'v');
    text[1] = 0;  // keyword "v", then a long text
    png = WithChunkAfterHeader(png, "tEXt", text);
    png = WithChunkAfterHeader(png, "eXIf", {'M', 'M', 0, 42});
    png = WithChunkAfterHeader(png, "sPLT", {'p', 0, 8, 1, 2, 3, 4, 0, 5});
    png = WithChunkAfterHeader(png, "quUX", {7, 7});
    platform::Image image;
    ASSERT_TRUE(platform::DecodeImage(png.data(), png.size(), &image));
    EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF102030, 0x80405060}));
    EXPECT_LT(platform::TakeLargestPngAllocation(), kSmall);
    // Pixel data is streamed: one IDAT chunk of 360 kB is no reason to refuse.
    const std::vector<uint8_t> big = SolidPng(300, 300, 0xFF00FF00);
    ASSERT_TRUE(platform::DecodeImage(big.data(), big.size(), &image));
    EXPECT_EQ(image.argb.size(), 300u * 300u);
    EXPECT_LT(platform::TakeLargestPngAllocation(), kSmall);
}

TEST(ImageDecode, FilesAreReadFromDisk) {
    ImageDirectory directory;
    directory.Write("a.png", SolidPng(3, 5, 0x80102030));
    platform::Image image;
    ASSERT_TRUE(platform::LoadImageFile("./images/a.png", &image));
    EXPECT_EQ(image.argb, std::vector<uint32_t>(15, 0x80102030));
    int width = 0;
    int height = 0;
    ASSERT_TRUE(platform::ReadImageFileSize("./images/a.png", &width, &height));
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 5);
    EXPECT_FALSE(platform::LoadImageFile("./images/none.png", &image));
    EXPECT_FALSE(platform::ReadImageFileSize("./images/none.png", &width, &height));
    EXPECT_FALSE(platform::LoadImageFile("./images", &image));
}

}  // namespace
