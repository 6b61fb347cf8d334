#include "view/sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/image.h"
#include "support/imagetest.h"

namespace {

using SpriteTest = ImageTest;

const std::string kScrewedUp = " name is screwed up... Rows * Columns < totalAnimations?!?";

TEST_F(SpriteTest, TheFileNameGivesTheFrameGrid) {
    struct Case {
        std::string name;
        int frames;
        int columns;
        int rows;
        bool reported;
    };
    const std::vector<Case> cases{
        {"plain.png", 1, 1, 1, false},
        {"ball-4-4-1.png", 4, 4, 1, false},
        {"piece_9-20-5-4.png", 20, 5, 4, false},
        {"box-3-2-2.png", 3, 2, 2, false},
        {"pongball-2-2-1.png", 2, 2, 1, false},
        {"button-3-1-3.png", 3, 1, 3, false},
        {"extra-3-2-2-9.png", 3, 2, 2, false},
        {"blanks- 4- 4- 1.png", 4, 4, 1, false},
        {"two-2-2.png", 1, 1, 1, false},
        {"zero-0-2-2.png", 1, 1, 1, false},
        {"nocolumns-2-0-2.png", 1, 1, 1, false},
        {"letter-a3-2-2.png", 1, 1, 1, false},
        {"negative--3-2-2.png", 1, 1, 1, false},
        {"five-5-2-2.png", 1, 1, 1, true},
        {"many-7-3-2.png", 1, 1, 1, true},
        // 65536 x 65536 overflows 32 bits; the grid is still large enough.
        {"wide-9-65536-65536.png", 9, 65536, 65536, false},
    };
    for (const Case& test : cases) {
        images->Write(test.name, SolidPng(64, 64, 0xFF00FF00));
        Prompts().reports.clear();
        C_Sprite sprite(test.name);
        EXPECT_EQ(sprite.GetTotalAnimations(), test.frames) << test.name;
        EXPECT_EQ(sprite.GetColumns(), test.columns) << test.name;
        EXPECT_EQ(sprite.GetRows(), test.rows) << test.name;
        EXPECT_EQ(sprite.GetFrameWidth(), 64 / test.columns) << test.name;
        EXPECT_EQ(sprite.GetFrameHeight(), 64 / test.rows) << test.name;
        if (test.reported) {
            ASSERT_EQ(Prompts().reports.size(), 1u) << test.name;
            EXPECT_TRUE(Prompts().Saw(test.name + kScrewedUp)) << test.name;
            EXPECT_EQ(Prompts().reports[0].text.rfind("sprite\n", 0), 0u);
        } else {
            EXPECT_TRUE(Prompts().reports.empty()) << test.name;
        }
    }
}

TEST_F(SpriteTest, FramesAreRowMajorAndNextFrameWraps) {
    struct Step {
        int frame;
        platform::TextureRect rect;
    };
    struct Case {
        std::string name;
        int width;
        int height;
        std::vector<Step> steps;  // frames reached by NextFrame from 0
    };
    const std::vector<Case> cases{
        {"box-3-2-2.png",
         64,
         64,
         {{0, {0, 0, 32, 32}}, {1, {32, 0, 64, 32}}, {2, {0, 32, 32, 64}}, {0, {0, 0, 32, 32}}}},
        {"ball-4-4-1.png",
         160,
         40,
         {{0, {0, 0, 40, 40}},
          {1, {40, 0, 80, 40}},
          {2, {80, 0, 120, 40}},
          {3, {120, 0, 160, 40}},
          {0, {0, 0, 40, 40}}}},
        // 100 is no multiple of 3: the last column of pixels is never shown.
        {"strip-3-3-1.png",
         100,
         10,
         {{0, {0, 0, 33, 10}}, {1, {33, 0, 66, 10}}, {2, {66, 0, 99, 10}}, {0, {0, 0, 33, 10}}}},
        {"button-3-1-3.png",
         20,
         31,
         {{0, {0, 0, 20, 10}}, {1, {0, 10, 20, 20}}, {2, {0, 20, 20, 30}}, {0, {0, 0, 20, 10}}}},
        {"single.png", 7, 5, {{0, {0, 0, 7, 5}}, {0, {0, 0, 7, 5}}}},
    };
    for (const Case& test : cases) {
        images->Write(test.name, SolidPng(test.width, test.height, 0xFFFFFFFF));
        C_Sprite sprite(test.name);
        for (size_t i = 0; i < test.steps.size(); ++i) {
            if (i > 0) {
                sprite.NextFrame();
            }
            const platform::TextureRect& rect = sprite.GetSourceRect();
            const platform::TextureRect& want = test.steps[i].rect;
            EXPECT_EQ(sprite.GetCurrentFrame(), test.steps[i].frame) << test.name << " " << i;
            EXPECT_EQ(rect.left, want.left) << test.name << " " << i;
            EXPECT_EQ(rect.top, want.top) << test.name << " " << i;
            EXPECT_EQ(rect.right, want.right) << test.name << " " << i;
            EXPECT_EQ(rect.bottom, want.bottom) << test.name << " " << i;
        }
    }
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(SpriteTest, SetFrameTakesOnlyExistingFrames) {
    images->Write("box-3-2-2.png", SolidPng(64, 64, 0xFFFFFFFF));
    C_Sprite sprite("box-3-2-2.png");
    ASSERT_EQ(sprite.SetFrame(1), S_OK);
    for (int frame : {-1, 3, 4, 1 << 30}) {
        EXPECT_EQ(sprite.SetFrame(frame), E_FAIL) << frame;
        EXPECT_EQ(sprite.GetCurrentFrame(), 1) << frame;
        EXPECT_EQ(sprite.GetSourceRect().left, 32) << frame;
    }
    ASSERT_EQ(sprite.SetFrame(2), S_OK);
    EXPECT_EQ(sprite.GetSourceRect().top, 32);
    EXPECT_EQ(sprite.GetSourceRect().left, 0);
}

TEST_F(SpriteTest, TheCentreIsHalfTheFrameInWholePixels) {
    images->Write("odd-2-2-1.png", SolidPng(66, 11, 0xFFFFFFFF));
    C_Sprite sprite("odd-2-2-1.png");
    EXPECT_FLOAT_EQ(sprite.GetCentre().x, 16.0f);
    EXPECT_FLOAT_EQ(sprite.GetCentre().y, 5.0f);
}

TEST_F(SpriteTest, SpritesOfOneNameShareOneTextureUntilTheLastGoes) {
    images->Write("shared.png", SolidPng(10, 10, 0xFFFF0000));
    auto first = std::make_unique<C_Sprite>("shared.png");
    auto second = std::make_unique<C_Sprite>("shared.png");
    ASSERT_NE(first->GetTexture(), nullptr);
    EXPECT_EQ(first->GetTexture(), second->GetTexture());
    ASSERT_EQ(g_textureCache.count("shared.png"), 1u);
    EXPECT_EQ(g_textureCache["shared.png"]->referenceCount, 2);
    EXPECT_EQ(second->GetFrameWidth(), 10);  // the size came with the cached texture

    first.reset();
    ASSERT_EQ(g_textureCache.count("shared.png"), 1u);
    EXPECT_EQ(g_textureCache["shared.png"]->referenceCount, 1);
    ClearFrame();
    EXPECT_EQ(second->Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0xFFFFFFFF), S_OK);
    EXPECT_EQ(PixelAt(5, 5), 0xFFFF0000u);

    second.reset();
    EXPECT_EQ(g_textureCache.count("shared.png"), 0u);

    // A third sprite makes the texture anew, from the file as it is now.
    images->Write("shared.png", SolidPng(12, 12, 0xFF0000FF));
    C_Sprite third("shared.png");
    ASSERT_EQ(g_textureCache.count("shared.png"), 1u);
    EXPECT_EQ(g_textureCache["shared.png"]->referenceCount, 1);
    EXPECT_EQ(third.GetFrameWidth(), 12);
    ClearFrame();
    EXPECT_EQ(third.Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0xFFFFFFFF), S_OK);
    EXPECT_EQ(PixelAt(5, 5), 0xFF0000FFu);
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(SpriteTest, AMissingFileIsReportedAndItsSpriteDrawsNothing) {
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;  // none: no file at all
    };
    std::vector<uint8_t> truncated = SolidPng(16, 16, 0xFF00FF00);
    truncated.resize(truncated.size() / 2);
    std::vector<uint8_t> oversized = SolidPng(2, 2, 0xFF00FF00);
    oversized[16] = 0x7F;  // a width in the billions, and a header CRC that no longer fits
    const std::vector<Case> cases{{"missing.png", {}},
                                  {"garbage.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i'}},
                                  {"truncated-2-2-1.png", truncated},
                                  {"oversized.png", oversized},
                                  {"huge-text.png", PngWithHugeChunk("tEXt", 0x7FFFFFFF)}};
    for (const Case& test : cases) {
        if (!test.bytes.empty()) {
            images->Write(test.name, test.bytes);
        }
        Prompts().reports.clear();
        {
            C_Sprite sprite(test.name);
            ASSERT_EQ(Prompts().reports.size(), 1u) << test.name;
            EXPECT_TRUE(Prompts().Saw("Could not create texture from " + test.name));
            EXPECT_EQ(sprite.GetTexture(), nullptr);
            EXPECT_EQ(g_textureCache.count(test.name), 0u);
            EXPECT_EQ(sprite.GetFrameWidth(), 0);

            ClearFrame();
            // Only the first failed draw is reported: a sprite drawn every
            // frame must not raise a prompt on every frame.
            for (int i = 0; i < 5; ++i) {
                EXPECT_EQ(sprite.Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0xFFFFFFFF), E_FAIL);
            }
            ASSERT_EQ(Prompts().reports.size(), 2u) << test.name;
            EXPECT_NE(
                Prompts().reports[1].text.find("trying to render sprite, but texture is NULL"),
                std::string::npos);
            EXPECT_EQ(PixelAt(1, 1), 0xFFFFFFFFu);
        }
        EXPECT_EQ(g_textureCache.count(test.name), 0u);
    }
}

// The record of a failed load never entered the cache; destroying it must
// leave a later sprite's good texture of the same name alone.
TEST_F(SpriteTest, AFailedSpriteLeavesALaterGoodOneCached) {
    auto failed = std::make_unique<C_Sprite>("late.png");
    images->Write("late.png", SolidPng(4, 4, 0xFF00FF00));
    C_Sprite good("late.png");
    ASSERT_NE(good.GetTexture(), nullptr);
    failed.reset();
    ASSERT_EQ(g_textureCache.count("late.png"), 1u);
    C_Sprite again("late.png");
    EXPECT_EQ(again.GetTexture(), good.GetTexture());
}

// A cached name opens no file: the texture knows the size.
TEST_F(SpriteTest, ACachedNameNeedsNoFile) {
    images->Write("gone-2-2-1.png", SolidPng(20, 10, 0xFF00FF00));
    C_Sprite first("gone-2-2-1.png");
    images->Remove("gone-2-2-1.png");
    Prompts().reports.clear();
    C_Sprite second("gone-2-2-1.png");
    EXPECT_TRUE(Prompts().reports.empty());
    EXPECT_EQ(second.GetTexture(), first.GetTexture());
    EXPECT_EQ(second.GetImageWidth(), 20);
    EXPECT_EQ(second.GetFrameWidth(), 10);
    EXPECT_EQ(second.GetFrameHeight(), 10);
    EXPECT_EQ(g_textureCache["gone-2-2-1.png"]->referenceCount, 2);
    ASSERT_EQ(second.SetFrame(1), S_OK);
    ClearFrame();
    EXPECT_EQ(second.Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0xFFFFFFFF), S_OK);
    EXPECT_EQ(PixelAt(2, 2), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(12, 2), 0xFFFFFFFFu);
}

// Pixels decoded ahead (the loading picture's, while the window comes up)
// make the same sprite the file would; none given, the file is read as ever.
TEST_F(SpriteTest, PixelsDecodedAheadStandInForTheFile) {
    std::vector<uint32_t> argb(40 * 10, 0xFFFF0000);
    for (size_t i = 0; i < argb.size(); ++i) {
        if (i % 40 >= 20) {
            argb[i] = 0xFF0000FF;
        }
    }
    const std::vector<uint8_t> png = ArgbPng(40, 10, argb);
    platform::Image decoded;
    ASSERT_TRUE(platform::DecodeImage(png.data(), png.size(), &decoded));
    {
        C_Sprite ahead("ahead-2-2-1.png", decoded);  // no such file
        EXPECT_TRUE(Prompts().reports.empty());
        EXPECT_EQ(ahead.GetFrameWidth(), 20);
        EXPECT_EQ(ahead.GetFrameHeight(), 10);
        ASSERT_EQ(ahead.SetFrame(1), S_OK);
        ClearFrame();
        EXPECT_EQ(ahead.Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0xFFFFFFFF), S_OK);
        EXPECT_EQ(PixelAt(5, 5), 0xFF0000FFu);
        EXPECT_EQ(PixelAt(25, 5), 0xFFFFFFFFu);
    }
    C_Sprite none("ahead-2-2-1.png", platform::Image{});
    EXPECT_EQ(none.GetTexture(), nullptr);
    EXPECT_TRUE(Prompts().Saw("Could not create texture from ahead-2-2-1.png"));
}

// An 80 x 40 picture, red on the left half and blue on the right, drawn with
// each transform; every sample point lies well inside a region.
TEST_F(SpriteTest, DrawScalesThenTurnsClockwiseAboutTheCentreThenMoves) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 80; ++x) {
            pixels.push_back(x < 40 ? 0xFFFF0000 : 0xFF0000FF);
        }
    }
    images->Write("halves.png", ArgbPng(80, 40, pixels));
    C_Sprite sprite("halves.png");
    const float quarter = static_cast<float>(M_PI / 2);
    struct Sample {
        int x;
        int y;
        uint32_t colour;
    };
    struct Case {
        std::string name;
        Vector2 position;
        Vector2 centre;
        float rotation;
        Vector2 scale;
        uint32_t colour;
        std::vector<Sample> samples;
    };
    const uint32_t white = 0xFFFFFFFF;
    const std::vector<Case> cases{
        {"unchanged",
         {100, 100},
         {0, 0},
         0.0f,
         {1, 1},
         white,
         {{110, 120, 0xFFFF0000},
          {170, 120, 0xFF0000FF},
          {99, 120, white},
          {181, 120, white},
          {110, 141, white}}},
        // Scaled to 40 x 20, turned a quarter clockwise about its middle
        // (20, 10): it stands 20 wide and 40 high about (120, 110), the left
        // (red) half on top, at half opacity over the white frame.
        {"half size, quarter turn, half alpha",
         {100, 100},
         {20, 10},
         quarter,
         {0.5f, 0.5f},
         0x80FFFFFF,
         {{120, 94, 0xFFFF7F7F},
          {120, 126, 0xFF7F7FFF},
          {112, 100, 0xFFFF7F7F},
          {128, 120, 0xFF7F7FFF},
          {105, 110, white},
          {135, 110, white},
          {120, 87, white},
          {120, 133, white}}},
        {"a turn about the top-left corner",
         {200, 200},
         {0, 0},
         quarter,
         {1, 1},
         white,
         {{180, 210, 0xFFFF0000}, {180, 270, 0xFF0000FF}, {210, 210, white}}},
        {"tinted",
         {0, 0},
         {0, 0},
         0.0f,
         {1, 1},
         0xFF00FF00,
         {{10, 10, 0xFF000000}, {50, 10, 0xFF000000}}},
        // Mirrored about its top-left corner: it spans x 220 to 300, red now on the right.
        {"mirrored",
         {300, 300},
         {0, 0},
         0.0f,
         {-1, 1},
         white,
         {{290, 320, 0xFFFF0000}, {230, 320, 0xFF0000FF}, {310, 320, white}}},
    };
    for (const Case& test : cases) {
        ClearFrame();
        ASSERT_EQ(sprite.Draw(test.position, test.centre, test.rotation, test.scale, test.colour),
                  S_OK);
        const std::vector<uint32_t> frame = Pixels();
        for (const Sample& sample : test.samples) {
            const uint32_t pixel = frame[static_cast<size_t>(sample.y) * 713 + sample.x];
            EXPECT_TRUE(Near(pixel, sample.colour))
                << test.name << " at (" << sample.x << ", " << sample.y << "): " << std::hex
                << pixel << " instead of " << sample.colour;
        }
    }
    EXPECT_TRUE(Prompts().reports.empty());
}

// A draw the renderer refuses (here: the renderer is gone) is reported by
// name; the sprite's texture is then left to the renderer that took it.
TEST_F(SpriteTest, ARefusedDrawIsReportedWithTheName) {
    images->Write("late-2-2-1.png", SolidPng(8, 4, 0xFF00FF00));
    C_Sprite sprite("late-2-2-1.png");
    StopGame();
    EXPECT_EQ(sprite.Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0xFFFFFFFF), E_FAIL);
    ASSERT_EQ(Prompts().reports.size(), 1u);
    EXPECT_TRUE(Prompts().Saw("Failed to draw sprite late-2-2-1.png"));
}

TEST_F(SpriteTest, ThePicturesAlphaBlendsWithWhatIsBelow) {
    images->Write("glass.png", SolidPng(10, 10, 0x40000000));
    C_Sprite sprite("glass.png");
    ClearFrame();
    ASSERT_EQ(sprite.Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0xFFFFFFFF), S_OK);
    EXPECT_TRUE(Near(PixelAt(5, 5), 0xFFBFBFBF));
    // The colour's alpha scales the picture's own.
    ClearFrame();
    ASSERT_EQ(sprite.Draw({0, 0}, {0, 0}, 0.0f, {1, 1}, 0x80FFFFFF), S_OK);
    EXPECT_TRUE(Near(PixelAt(5, 5), 0xFFDFDFDF));
}

}  // namespace
