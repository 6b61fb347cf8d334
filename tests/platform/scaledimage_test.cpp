#include "platform/scaledimage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::Image;
using platform::ScaledImage;

Image Picture(int width, int height, std::vector<uint32_t> argb) {
    Image image;
    image.width = width;
    image.height = height;
    image.argb = std::move(argb);
    return image;
}

Image Solid(int width, int height, uint32_t argb) {
    return Picture(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb));
}

uint32_t Grey(uint32_t level, uint32_t alpha = 0xFF) {
    return alpha << 24 | level << 16 | level << 8 | level;
}

// The loading picture's own sizes at 0.7, others down and up: a plain colour
// stays that colour in every pixel, at exactly the size asked.
TEST(ScaledImage, APlainColourStaysPlainAtAnySize) {
    struct Case {
        int width, height, toWidth, toHeight;
    };
    for (const Case& c : {Case{1019, 933, 713, 653}, Case{100, 100, 70, 70}, Case{8, 8, 6, 6},
                          Case{7, 3, 2, 1}, Case{3, 5, 7, 11}, Case{1, 1, 4, 4}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " to " +
                     std::to_string(c.toWidth) + "x" + std::to_string(c.toHeight));
        for (const uint32_t colour : {0xFF3A7BC9u, 0x80FF0000u}) {
            const Image scaled =
                ScaledImage(Solid(c.width, c.height, colour), c.toWidth, c.toHeight);
            ASSERT_EQ(scaled.width, c.toWidth);
            ASSERT_EQ(scaled.height, c.toHeight);
            ASSERT_EQ(scaled.argb.size(), static_cast<size_t>(c.toWidth) * c.toHeight);
            for (const uint32_t pixel : scaled.argb) {
                ASSERT_EQ(pixel, colour);
            }
        }
    }
}

// Each pixel is the mean of what it covers, a source pixel counting by the
// part of it inside; and a transparent pixel lends no colour, so an opaque
// edge does not darken or tint where it meets a clear background.
TEST(ScaledImage, EachPixelIsTheMeanOfTheAreaItCovers) {
    struct Case {
        const char* what;
        Image source;
        Image expected;
    };
    const Case cases[] = {
        {"four into one", Picture(2, 2, {Grey(0), Grey(100), Grey(200), Grey(100)}),
         Picture(1, 1, {Grey(100)})},
        // Three into two: the middle pixel is split between them.
        {"three into two", Picture(3, 1, {Grey(0), Grey(90), Grey(180)}),
         Picture(2, 1, {Grey(30), Grey(150)})},
        {"three rows into two", Picture(1, 3, {Grey(0), Grey(90), Grey(180)}),
         Picture(1, 2, {Grey(30), Grey(150)})},
        {"opaque red beside clear green", Picture(2, 1, {0xFFFF0000u, 0x0000FF00u}),
         Picture(1, 1, {0x80FF0000u})},
        {"half-clear blue beside opaque white", Picture(2, 1, {0x400000FFu, 0xC0FFFFFFu}),
         Picture(1, 1, {0x80BFBFFFu})},
        {"all clear", Picture(2, 2, {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0u}),
         Picture(1, 1, {0u})},
        {"one into two", Picture(1, 1, {Grey(77)}), Picture(2, 1, {Grey(77), Grey(77)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Image scaled = ScaledImage(c.source, c.expected.width, c.expected.height);
        EXPECT_EQ(scaled.argb, c.expected.argb);
    }
}

TEST(ScaledImage, NothingComesOfAnEmptySourceOrSize) {
    const Image good = Solid(4, 4, Grey(9));
    Image short_ = good;
    short_.argb.pop_back();
    for (const Image& scaled : {ScaledImage(Image{}, 2, 2), ScaledImage(short_, 2, 2),
                                ScaledImage(good, 0, 2), ScaledImage(good, 2, -1)}) {
        EXPECT_EQ(scaled.width, 0);
        EXPECT_EQ(scaled.height, 0);
        EXPECT_TRUE(scaled.argb.empty());
    }
}

}  // namespace
