#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "model/model.h"
#include "platform/image.h"
#include "pong/pong.h"
#include "screens/instructions.h"
#include "screens/keyhints.h"
#include "screens/matchscreen.h"
#include "screens/overlaylines.h"
#include "screens/playscreen.h"
#include "screens/scorescreen.h"
#include "screens/settingsscreen.h"
#include "screens/versusscreen.h"
#include "support/framework.h"
#include "view/font.h"
#include "view/sprite.h"
#include "view/view.h"

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

// WCAG's contrast of two sRGB colours.
double Contrast(uint32_t a, uint32_t b) {
    auto luminance = [](uint32_t argb) {
        const double weights[] = {0.0722, 0.7152, 0.2126};  // blue, green, red
        double sum = 0.05;
        for (int i = 0; i < 3; ++i) {
            const double c = static_cast<double>((argb >> (8 * i)) & 0xFF) / 255.0;
            sum += weights[i] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

constexpr double kReadable = 4.5;

// A picture's pixel drawn with a tint colour over the opaque `under`.
uint32_t Drawn(uint32_t pixel, uint32_t tint, uint32_t under) {
    const uint32_t alpha = (pixel >> 24) * (tint >> 24) / 255;
    uint32_t out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t top = ((pixel >> shift) & 0xFF) * ((tint >> shift) & 0xFF) / 255;
        out |= ((top * alpha + ((under >> shift) & 0xFF) * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

// The least `contrast` of a picture's pixels lying under the screen box
// [x0, x1) x [y0, y1), the picture drawn at 0.7.
template <typename ContrastOf>
double Least(const char* path, int x0, int y0, int x1, int y1, ContrastOf contrast) {
    platform::Image picture;
    if (!platform::LoadImageFile(path, &picture)) {
        return 0.0;
    }
    double least = 21.0;
    for (int y = static_cast<int>(y0 / 0.7); y < static_cast<int>(y1 / 0.7); ++y) {
        for (int x = static_cast<int>(x0 / 0.7); x < static_cast<int>(x1 / 0.7); ++x) {
            least =
                std::min(least, contrast(picture.argb[static_cast<size_t>(y * picture.width + x)]));
        }
    }
    return least;
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
    EXPECT_EQ(sounds, 11);
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
    EXPECT_EQ(tunes, 3);
}

TEST_F(AssetTest, PongScoresReadCentredInTheScoreboardsWindows) {
    StartGame();
    // Where the digits' ink lies from the text's corner, drawn white on black at
    // (0, 0); the field's scale moves the scoreboard and scores alike.
    C_Font* font = g_pModel->GetFont();
    font->SetColour(0xFFFFFFFF);
    ASSERT_TRUE(g_pView->GetDevice()->Clear(0xFF000000));
    for (const char* digit : {"0", "1", "2", "3", "4", "5"}) {
        ASSERT_EQ(font->DrawText(digit, 0, 0, TEXT_FILTERED), S_OK);
    }
    const std::vector<uint32_t> drawn = Pixels();
    const int screenWidth = g_pView->GetWidth();
    int left = screenWidth, top = screenWidth, right = -1, bottom = -1;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i] != 0xFF000000u) {
            const int x = static_cast<int>(i) % screenWidth;
            const int y = static_cast<int>(i) / screenWidth;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    ASSERT_GE(right, left) << "no digit was drawn";

    platform::Image board;
    ASSERT_TRUE(platform::LoadImageFile("images/pong_scoreboard.png", &board));
    // The field is white where the picture lets it through.
    auto readable = [&board](int x, int y) {
        return x >= 0 && y >= 0 && x < board.width && y < board.height &&
               Contrast(kPongScoreColour,
                        Drawn(board.argb[static_cast<size_t>(y * board.width + x)], 0xFFFFFFFF,
                              0xFFFFFFFF)) >= kReadable;
    };
    for (int score = 0; score < 2; ++score) {
        SCOPED_TRACE(score == 0 ? "the player's score" : "the computer's score");
        const int x0 = kPongScoreX[score] - static_cast<int>(kPongScoreboardX) + left;
        const int y0 = kPongScoreY - static_cast<int>(kPongScoreboardY) + top;
        const int x1 = x0 + right - left;
        const int y1 = y0 + bottom - top;
        int unreadable = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                unreadable += readable(x, y) ? 0 : 1;
            }
        }
        EXPECT_EQ(unreadable, 0) << "pixels under the digits below " << kReadable << ":1";
        // The window reaches from the ink's middle to its rim, where the
        // contrast falls: as far on either side.
        auto reach = [&](int dx, int dy) {
            int n = 0;
            while (readable((x0 + x1) / 2 + dx * (n + 1), (y0 + y1) / 2 + dy * (n + 1))) {
                ++n;
            }
            return n;
        };
        EXPECT_LE(std::abs(reach(1, 0) - reach(-1, 0)), 2) << "off centre across";
        EXPECT_LE(std::abs(reach(0, 1) - reach(0, -1)), 2) << "off centre down";
    }
}

TEST_F(AssetTest, ConsoleTextReadsOverAnyScreen) {
    platform::Image backdrop;
    ASSERT_TRUE(platform::LoadImageFile("images/console_top.png", &backdrop));
    // A blend grows with what lies under it, so black and white bound every
    // screen.
    for (const uint32_t under : {0xFF000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(under);
        double lines = 21.0;
        double input = 21.0;
        for (const uint32_t pixel : backdrop.argb) {
            const uint32_t behindLines = Drawn(pixel, C_Console::kBackdropColour, under);
            const uint32_t behindInput = Drawn(pixel, C_Console::kInputBarColour, under);
            lines = std::min(lines, Contrast(C_Console::kLineColour, behindLines));
            input = std::min(input, Contrast(C_Console::kInputColour, behindInput));
        }
        EXPECT_GE(lines, kReadable);
        EXPECT_GE(input, kReadable);
    }
}

TEST_F(AssetTest, VersusTextsReadInTheWindowsTheyAreDrawnIn) {
    const struct {
        const char* picture;
        TextWindow window;
        uint32_t colour;
    } places[] = {
        {"images/match.png", kMatchLevelWindow, kMatchTextColour},
        {"images/match.png", kMatchScoreWindows[0], kMatchTextColour},
        {"images/match.png", kMatchScoreWindows[1], kMatchTextColour},
        {"images/match.png", kMatchStrengthWindow, kMatchTextColour},
        {"images/match_net.png", kMatchScoreWindows[1], kMatchTextColour},
        {"images/match_net.png", kMatchStrengthWindow, kMatchTextColour},
        {"images/versus.png", kVersusLevelWindow, kVersusLevelColour},
        {"images/match_two.png", kSeatLevelWindow, kMatchTextColour},
        {"images/match_two.png", kSeatPlaces[0].score, kMatchTextColour},
        {"images/match_two.png", kSeatPlaces[1].score, kMatchTextColour},
        {"images/match_two.png", kSeatPlaces[0].device, kSeatDeviceColour},
        {"images/match_two.png", kSeatPlaces[1].device, kSeatDeviceColour},
    };
    // The keys panels and the instructions' key caps, where the code writes
    // the player's keys.
    std::vector<std::pair<const char*, TextBox>> keyPlaces = {
        {"images/bg3.png", kPlayKeysPlace.box},
        {"images/match.png", kMatchKeysPlace.box},
        {"images/match_net.png", kMatchKeysPlace.box},
        {"images/instruction.png", kInstructionMovesLine},
        {"images/match_two.png", kSeatPlaces[0].keys.box},
        {"images/match_two.png", kSeatPlaces[1].keys.box}};
    for (int row = 0; row < kInstructionKeyRows; ++row) {
        const TextBox cap = InstructionKeyCell(row);
        keyPlaces.emplace_back("images/instruction.png",
                               TextBox{cap.left + 3, cap.top + 3, cap.right - 3, cap.bottom - 3});
    }
    for (const auto& [picture, box] : keyPlaces) {
        EXPECT_GE(Least(picture, box.left, box.top, box.right, box.bottom,
                        [](uint32_t under) {
                            return Contrast(Drawn(0xFFFFFFFF, kKeyHintWhatColour, under), under);
                        }),
                  kReadable)
            << picture;
    }
    // Inside the window's lit rim, where the text's ink lies.
    constexpr int kRim = 3;
    for (const auto& place : places) {
        const TextWindow& w = place.window;
        EXPECT_GE(Least(place.picture, w.x0 + kRim, w.y0 + kRim, w.x1 - kRim, w.y1 - kRim,
                        [&](uint32_t under) {
                            return Contrast(Drawn(0xFFFFFFFF, place.colour, under), under);
                        }),
                  kReadable)
            << place.picture << " at " << w.x0 << ", " << w.y0;
    }
}

// The ready and paused pictures under the lines the code writes over them,
// the pictures drawn translucent (the play screen's alpha, the lower one) at
// (61, 240) over the dark well or over a light piece.
TEST_F(AssetTest, TheOverlayLinesReadOverTheirPictures) {
    const struct {
        const char* picture;
        TextBox box;
        uint32_t colour;
    } places[] = {{"images/game_info.png", kOverlayFirstLine, kOverlayColour},
                  {"images/paused.png", kOverlayFirstLine, kOverlayColour},
                  {"images/paused.png", kOverlaySecondLine, kOverlayDimColour}};
    constexpr int kLeft = 61;
    constexpr int kTop = 240;
    constexpr uint32_t kTint = 0xE6FFFFFF;
    for (const auto& place : places) {
        const TextBox& b = place.box;
        EXPECT_GE(
            Least(place.picture, b.left - kLeft, b.top - kTop, b.right - kLeft, b.bottom - kTop,
                  [&](uint32_t pixel) {
                      return std::min(Contrast(place.colour, Drawn(pixel, kTint, 0xFF000000)),
                                      Contrast(place.colour, Drawn(pixel, kTint, 0xFFFFFFFF)));
                  }),
            kReadable)
            << place.picture << " at " << b.left << ", " << b.top;
    }
}

// Every picture pixel under a place the settings and score screens write
// reads against every colour they write there.
TEST_F(AssetTest, TheSettingsAndScoreScreensTextReadsOverTheirPictures) {
    struct Place {
        TextBox box;
        std::vector<uint32_t> colours;
    };
    using Settings = C_SettingsScreen;
    using Scores = C_ScoreScreen;
    const std::vector<uint32_t> cellColours = {Settings::kTextColour, Settings::kHoverColour,
                                               Settings::kAwaitColour};
    std::vector<Place> settingsPlaces = {{Settings::kMessageBox, {Settings::kMessageColour}},
                                         {Settings::VolumeValueBox(0), cellColours},
                                         {Settings::VolumeValueBox(1), cellColours},
                                         {Settings::OptionBox(2), cellColours},
                                         {Settings::OptionBox(3), cellColours},
                                         {Settings::MoveModeBox(), cellColours},
                                         {Settings::RepeatValueBox(0), cellColours},
                                         {Settings::RepeatValueBox(1), cellColours},
                                         {Settings::RelayBox(), cellColours}};
    for (int seat = 0; seat < kSeats; ++seat) {
        settingsPlaces.push_back({Settings::PlayerBox(seat), cellColours});
        settingsPlaces.back().colours.push_back(Settings::kOtherPageColour);
    }
    for (int action = 0; action < kGameActionCount; ++action) {
        settingsPlaces.push_back({Settings::KeyBox(action), cellColours});
        settingsPlaces.push_back({Settings::PadBox(action), cellColours});
    }
    std::vector<Place> scorePlaces = {{Scores::kPromptBox, {Scores::kMarkedColour}}};
    for (int line = 0; line < C_HighScores::kPlaces; ++line) {
        scorePlaces.push_back(
            {Scores::LineBox(line), {Scores::kTextColour, Scores::kMarkedColour}});
    }
    const std::pair<const char*, const std::vector<Place>*> pictures[] = {
        {"images/settings.png", &settingsPlaces}, {"images/scores.png", &scorePlaces}};
    for (const auto& [path, places] : pictures) {
        for (const Place& place : *places) {
            const TextBox& b = place.box;
            EXPECT_GE(Least(path, b.left, b.top, b.right, b.bottom,
                            [&](uint32_t pixel) {
                                double least = 21.0;
                                for (const uint32_t colour : place.colours) {
                                    least = std::min(
                                        least,
                                        Contrast(colour, Drawn(pixel, 0xFFFFFFFF, 0xFF000000)));
                                }
                                return least;
                            }),
                      kReadable)
                << path << " at " << b.left << "," << b.top;
        }
    }
}

}  // namespace
