#include "view/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "support/imagetest.h"

namespace {

// A box of the pixels that are not white; empty when there are none.
struct Box {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;
    int bottom = -1;
    bool Empty() const { return right < 0; }
};

class FontTest : public ImageTest {
protected:
    Box Ink() const {
        const std::vector<uint32_t> frame = Pixels();
        Box box;
        for (int y = 0; y < 653; ++y) {
            for (int x = 0; x < 713; ++x) {
                if (frame[static_cast<size_t>(y) * 713 + x] != 0xFFFFFFFF) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
            }
        }
        return box;
    }

    static float Width(const C_TextureFont& font, char c) {
        const auto& cell = font.GetGlyphCoords(c);
        return (cell[2] - cell[0]) * static_cast<float>(font.GetAtlasWidth());
    }

    static int LineHeight(const C_TextureFont& font) {
        TextSize size;
        font.MeasureText("", &size);
        return size.cy;
    }
};

TEST_F(FontTest, TheAtlasSizeFollowsTheHeightWithEdgesAt20And40) {
    struct Case {
        int points;
        int atlas;
        int pixels;
    };
    for (const Case& test : std::vector<Case>{{9, 256, 12},
                                              {20, 256, 27},
                                              {21, 512, 28},
                                              {25, 512, 33},
                                              {40, 512, 53},
                                              {41, 1024, 55},
                                              {60, 1024, 80}}) {
        C_Font font("Helvitica", test.points, 0xFF000000);
        const C_TextureFont& glyphs = *font.GetTextureFont();
        ASSERT_TRUE(glyphs.HasAtlas()) << test.points;
        EXPECT_EQ(glyphs.GetAtlasWidth(), test.atlas) << test.points;
        // As tall as the glyph rows need, rounded up to a power of two (so
        // texture coordinates stay exact), with an empty row under the last.
        const int height = glyphs.GetAtlasHeight();
        const float bottom = glyphs.GetGlyphCoords('~')[3] * static_cast<float>(height);
        EXPECT_EQ(height & (height - 1), 0) << test.points;
        EXPECT_LE(height, test.atlas) << test.points;
        EXPECT_LT(bottom, static_cast<float>(height)) << test.points;
        EXPECT_GE(bottom + 1.0f, static_cast<float>(height / 2)) << test.points;
        EXPECT_FLOAT_EQ(glyphs.GetTextScale(), 1.0f) << test.points;
        EXPECT_EQ(glyphs.GetPixelHeight(), test.pixels) << test.points;
        // A cell is at least the em high, and not wildly more.
        EXPECT_GE(LineHeight(glyphs), test.pixels) << test.points;
        EXPECT_LE(LineHeight(glyphs), test.pixels * 3 / 2) << test.points;
    }
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(FontTest, ASmallTextureLimitHalvesTheAtlasAndTheGlyphsButNotTheText) {
    ClearFrame();
    C_Font full("Helvitica", 60, 0xFF000000);
    ASSERT_EQ(full.DrawText("MW", 20, 20, 0), S_OK);
    const Box fullInk = Ink();

    g_pView->GetDevice()->SetTextureWidthLimit(512);
    C_Font limited("Helvitica", 60, 0xFF000000);
    const C_TextureFont& glyphs = *limited.GetTextureFont();
    EXPECT_EQ(glyphs.GetAtlasWidth(), 512);
    EXPECT_FLOAT_EQ(glyphs.GetTextScale(), 0.5f);
    EXPECT_EQ(glyphs.GetPixelHeight(), 40);  // MulDiv(60, 48, 72)
    C_Font small("Helvitica", 25, 0xFF000000);
    EXPECT_EQ(small.GetTextureFont()->GetAtlasWidth(), 512);
    EXPECT_FLOAT_EQ(small.GetTextureFont()->GetTextScale(), 1.0f);

    ClearFrame();
    ASSERT_EQ(limited.DrawText("MW", 20, 20, 0), S_OK);
    const Box limitedInk = Ink();
    ASSERT_FALSE(fullInk.Empty());
    ASSERT_FALSE(limitedInk.Empty());
    const int fullWidth = fullInk.right - fullInk.left;
    const int limitedWidth = limitedInk.right - limitedInk.left;
    EXPECT_NEAR(limitedWidth, fullWidth, fullWidth / 10);
    EXPECT_NEAR(limitedInk.bottom - limitedInk.top, fullInk.bottom - fullInk.top, 6);
}

TEST_F(FontTest, TheConsoleFontIs12PixelsHighWithLinesOf13) {
    C_Font console("HE_TERMINAL", 9, 0x321E1E1E);
    EXPECT_EQ(console.GetTextureFont()->GetPixelHeight(), 12);
    EXPECT_EQ(console.GetTextureFont()->GetAtlasWidth(), 256);
    struct Case {
        int points;
        float scaleX;
        float scaleY;
        int lineHeight;
    };
    for (const Case& test : std::vector<Case>{
             {9, 1, 1, 13}, {25, 1, 1, 37}, {9, 2, 1, 27}, {60, 0.5f, 3, 45}, {11, 1, 1, 16}}) {
        C_Font font("Arial", test.points, 0xFF000000);
        font.SetScale(test.scaleX, test.scaleY);
        EXPECT_EQ(font.GetLineHeight(), test.lineHeight) << test.points << " x " << test.scaleX;
    }
}

TEST_F(FontTest, MeasureTextCountsAtlasPixelsPerLine) {
    C_Font font("Arial", 24, 0xFF000000);
    const C_TextureFont& glyphs = *font.GetTextureFont();
    const int line = LineHeight(glyphs);
    const auto width = [&](const std::string& text) {
        float sum = 0;
        for (char c : text) {
            sum += Width(glyphs, c);
        }
        return static_cast<int>(sum);
    };
    ASSERT_GT(width("i"), 0);
    EXPECT_LT(width("i"), width("W"));
    struct Case {
        std::string text;
        int cx;
        int cy;
    };
    const std::vector<Case> cases{
        {"", 0, line},
        {"abc\n", width("abc"), 2 * line},
        {"ab\nWWW\nc", width("WWW"), 3 * line},
        {"\n\n", 0, 3 * line},
        {"a b", width("a b"), line},
        // Tab, carriage return and bytes from 127 up add nothing.
        {"a\tb\r\x7F\xC8\xFF", width("ab"), line},
    };
    for (const Case& test : cases) {
        TextSize size;
        ASSERT_EQ(glyphs.MeasureText(test.text.c_str(), &size), S_OK);
        EXPECT_EQ(size.cx, test.cx) << test.text;
        EXPECT_EQ(size.cy, test.cy) << test.text;
    }
    TextSize size;
    EXPECT_EQ(glyphs.MeasureText(nullptr, &size), E_FAIL);
    EXPECT_EQ(glyphs.MeasureText("a", nullptr), E_FAIL);
    // The draw scale plays no part.
    font.SetScale(3, 3);
    ASSERT_EQ(glyphs.MeasureText("abc", &size), S_OK);
    EXPECT_EQ(size.cx, width("abc"));
}

TEST_F(FontTest, FittedTextIsTheLongestCutThatFitsMarkedOnTheSideCut) {
    C_Font font("Arial", 24, 0xFF000000);
    const std::string name = "a-rather-long-host-name.example.org";
    const int whole = font.Width(name);
    font.SetScale(2, 2);
    EXPECT_EQ(font.Width(name), 2 * whole);  // as drawn
    font.SetScale(1, 1);
    for (const bool keepEnd : {false, true}) {
        EXPECT_EQ(font.Fitted(name, whole, keepEnd), name);
        EXPECT_EQ(font.Fitted(name, font.Width(".."), keepEnd), "");
        const auto cut = [&](std::size_t kept) {
            return keepEnd ? "..." + name.substr(name.size() - kept) : name.substr(0, kept) + "...";
        };
        for (const int width : {whole - 1, whole / 2, font.Width("a...")}) {
            const std::string fitted = font.Fitted(name, width, keepEnd);
            ASSERT_GE(fitted.size(), 4u) << width;
            EXPECT_EQ(fitted, cut(fitted.size() - 3));
            EXPECT_LE(font.Width(fitted), width);
            EXPECT_GT(font.Width(cut(fitted.size() - 2)), width);
        }
    }
}

TEST_F(FontTest, TextIsDrawnInBatchesOfAtMost50Characters) {
    C_Font font("HE_TERMINAL", 9, 0xFF000000);
    std::vector<int> batches;
    font.GetTextureFont()->SetBatchObserver([&](int characters) { batches.push_back(characters); });
    struct Case {
        std::string text;
        std::vector<int> batches;
    };
    std::string printable;
    for (int i = 0; i < 120; ++i) {
        printable += static_cast<char>('!' + i % 94);
    }
    std::string spaced;
    for (int i = 0; i < 60; ++i) {
        spaced += "x ";
    }
    const std::vector<Case> cases{{printable, {50, 50, 20}},
                                  {printable.substr(0, 50), {50}},
                                  {printable.substr(0, 51), {50, 1}},
                                  {spaced, {50, 10}},
                                  {"     ", {}},
                                  {"", {}}};
    for (const Case& test : cases) {
        batches.clear();
        ClearFrame();
        ASSERT_EQ(font.DrawText(test.text, 0, 100, 0), S_OK);
        EXPECT_EQ(batches, test.batches) << test.text.size() << " characters";
    }
}

// Draws with the texture font directly, so positions can be fractional.
class Drawing {
public:
    explicit Drawing(const C_TextureFont& glyphs_) : glyphs(const_cast<C_TextureFont&>(glyphs_)) {}
    void Text(float x, float y, const char* text, float sx = 1, float sy = 1, uint32_t flags = 0) {
        ASSERT_EQ(glyphs.DrawText(x, y, 0xFF000000, text, sx, sy, flags), S_OK);
    }

private:
    C_TextureFont& glyphs;
};

TEST_F(FontTest, LayoutMatchesTheSameTextDrawnPieceByPiece) {
    C_Font font("Arial", 24, 0xFF000000);
    const C_TextureFont& glyphs = *font.GetTextureFont();
    Drawing draw(glyphs);
    const float line = static_cast<float>(LineHeight(glyphs));
    const float a = Width(glyphs, 'A');
    const float space = Width(glyphs, ' ');
    TextSize size;
    glyphs.MeasureText("AB\nA", &size);
    const float cx = static_cast<float>(size.cx);
    const float cy = static_cast<float>(size.cy);

    struct Case {
        std::string name;
        std::function<void()> whole;
        std::function<void()> pieces;
    };
    const std::vector<Case> cases{
        {"a newline returns to the starting x one line lower",
         [&] { draw.Text(100, 100, "AB\nA"); },
         [&] {
             draw.Text(100, 100, "AB");
             draw.Text(100, 100 + line, "A");
         }},
        {"spaces advance without drawing", [&] { draw.Text(100, 100, "A  A"); },
         [&] {
             draw.Text(100, 100, "A");
             draw.Text(100 + a + 2 * space, 100, "A");
         }},
        {"skipped bytes do not advance",
         [&] {
             draw.Text(100, 100,
                       "A\t\r\x7F\xC8"
                       "B");
         },
         [&] { draw.Text(100, 100, "AB"); }},
        {"the measured box is centred on the point",
         [&] { draw.Text(300, 300, "AB\nA", 2, 1.5f, TEXT_CENTERED); },
         [&] {
             draw.Text(300 - cx, 300 - cy * 0.75f, "AB", 2, 1.5f);
             // The line advance is in atlas pixels, unscaled.
             draw.Text(300 - cx, 300 - cy * 0.75f + line, "A", 2, 1.5f);
         }},
    };
    for (const Case& test : cases) {
        ClearFrame();
        test.whole();
        const std::vector<uint32_t> whole = Pixels();
        ClearFrame();
        test.pieces();
        const std::vector<uint32_t> pieces = Pixels();
        EXPECT_NE(std::count(whole.begin(), whole.end(), 0xFFFFFFFF), 713 * 653) << test.name;
        EXPECT_TRUE(whole == pieces) << test.name;
    }
}

TEST_F(FontTest, CentredTextIsCentredOnItsPoint) {
    C_Font font("Arial", 24, 0xFF000000);
    ClearFrame();
    ASSERT_EQ(font.DrawText("HHHHHH", 356, 300, TEXT_CENTERED), S_OK);
    const Box ink = Ink();
    ASSERT_FALSE(ink.Empty());
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 356.0, 3.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 300.0, 5.0);
}

// Coverage keeps 4 bits: over white, opaque black text can only take the
// 16 grey levels 255 - 17k (give or take the blend's rounding).
TEST_F(FontTest, GlyphsAreAntialiasedWithSixteenCoverageLevels) {
    C_Font font("Helvitica", 25, 0xFF000000);
    ClearFrame();
    ASSERT_EQ(font.DrawText("Quick brown fox jumps @ 0123456789", 10, 100, 0), S_OK);
    std::set<int> levels;
    for (uint32_t pixel : Pixels()) {
        const int grey = static_cast<int>(pixel & 0xFF);
        const int step = (255 - grey + 1) % 17;
        EXPECT_LE(step, 2) << std::hex << pixel;
        EXPECT_EQ(pixel & 0xFFFFFF, static_cast<uint32_t>(grey) * 0x010101) << std::hex << pixel;
        levels.insert((255 - grey + 8) / 17);
    }
    EXPECT_GE(levels.size(), 8u);
    EXPECT_TRUE(levels.count(15));  // full coverage somewhere
}

TEST_F(FontTest, TheColourTintsTheText) {
    C_Font font("Helvitica", 25, 0xFFFF0000);
    ClearFrame();
    ASSERT_EQ(font.DrawText("IIII", 10, 100, 0), S_OK);
    bool sawRed = false;
    for (uint32_t pixel : Pixels()) {
        EXPECT_EQ(pixel & 0xFF00, (pixel & 0xFF) << 8) << std::hex << pixel;
        EXPECT_EQ(pixel & 0xFF0000, 0xFF0000u) << std::hex << pixel;
        sawRed = sawRed || pixel == 0xFFFF0000;
    }
    EXPECT_TRUE(sawRed);
}

TEST_F(FontTest, FilteringIsForOneDrawOnly) {
    C_Font font("Arial", 24, 0xFF000000);
    font.SetScale(3.3f, 3.3f);
    ClearFrame();
    ASSERT_EQ(font.DrawText("Sharp", 10, 10, 0), S_OK);
    const std::vector<uint32_t> sharp = Pixels();
    ClearFrame();
    ASSERT_EQ(font.DrawText("Sharp", 10, 10, TEXT_FILTERED), S_OK);
    ClearFrame();
    ASSERT_EQ(font.DrawText("Sharp", 10, 10, 0), S_OK);
    EXPECT_TRUE(sharp == Pixels());
}

// A face far too large for its atlas: the rows that do not fit are neither
// written nor drawn, and the pen still moves past them.
TEST_F(FontTest, GlyphsOutsideTheAtlasDrawNothing) {
    C_Font font("Helvitica", 300, 0xFF000000);
    const C_TextureFont& glyphs = *font.GetTextureFont();
    ASSERT_TRUE(glyphs.HasAtlas());
    EXPECT_TRUE(glyphs.GlyphFits('!'));
    EXPECT_FALSE(glyphs.GlyphFits('~'));
    EXPECT_GT(glyphs.GetGlyphCoords('~')[3], 1.0f);
    ClearFrame();
    ASSERT_EQ(font.DrawText("~}|", 0, 0, 0), S_OK);
    EXPECT_TRUE(Ink().Empty());
    ASSERT_EQ(font.DrawText("!", 0, 0, 0), S_OK);
    EXPECT_FALSE(Ink().Empty());
}

TEST_F(FontTest, AFontWithoutAnAtlasDrawsNothing) {
    C_Font font("Arial", 0, 0xFF000000);
    ASSERT_NE(font.GetTextureFont(), nullptr);
    EXPECT_FALSE(font.GetTextureFont()->HasAtlas());
    ClearFrame();
    EXPECT_EQ(font.DrawText("Nothing\nat all ~", 50, 50, TEXT_CENTERED | TEXT_FILTERED), S_OK);
    EXPECT_TRUE(Ink().Empty());
    TextSize size;
    EXPECT_EQ(font.GetTextureFont()->MeasureText("abc", &size), S_OK);
    EXPECT_EQ(size.cx, 0);
    EXPECT_TRUE(Prompts().reports.empty());
}

using FontWithoutDeviceTest = FrameworkTest;

TEST_F(FontWithoutDeviceTest, DrawingReportsTheMissingDevice) {
    C_Font font("Arial", 24, 0xFF000000);
    EXPECT_FALSE(font.GetTextureFont()->HasAtlas());
    EXPECT_EQ(font.DrawText("x", 0, 0, 0), E_FAIL);
    ASSERT_EQ(Prompts().reports.size(), 1u);
    EXPECT_TRUE(Prompts().Saw("Could not render font"));
    EXPECT_EQ(Prompts().reports[0].text.rfind("font\n", 0), 0u);

    C_TextureFont loose("Arial", 24, 0);
    EXPECT_EQ(loose.BuildGlyphTexture(nullptr), E_FAIL);
    EXPECT_EQ(loose.DrawText(0, 0, 0xFF000000, "x", 1, 1, 0), E_FAIL);
}

TEST_F(FontTest, TheFaceNameIsKeptAsGiven) {
    C_Font font("Arial Black", 11, 0x321E1E1E);
    EXPECT_EQ(font.GetFaceName(), "Arial Black");
    EXPECT_EQ(font.GetColour(), 0x321E1E1Eu);
    EXPECT_FLOAT_EQ(font.GetScale().x, 1.0f);
    const std::string longName(100, 'n');
    C_TextureFont glyphs(longName, 11, 0);
    EXPECT_EQ(glyphs.GetFaceName(), longName.substr(0, 79));
}

}  // namespace
