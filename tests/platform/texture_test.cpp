#include "platform/texture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"

#include "support/imagetest.h"

namespace {

using TextureTest = ImageTest;

// Red on the left, blue on the right, stretched over (10, 10)-(30, 20); a
// point just left of the middle is pure red when sampled by points.
void DrawRedBlue(platform::VertexBuffer* vertices, const platform::Texture& texture,
                 platform::Filter filter) {
    const float corners[6][4] = {{10, 20, 0, 1}, {10, 10, 0, 0}, {30, 20, 1, 1},
                                 {30, 10, 1, 0}, {30, 20, 1, 1}, {10, 10, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        vertices->Set(i, corners[i][0], corners[i][1], 0xFFFFFFFF, corners[i][2], corners[i][3]);
    }
    ASSERT_TRUE(vertices->DrawTriangles(texture, 6, filter));
}

// A frame like the one on screen is not drawn again, unless a texture it
// draws holds other pixels: one made in the place of another is new.
TEST_F(TextureTest, AFrameIsPresentedOnlyWhenItDrawsSomethingNew) {
    platform::Display* device = g_pView->GetDevice();
    std::unique_ptr<platform::Texture> texture;
    struct Frame {
        bool newTexture;
        uint32_t colour;
        bool presented;
    };
    for (const Frame& frame : std::vector<Frame>{
             {true, 0xFFFF0000, true}, {false, 0xFFFF0000, false}, {true, 0xFF0000FF, true}}) {
        if (frame.newTexture) {
            texture.reset();
            const std::vector<uint32_t> texels(4, frame.colour);
            texture = platform::Texture::Create(device, texels.data(), 2, 2);
            ASSERT_NE(texture, nullptr);
        }
        const unsigned long presents = device->Presents();
        ClearFrame();
        ASSERT_TRUE(texture->Draw({0, 0, 2, 2}, 10, 10, 2, 2, 0, 0, 0, 0xFFFFFFFF));
        ASSERT_TRUE(device->Present());
        EXPECT_EQ(device->Presents() - presents, frame.presented ? 1u : 0u);
        EXPECT_EQ(PixelAt(11, 11), frame.colour);
    }
}

TEST_F(TextureTest, EachDrawSamplesAsItAsksWhateverCameBefore) {
    const std::vector<uint32_t> texels{0xFFFF0000, 0xFF0000FF};
    auto texture = platform::Texture::Create(g_pView->GetDevice(), texels.data(), 2, 1);
    ASSERT_NE(texture, nullptr);
    platform::VertexBuffer vertices(6);
    vertices.Set(6, 0, 0, 0, 0, 0);  // beyond the capacity: ignored
    const platform::Filter order[] = {platform::Filter::Point, platform::Filter::Linear,
                                      platform::Filter::Point};
    for (platform::Filter filter : order) {
        ClearFrame();
        DrawRedBlue(&vertices, *texture, filter);
        EXPECT_EQ(texture->GetFilter(), filter);
        if (filter == platform::Filter::Point) {
            EXPECT_EQ(PixelAt(18, 15), 0xFFFF0000u);
        }
        // A sprite draw is always smoothed, and leaves the texture so.
        ASSERT_TRUE(texture->Draw({0, 0, 2, 1}, 100, 100, 10, 10, 0, 0, 0, 0xFFFFFFFF));
        EXPECT_EQ(texture->GetFilter(), platform::Filter::Linear);
        EXPECT_NE(PixelAt(108, 105), 0xFFFF0000u);
    }
    EXPECT_EQ(PixelAt(31, 15), 0xFFFFFFFFu);
    EXPECT_FALSE(vertices.DrawTriangles(*texture, 7, platform::Filter::Point));
}

// Opaque pictures skip blending; every fade, and any clear pixel, must not.
TEST_F(TextureTest, OpaquePicturesStillBlendWhenFaded) {
    const std::vector<uint32_t> solid(4, 0xFFFF0000);
    auto opaque = platform::Texture::Create(g_pView->GetDevice(), solid.data(), 2, 2);
    const std::vector<uint32_t> lastClear{0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0x00000000};
    auto holed = platform::Texture::Create(g_pView->GetDevice(), lastClear.data(), 2, 2);
    ASSERT_NE(opaque, nullptr);
    ASSERT_NE(holed, nullptr);
    const uint32_t halfRed = 0xFFFF7F7F;
    for (int round = 0; round < 2; ++round) {
        ClearFrame();
        ASSERT_TRUE(opaque->Draw({0, 0, 2, 2}, 0, 0, 5, 5, 0, 0, 0, 0xFFFFFFFF));
        EXPECT_EQ(PixelAt(5, 5), 0xFFFF0000u);
        ASSERT_TRUE(opaque->Draw({0, 0, 2, 2}, 20, 0, 5, 5, 0, 0, 0, 0x80FFFFFF));
        EXPECT_TRUE(Near(PixelAt(25, 5), halfRed)) << std::hex << PixelAt(25, 5);
        ASSERT_TRUE(holed->Draw({0, 0, 2, 2}, 40, 0, 1, 1, 0, 0, 0, 0xFFFFFFFF));
        EXPECT_EQ(PixelAt(40, 0), 0xFFFF0000u);
        EXPECT_EQ(PixelAt(41, 1), 0xFFFFFFFFu);
    }
    // Vertex colours fade too, even right after an unblended copy.
    platform::VertexBuffer vertices(6);
    const float corners[6][4] = {{60, 10, 0, 1}, {60, 0, 0, 0},  {70, 10, 1, 1},
                                 {70, 0, 1, 0},  {70, 10, 1, 1}, {60, 0, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        vertices.Set(i, corners[i][0], corners[i][1], 0x80FFFFFF, corners[i][2], corners[i][3]);
    }
    ASSERT_TRUE(opaque->Draw({0, 0, 2, 2}, 0, 0, 1, 1, 0, 0, 0, 0xFFFFFFFF));
    ASSERT_TRUE(vertices.DrawTriangles(*opaque, 6, platform::Filter::Point));
    EXPECT_TRUE(Near(PixelAt(65, 5), halfRed)) << std::hex << PixelAt(65, 5);
}

TEST_F(TextureTest, TexturesAreRefusedBeyondTheDevicesLimit) {
    const std::vector<uint32_t> texels(64 * 2, 0xFFFFFFFF);
    g_pView->GetDevice()->SetTextureWidthLimit(32);
    EXPECT_EQ(g_pView->GetDevice()->MaxTextureWidth(), 32);
    EXPECT_EQ(platform::Texture::Create(g_pView->GetDevice(), texels.data(), 64, 2), nullptr);
    EXPECT_NE(platform::Texture::Create(g_pView->GetDevice(), texels.data(), 32, 2), nullptr);
    EXPECT_EQ(platform::Texture::Create(nullptr, texels.data(), 32, 2), nullptr);
    EXPECT_EQ(platform::Texture::Create(g_pView->GetDevice(), texels.data(), 0, 2), nullptr);
}

// A texture that outlives its renderer is left alone, not freed twice.
TEST_F(TextureTest, ATextureOutlivingItsRendererIsHarmless) {
    const std::vector<uint32_t> texels(4, 0xFFFFFFFF);
    auto texture = platform::Texture::Create(g_pView->GetDevice(), texels.data(), 2, 2);
    ASSERT_NE(texture, nullptr);
    StopGame();
    EXPECT_FALSE(texture->Draw({0, 0, 2, 2}, 0, 0, 1, 1, 0, 0, 0, 0xFFFFFFFF));
    texture.reset();
}

// A picture loaded from its file band by band draws as the same picture
// decoded whole: tall enough for several bands, its only clear pixels in
// the last band (which must still make it blend), and also interlaced, as a
// BMP, truncated, and beyond the device's limit.
TEST_F(TextureTest, APictureLoadedBandByBandDrawsAsDecodedWhole) {
    constexpr int kWidth = 5;
    constexpr int kHeight = 150;
    std::vector<uint32_t> argb;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t alpha = y >= 140 && x == 2 ? 0x00 : 0xFF;
            argb.push_back(alpha << 24 | static_cast<uint32_t>(y) << 16 |
                           static_cast<uint32_t>(40 * x) << 8 | 0x33);
        }
    }
    PngLayout interlaced{kWidth, kHeight, 6, 8, true, {}, {}, {}};
    for (uint32_t pixel : argb) {
        interlaced.samples.insert(
            interlaced.samples.end(),
            {static_cast<uint16_t>((pixel >> 16) & 0xFF),
             static_cast<uint16_t>((pixel >> 8) & 0xFF), static_cast<uint16_t>(pixel & 0xFF),
             static_cast<uint16_t>(pixel >> 24)});
    }
    images->Write("tall.png", ArgbPng(kWidth, kHeight, argb));
    images->Write("interlaced.png", EncodePng(interlaced));
    images->Write("tall.bmp", EncodeBmp24(kWidth, kHeight, argb, false));
    platform::Display* device = g_pView->GetDevice();
    for (const char* name : {"tall.png", "interlaced.png", "tall.bmp"}) {
        const std::string path = std::string("./images/") + name;
        platform::Image whole;
        ASSERT_TRUE(platform::LoadImageFile(path, &whole)) << name;
        auto decoded = platform::Texture::Create(device, whole.argb.data(), kWidth, kHeight);
        auto loaded = platform::Texture::Load(device, path);
        ASSERT_NE(loaded, nullptr) << name;
        EXPECT_EQ(loaded->Width(), kWidth);
        EXPECT_EQ(loaded->Height(), kHeight);
        std::vector<uint32_t> pixels[2];
        for (int i = 0; i < 2; ++i) {
            ClearFrame();
            const platform::Texture& texture = i == 0 ? *decoded : *loaded;
            ASSERT_TRUE(texture.Draw({0, 0, kWidth, kHeight}, 0, 0, 1, 1, 0, 0, 0, 0xFFFFFFFF));
            ASSERT_TRUE(device->ReadPixels(&pixels[i]));
        }
        EXPECT_EQ(pixels[0], pixels[1]) << name;
    }
    EXPECT_NE(PixelAt(2, 145), 0xFFFFFFFFu);  // the BMP has no clear pixels

    std::vector<uint8_t> truncated = ArgbPng(kWidth, kHeight, argb);
    truncated.resize(truncated.size() - 20);
    images->Write("truncated.png", truncated);
    EXPECT_EQ(platform::Texture::Load(device, "./images/truncated.png"), nullptr);
    device->SetTextureWidthLimit(100);
    EXPECT_EQ(platform::Texture::Load(device, "./images/tall.png"), nullptr);
    EXPECT_EQ(platform::Texture::Load(nullptr, "./images/tall.png"), nullptr);
}

}  // namespace
