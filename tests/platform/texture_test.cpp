#include "platform/texture.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
