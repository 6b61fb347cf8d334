#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/image.h"
#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"
#include "screens/button.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "support/screentest.h"
#include "view/view.h"

namespace {

constexpr int kWidth = 713;

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

struct Box {
    int x0;
    int y0;
    int x1;
    int y1;
    bool Holds(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// The pointer's resting place, out of the way, and its box.
constexpr int kRestX = 700;
constexpr int kRestY = 5;
constexpr Box kRestBox{kRestX, kRestY, kWidth, kRestY + 24};

// How many pixels differ inside `box`, and outside it and the pointer's
// resting place.
struct Changes {
    int inside = 0;
    int outside = 0;
};

Changes Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const Box& box) {
    Changes changes;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) {
            const int x = static_cast<int>(i) % kWidth;
            const int y = static_cast<int>(i) / kWidth;
            if (box.Holds(x, y)) {
                changes.inside += 1;
            } else if (!kRestBox.Holds(x, y)) {
                changes.outside += 1;
            }
        }
    }
    return changes;
}

using ScreenDrawingTest = ScreenTest;

TEST_F(ScreenDrawingTest, TheMenuShowsItsPictureAtScale07AndEachButtonWhereItLies) {
    MovePointerTo(kRestX, kRestY);
    ASSERT_TRUE(RunFrames(1));
    const std::vector<uint32_t> idle = Pixels();
    platform::Image picture;
    ASSERT_TRUE(platform::LoadImageFile("images/menu.png", &picture));
    // Far from the buttons and the pointer: the picture scaled by 0.7.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{20, 20}, {350, 150}, {650, 600}}) {
        const int px = static_cast<int>(x / 0.7f);
        const int py = static_cast<int>(y / 0.7f);
        const uint32_t want = picture.argb[static_cast<size_t>(py * picture.width + px)];
        EXPECT_TRUE(Near(idle[static_cast<size_t>(y * kWidth + x)], want, 24))
            << x << ", " << y << ": " << std::hex << idle[static_cast<size_t>(y * kWidth + x)]
            << " vs " << want;
    }
    // Hovering a button changes its look inside its scaled box, and only
    // there and under the pointer.
    struct Case {
        int level;
        Box box;
    };
    const Case cases[] = {{0, {235, 460, 316, 497}}, {7, {490, 460, 571, 497}},
                          {9, {575, 420, 656, 457}}, {-1, {50, 535, 206, 583}},
                          {-2, {50, 376, 206, 424}}, {-3, {50, 429, 206, 477}},
                          {-4, {50, 482, 206, 530}}};
    for (const Case& c : cases) {
        MovePointerTo(c.box.x0, c.box.y0);  // the corner counts as over
        const std::vector<uint32_t> hover = Pixels();
        const Box withPointer{c.box.x0, c.box.y0, std::max(c.box.x1, c.box.x0 + 24),
                              std::max(c.box.y1, c.box.y0 + 24)};
        const Changes changes = Compare(idle, hover, withPointer);
        EXPECT_GT(changes.inside, 100) << c.level;
        EXPECT_EQ(changes.outside, 0) << c.level;
        MovePointerTo(kRestX, kRestY);
    }
}

TEST_F(ScreenDrawingTest, TheFrameRateReadOutStandsOutOnTheDarkMenu) {
    MovePointerTo(kRestX, kRestY);
    // Until the rate has been measured: on target with the manual clock.
    for (int frame = 0; frame < 300 && g_pModel->GetTimer()->GetFps() != 75; ++frame) {
        ASSERT_TRUE(RunFrames(1));
    }
    ASSERT_EQ(g_pModel->GetTimer()->GetFps(), g_pModel->GetFrameRate());
    const std::vector<uint32_t> without = Pixels();
    g_pConsole->SetFpsOn(true);
    ASSERT_TRUE(RunFrames(1));
    const std::vector<uint32_t> with = Pixels();
    g_pConsole->SetFpsOn(false);
    // "FPS 75" at (5, 563): a good share of its glyph pixels are far from
    // what lies below them.
    int strong = 0;
    for (int y = 555; y < 600; ++y) {
        for (int x = 0; x < 120; ++x) {
            const size_t i = static_cast<size_t>(y * kWidth + x);
            strong += Near(with[i], without[i], 100) ? 0 : 1;
        }
    }
    EXPECT_GT(strong, 60);
}

class PlayDrawingTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        MovePointerTo(kRestX, kRestY);
        ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
        play = Screen<C_PlayScreen>();
        ASSERT_NE(play, nullptr);
        ASSERT_TRUE(RunFrames(1));
    }

    C_PlayScreen* play = nullptr;
};

TEST_F(PlayDrawingTest, EachHudNumberIsDrawnLightAtItsPlace) {
    const std::vector<uint32_t> before = Pixels();
    platform::Image picture;
    ASSERT_TRUE(platform::LoadImageFile("images/bg3.png", &picture));
    const uint32_t corner = picture.argb[static_cast<size_t>(10 * picture.width + 985)];
    EXPECT_TRUE(Near(before[static_cast<size_t>(7 * kWidth + 690)], corner, 24));

    C_GameBoard* board = play->round->board.get();
    struct Case {
        int* field;
        int x;
        int y;
    };
    const Case cases[] = {
        {&board->level, 215, 12},        {&board->score, 424, 56},
        {&board->rowsCleared, 432, 129}, {&board->pipeTotal, 440, 205},
        {&board->bestPipe, 434, 279},    {&board->bestCycle, 432, 360},
    };
    for (const Case& c : cases) {
        *c.field = 88;
        ASSERT_TRUE(RunFrames(1));
        const std::vector<uint32_t> after = Pixels();
        const Box box{c.x, c.y, c.x + 40, c.y + 32};
        const Changes changes = Compare(before, after, box);
        EXPECT_GT(changes.inside, 30) << c.x << ", " << c.y;
        EXPECT_EQ(changes.outside, 0) << c.x << ", " << c.y;
        int light = 0;
        for (int y = box.y0; y < box.y1; ++y) {
            for (int x = box.x0; x < box.x1; ++x) {
                const uint32_t p = after[static_cast<size_t>(y * kWidth + x)];
                light += ((p >> 16) & 0xFF) > 150 && ((p >> 8) & 0xFF) > 150 && (p & 0xFF) > 150;
            }
        }
        EXPECT_GT(light, 20) << c.x << ", " << c.y;
        *c.field = 0;
    }
}

// While gravity runs, the screen's update runs its drawing pass for the
// lists' fades and points, but the frame's clear would erase its pixels:
// none reach the renderer, and the frame's own drawing still shows.
TEST_F(PlayDrawingTest, TheGravityPhaseUpdateDrawsNothingButRunsTheLists) {
    play->round->mode = MODE_RUNNING;
    play->round->board->moving = 1;
    play->round->board->cycleSizes = {4};
    play->round->board->cycleMulti = {0};
    play->round->cycleFade = 200.0f;
    ASSERT_TRUE(g_pView->GetDevice()->Clear(0xFFFFFFFF));
    play->Update();
    EXPECT_FLOAT_EQ(play->round->cycleFade, 199.6f);
    const std::vector<uint32_t> during = Pixels();
    EXPECT_EQ(std::count(during.begin(), during.end(), 0xFFFFFFFFu),
              static_cast<long>(during.size()));
    ASSERT_TRUE(RunFrames(1));
    const std::vector<uint32_t> after = Pixels();
    EXPECT_LT(std::count(after.begin(), after.end(), 0xFFFFFFFFu), 1000);
}

TEST_F(PlayDrawingTest, TheModePicturesCoverTheWellAndTheButtonsSitInTheTray) {
    const std::vector<uint32_t> idle = Pixels();  // the info picture
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    const std::vector<uint32_t> paused = Pixels();
    // Both pictures lie at (61, 240), 280 x 154 at scale 0.7.
    const Box picture{61, 240, 341, 394};
    const Changes changes = Compare(idle, paused, picture);
    EXPECT_GT(changes.inside, 5000);
    play->round->mode = MODE_GAMEOVER;
    play->round->currentShape.reset();
    ASSERT_TRUE(RunFrames(1));
    const std::vector<uint32_t> over = Pixels();
    EXPECT_GT(Compare(paused, over, picture).inside, 5000);

    // The yes button (130, 332) lights up under the pointer.
    MovePointerTo(kRestX, kRestY);
    const std::vector<uint32_t> calm = Pixels();
    MovePointerTo(131, 333);
    const Changes hover = Compare(calm, Pixels(), {130, 332, 205, 367});
    EXPECT_GT(hover.inside, 100);
    EXPECT_EQ(hover.outside, 0);

    // So does the pause button (515, 600) in the tray.
    MovePointerTo(kRestX, kRestY);
    MovePointerTo(516, 601);
    play->round->mode = MODE_PAUSED;
    ASSERT_TRUE(RunFrames(1));
    const std::vector<uint32_t> pausedHover = Pixels();
    MovePointerTo(kRestX, kRestY);
    const Changes tray = Compare(Pixels(), pausedHover, {515, 600, 580, 647});
    EXPECT_GT(tray.inside, 100);
    EXPECT_EQ(tray.outside, 0);
}

}  // namespace
