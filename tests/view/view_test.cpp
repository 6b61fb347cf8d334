#include "view/view.h"

#include <gtest/gtest.h>

#include "support/framework.h"
#include "support/imagefiles.h"
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

}  // namespace
