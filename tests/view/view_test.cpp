#include "view/view.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "model/timer.h"
#include "puzzle/tetromino.h"
#include "screens/playscreen.h"
#include "support/framework.h"
#include "support/imagefiles.h"
#include "support/screentest.h"
#include "view/sprite.h"

namespace {

using ViewTest = FrameworkTest;

// The other pictures start-up loads: the console's backdrop, the pointer and
// the menu's.
void WriteStartUpPictures(ImageDirectory& images) {
    images.WriteClearMenuPictures();
    images.Write("console_top.png", SolidPng(713, 1, 0xFFFFFFFF));
    images.Write("pointer.png", SolidPng(24, 24, 0xFF000000));
}

// A 100 x 100 picture drawn at 0.7 covers (0, 0) to (70, 70).
TEST_F(ViewTest, TheLoadingPictureIsDrawnOnceDuringInit) {
    ImageDirectory images;
    images.Write("loading2.png", SolidPng(100, 100, 0xFF00FF00));
    WriteStartUpPictures(images);
    images.Write("icon.png", {'n', 'o', 'p', 'e'});  // a bad icon is not worth a report
    StartGame();
    EXPECT_TRUE(Prompts().reports.empty());
    EXPECT_EQ(PixelAt(1, 1), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(68, 68), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(72, 35), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(35, 72), 0xFFFFFFFFu);
    // Its sprite is gone again, and frames never show it.
    EXPECT_EQ(g_textureCache.count("loading2.png"), 0u);
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(PixelAt(35, 35), 0xFFFFFFFFu);
}

TEST_F(ViewTest, AMissingLoadingPictureIsReportedOnceAndStartUpGoesOn) {
    ImageDirectory images;
    WriteStartUpPictures(images);
    StartGame();
    ASSERT_TRUE(RunFrames(3));
    ASSERT_EQ(Prompts().reports.size(), 2u);
    EXPECT_NE(Prompts().reports[0].text.find("Could not create texture from loading2.png"),
              std::string::npos);
    EXPECT_NE(Prompts().reports[1].text.find("trying to render sprite, but texture is NULL"),
              std::string::npos);
    EXPECT_TRUE(g_pView->IsInitialised());
}

// Every frame draws the menu's backdrop: without its picture the player
// sees two reports, not one per frame.
TEST_F(ViewTest, AMissingMenuPictureIsReportedTwiceOverManyFrames) {
    ImageDirectory images;
    WriteStartUpPictures(images);
    images.Write("loading2.png", SolidPng(4, 4, 0xFF00FF00));
    images.Remove("menu.png");
    StartGame();
    ASSERT_TRUE(RunFrames(30));
    ASSERT_EQ(Prompts().reports.size(), 2u);
    EXPECT_TRUE(Prompts().Saw("Could not create texture from menu.png"));
    EXPECT_TRUE(Prompts().Saw("trying to render sprite, but texture is NULL"));
}

// The real game, whose frames go to the window only when the picture changes.
class StillFrameTest : public ScreenTest {
protected:
    static unsigned long Presents() { return g_pView->GetDevice()->Presents(); }

    // The picture the model and the console make now, drawn afresh.
    std::vector<uint32_t> FreshFrame() {
        EXPECT_TRUE(g_pView->GetDevice()->Clear(0xFFFFFFFF));
        g_pModel->Render();
        g_pConsole->Render();
        return Pixels();
    }

    // Frames until `frames` in a row present nothing; false if that never comes.
    bool Settle(int frames = 3) {
        for (int i = 0, still = 0; i < 300; ++i) {
            const unsigned long before = Presents();
            if (!RunFrames(1)) {
                return false;
            }
            still = Presents() == before ? still + 1 : 0;
            if (still == frames) {
                return true;
            }
        }
        return false;
    }
};

// Whatever changes the picture, the frame that changes it reaches the window.
TEST_F(StillFrameTest, EachChangeOfThePictureIsPresentedByItsFrame) {
    C_PlayScreen* play = nullptr;
    const auto tab = [] {
        PushKey(SDL_SCANCODE_TAB, true);
        PushKey(SDL_SCANCODE_TAB, false);
    };
    struct Change {
        const char* what;
        std::function<void()> make;
        // A number the change moves, read after each frame.
        std::function<int()> watched;
    };
    const std::vector<Change> changes{
        {"the pointer moves", [] { PushMotion(9, 4); }, [] { return g_pController->GetMouseX(); }},
        {"the console slides down", tab, [] { return g_pConsole->GetOffset(); }},
        {"the read-out's number changes",
         [this] {
             g_pConsole->SetFpsOn(true);
             ASSERT_TRUE(Settle());
             clock.step = 3000;  // every reading of the clock takes 3 ms
         },
         [] { return g_pModel->GetTimer()->GetFps(); }},
        {"the console slides up",
         [this, tab] {
             clock.step = 10;
             tab();
         },
         [] { return g_pConsole->GetOffset(); }},
        {"the info picture fades",
         [this, &play] {
             ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
             play = Screen<C_PlayScreen>();
             ASSERT_NE(play, nullptr);
             ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
         },
         [&play] { return play->infoShown; }},
        {"a shape steps down", [] {},
         [&play] { return play->round->currentShape ? play->round->currentShape->GetRow() : -99; }},
    };
    for (const Change& change : changes) {
        ASSERT_TRUE(Settle()) << change.what;
        const std::vector<uint32_t> still = Pixels();
        change.make();
        bool seen = false;
        for (int frame = 0; frame < 300 && !seen; ++frame) {
            const int before = change.watched();
            const unsigned long presents = Presents();
            ASSERT_TRUE(RunFrames(1));
            seen = change.watched() != before;
            if (seen) {
                EXPECT_EQ(Presents(), presents + 1) << change.what;
                const std::vector<uint32_t> shown = Pixels();
                EXPECT_NE(shown, still) << change.what;
                EXPECT_TRUE(shown == FreshFrame()) << change.what;
            }
        }
        EXPECT_TRUE(seen) << change.what;
    }
}

// A still picture goes to the window once, while frames, game time and the
// read-out's count go on; an expose shows it again.
TEST_F(StillFrameTest, AStillPictureIsPresentedOnceAndAgainOnAnExpose) {
    g_pConsole->SetFpsOn(true);
    ASSERT_TRUE(Settle(25));  // longer than the read-out's refresh
    const std::vector<uint32_t> still = Pixels();
    const unsigned long presents = Presents();
    const float gameTime = g_pModel->GetTimer()->GetGameTime();
    ASSERT_TRUE(RunFrames(60));
    EXPECT_EQ(Presents(), presents);
    EXPECT_NEAR(g_pModel->GetTimer()->GetGameTime() - gameTime, 60.0f / 75.0f, 0.01f);
    EXPECT_EQ(g_pModel->GetTimer()->GetFps(), 75);
    EXPECT_TRUE(Pixels() == still);

    platform::Event expose;
    expose.type = platform::EventType::Expose;
    HandleEvent(expose);
    EXPECT_EQ(Presents(), presents + 1);
    EXPECT_TRUE(Pixels() == still);
    EXPECT_TRUE(still == FreshFrame());  // and it is what the game shows
}

}  // namespace
