#include "platform/texture.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/imagetest.h"

namespace {

using TextureTest = ImageTest;

TEST_F(TextureTest, TriangleDrawsGiveTheTextureItsSamplingBack) {
    const std::vector<uint32_t> texels(4, 0xFF00FF00);
    auto texture = platform::Texture::Create(g_pView->GetDevice(), texels.data(), 2, 2);
    ASSERT_NE(texture, nullptr);
    platform::VertexBuffer vertices(6);
    const float corners[6][4] = {{10, 30, 0, 1}, {10, 10, 0, 0}, {30, 30, 1, 1},
                                 {30, 10, 1, 0}, {30, 30, 1, 1}, {10, 10, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        vertices.Set(i, corners[i][0], corners[i][1], 0xFFFFFFFF, corners[i][2], corners[i][3]);
    }
    vertices.Set(6, 0, 0, 0, 0, 0);  // beyond the capacity: ignored
    ClearFrame();
    ASSERT_TRUE(vertices.DrawTriangles(*texture, 6, platform::Filter::Linear));
    EXPECT_EQ(texture->GetFilter(), platform::Filter::Point);
    ASSERT_TRUE(texture->Draw({0, 0, 2, 2}, 100, 100, 4, 4, 0, 0, 0, 0xFFFFFFFF));
    EXPECT_EQ(texture->GetFilter(), platform::Filter::Point);
    EXPECT_EQ(PixelAt(20, 20), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(31, 20), 0xFFFFFFFFu);
    EXPECT_FALSE(vertices.DrawTriangles(*texture, 7, platform::Filter::Point));
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
