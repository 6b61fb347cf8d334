#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/image.h"
#include "support/framework.h"
#include "view/sprite.h"

namespace {

// One line of tools/asset_manifest.txt.
struct Asset {
    std::string path;
    std::string kind;  // "image", "wav" or "mp3"
    int width = 0, height = 0, frames = 0, columns = 0, rows = 0;
};

std::vector<Asset> ReadManifest() {
    std::ifstream in("tools/asset_manifest.txt");
    std::vector<Asset> assets;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        Asset asset;
        std::string second;
        fields >> asset.path >> second;
        if (second == "wav" || second == "mp3") {
            asset.kind = second;
        } else {
            asset.kind = "image";
            asset.width = std::stoi(second);
            fields >> asset.height >> asset.frames >> asset.columns >> asset.rows;
        }
        assets.push_back(asset);
    }
    return assets;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

class AssetTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        assets = ReadManifest();
        ASSERT_GT(assets.size(), 50u) << "tools/asset_manifest.txt is missing or short";
    }
    std::vector<Asset> assets;
};

TEST_F(AssetTest, EveryPictureDecodesAtItsSizeAndCutsIntoItsGrid) {
    StartGame();  // sprites need the renderer
    Prompts().reports.clear();
    int pictures = 0;
    for (const Asset& asset : assets) {
        if (asset.kind != "image") {
            continue;
        }
        ++pictures;
        SCOPED_TRACE(asset.path);
        platform::Image image;
        ASSERT_TRUE(platform::LoadImageFile(asset.path, &image));
        EXPECT_EQ(image.width, asset.width);
        EXPECT_EQ(image.height, asset.height);

        const std::string name = asset.path.substr(asset.path.find('/') + 1);
        C_Sprite sprite(name);
        EXPECT_EQ(sprite.GetTotalAnimations(), asset.frames);
        EXPECT_EQ(sprite.GetColumns(), asset.columns);
        EXPECT_EQ(sprite.GetRows(), asset.rows);
        EXPECT_EQ(sprite.GetFrameWidth() * asset.columns, asset.width) << "frames do not tile";
        EXPECT_EQ(sprite.GetFrameHeight() * asset.rows, asset.height) << "frames do not tile";
        EXPECT_NE(sprite.GetTexture(), nullptr);
    }
    EXPECT_GT(pictures, 40);
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(AssetTest, EverySoundIsPcm16BitStereo44100WithTheFormatChunkFirst) {
    int sounds = 0;
    for (const Asset& asset : assets) {
        if (asset.kind != "wav") {
            continue;
        }
        ++sounds;
        SCOPED_TRACE(asset.path);
        const std::vector<uint8_t> bytes = ReadBytes(asset.path);
        ASSERT_GE(bytes.size(), 44u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
        EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
        EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "WAVE");
        EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "fmt ");
        const uint32_t formatSize = Le32(bytes, 16);
        EXPECT_EQ(Le16(bytes, 20), 1) << "not PCM";
        EXPECT_EQ(Le16(bytes, 22), 2) << "not stereo";
        EXPECT_EQ(Le32(bytes, 24), 44100u);
        EXPECT_EQ(Le16(bytes, 34), 16) << "not 16-bit";
        const size_t data = 20 + formatSize;
        ASSERT_LE(data + 8, bytes.size());
        EXPECT_EQ(std::string(bytes.begin() + data, bytes.begin() + data + 4), "data");
        EXPECT_EQ(data + 8 + Le32(bytes, data + 4), bytes.size()) << "something after the data";
    }
    EXPECT_EQ(sounds, 4);
}

TEST_F(AssetTest, TheMusicIsAnMp3Stream) {
    int tunes = 0;
    for (const Asset& asset : assets) {
        if (asset.kind != "mp3") {
            continue;
        }
        ++tunes;
        SCOPED_TRACE(asset.path);
        const std::vector<uint8_t> bytes = ReadBytes(asset.path);
        ASSERT_GT(bytes.size(), 100000u);
        // An MPEG-1 Layer III frame header at the start: sync, version, layer.
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1] & 0xFE, 0xFA);
        // 44.1 kHz is sample-rate index 0.
        EXPECT_EQ((bytes[2] >> 2) & 0x3, 0);
    }
    EXPECT_EQ(tunes, 1);
}

}  // namespace
