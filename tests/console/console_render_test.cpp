#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "core/error.h"
#include "input/controller.h"
#include "support/framework.h"
#include "support/imagetest.h"
#include "support/sdlinput.h"
#include "view/font.h"
#include "view/view.h"

namespace {

constexpr int kWidth = 713;

bool Dark(uint32_t argb) {
    return ((argb >> 16) & 0xFF) < 100 && ((argb >> 8) & 0xFF) < 100 && (argb & 0xFF) < 100;
}

bool Bright(uint32_t argb) {
    return ((argb >> 16) & 0xFF) > 160 && ((argb >> 8) & 0xFF) > 160 && (argb & 0xFF) > 160;
}

// The rows from y0 up to y1 holding a pixel that passes `ink` between x 13 and 120.
std::set<int> InkRows(const std::vector<uint32_t>& pixels, int y0, int y1, bool (*ink)(uint32_t)) {
    std::set<int> rows;
    for (int y = y0; y < y1; ++y) {
        for (int x = 13; x < 120; ++x) {
            if (ink(pixels[static_cast<size_t>(y * kWidth + x)])) {
                rows.insert(y);
                break;
            }
        }
    }
    return rows;
}

std::set<int> Shifted(const std::set<int>& rows, int by) {
    std::set<int> out;
    for (int row : rows) {
        out.insert(row + by);
    }
    return out;
}

using ConsoleRenderTest = FrameworkTest;

TEST_F(ConsoleRenderTest, AFullConsoleShowsTheNewestLineAt507AndTheInputAt522) {
    StartGame();
    ASSERT_EQ(g_pConsole->GetLineHeight(), 13);
    g_pConsole->ClearLines();
    for (int i = 0; i < 39; ++i) {
        g_pConsole->AddLine("");
    }
    g_pConsole->AddLine("WWWW");
    g_pConsole->OnChar('\t');
    for (char c : std::string("WWWW")) {
        g_pConsole->OnChar(c);
    }
    ASSERT_TRUE(RunFrames(36));
    ASSERT_EQ(g_pConsole->GetOffset(), 520);
    const std::vector<uint32_t> frame = Pixels();
    ASSERT_EQ(frame.size(), static_cast<size_t>(kWidth) * 653u);
    const std::set<int> lineRows = InkRows(frame, 0, 520, Dark);
    const std::set<int> inputRows = InkRows(frame, 522, 537, Bright);

    // The same text from the same face drawn at y 0 on white.
    ASSERT_TRUE(g_pView->GetDevice()->Clear(0xFFFFFFFF));
    C_Font reference("HE_TERMINAL", 9, 0xFF000000);
    ASSERT_EQ(reference.DrawText("WWWW", 13, 0, TEXT_FILTERED), S_OK);
    const std::set<int> referenceRows = InkRows(Pixels(), 0, 13, Dark);
    ASSERT_FALSE(referenceRows.empty());

    EXPECT_EQ(lineRows, Shifted(referenceRows, 507));
    EXPECT_EQ(inputRows, Shifted(referenceRows, 522));
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(ConsoleRenderTest, LinesFillFromTheTopOldestFirst) {
    StartGame();
    g_pConsole->ClearLines();
    g_pConsole->AddLine("WWWW");  // oldest
    g_pConsole->AddLine("");
    g_pConsole->AddLine("WWWW");  // newest
    g_pConsole->OnChar('\t');
    ASSERT_TRUE(RunFrames(36));
    const std::set<int> rows = InkRows(Pixels(), 0, 520, Dark);
    ASSERT_FALSE(rows.empty());
    const int top = *rows.begin();
    EXPECT_LT(top, 13);
    // The second line is empty; the third starts two lines down.
    for (int row : rows) {
        EXPECT_TRUE(row < 13 || (row >= 26 && row < 39)) << row;
    }
    EXPECT_EQ(rows.count(top + 26), 1u);
}

TEST_F(ConsoleRenderTest, TheBackdropAndBarFollowTheSlideAndVanishWhenClosed) {
    // Under an empty first screen, so that the frame is the console's alone.
    ImageDirectory images;
    images.Write("console_top.png", SolidPng(713, 1, 0xFFFFFFFF));
    images.Write("pointer.png", SolidPng(4, 4, 0x00000000));
    images.WriteClearMenuPictures();
    StartGame();
    ASSERT_TRUE(RunFrames(2));
    for (uint32_t pixel : Pixels()) {
        ASSERT_EQ(pixel, 0xFFFFFFFFu);  // closed: nothing of the console
    }
    g_pConsole->OnChar('\t');
    ASSERT_TRUE(RunFrames(10));
    ASSERT_EQ(g_pConsole->GetOffset(), 150);
    // The input bar lies from offset + pad (152) for a line and a pad (15 rows).
    EXPECT_FALSE(Dark(PixelAt(400, 151)));
    EXPECT_TRUE(Dark(PixelAt(400, 152)));
    EXPECT_TRUE(Dark(PixelAt(400, 166)));
    EXPECT_EQ(PixelAt(400, 167), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(400, 400), 0xFFFFFFFFu);

    g_pConsole->OnChar('\t');
    ASSERT_TRUE(RunFrames(10));
    ASSERT_EQ(g_pConsole->GetOffset(), 0);
    for (uint32_t pixel : Pixels()) {
        ASSERT_EQ(pixel, 0xFFFFFFFFu);
    }
}

TEST_F(ConsoleRenderTest, ConsoleFramesRunWhileOtherThreadsAddLines) {
    StartGame();
    g_pConsole->OnChar('\t');
    std::atomic<bool> stop{false};
    std::thread writer([&stop] {
        for (int i = 0; !stop.load(); ++i) {
            g_pConsole->AddLine("from the network " + IntToString(i));
        }
    });
    ASSERT_TRUE(RunFrames(60));
    stop = true;
    writer.join();
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pConsole->GetLines().size(), 40u);
    EXPECT_FALSE(InkRows(Pixels(), 0, 520, Dark).empty());
}

using PointerTest = ImageTest;

TEST_F(PointerTest, ThePointerIsDrawnWithItsTopLeftCornerAtThePointer) {
    // The pointer picture of this test is a black 24 x 24 square.
    PushMotion(-5000, -5000);
    ASSERT_TRUE(RunFrames(1));
    PushMotion(100, 50);
    ASSERT_TRUE(RunFrames(1));
    ClearFrame();
    g_pController->DrawMousePointer();
    EXPECT_EQ(PixelAt(100, 50), 0xFF000000u);
    EXPECT_EQ(PixelAt(123, 73), 0xFF000000u);
    EXPECT_EQ(PixelAt(99, 50), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(100, 49), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(124, 60), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(110, 74), 0xFFFFFFFFu);
    EXPECT_TRUE(Prompts().reports.empty());
}

}  // namespace
