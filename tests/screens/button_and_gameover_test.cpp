#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "audio/wave.h"
#include "model/model.h"
#include "pong/pong.h"
#include "screens/button.h"
#include "screens/gameover.h"
#include "screens/menu.h"
#include "support/imagefiles.h"
#include "support/screentest.h"
#include "view/sprite.h"

namespace {

using ButtonTest = ScreenTest;

// A button 116 x 54 (one frame of a level button) at (100, 200).
TEST_F(ButtonTest, TheHitAreaIsTheScaledImageLeftAndTopEdgesIncluded) {
    C_Button button("level_button_1-3-1-3.png", *g_pController);
    button.SetPosition(100, 200);
    EXPECT_EQ(button.GetState(), BUTTON_UP);
    struct Case {
        float scale;
        int x;
        int y;
        int frame;
    };
    const Case cases[] = {
        {1.0f, 100, 200, 1}, {1.0f, 215, 253, 1}, {1.0f, 216, 220, 0},
        {1.0f, 150, 254, 0}, {1.0f, 99, 220, 0},  {1.0f, 150, 199, 0},
        {0.7f, 180, 236, 1}, {0.7f, 181, 220, 0}, {0.7f, 150, 237, 0},
    };
    for (const Case& c : cases) {
        button.SetScale(c.scale, c.scale);
        MovePointerTo(c.x, c.y);
        button.Update();
        EXPECT_EQ(button.GetSprite()->GetCurrentFrame(), c.frame)
            << c.scale << " " << c.x << ", " << c.y;
        EXPECT_EQ(button.GetState(), BUTTON_UP);
    }
}

TEST_F(ButtonTest, PressedAndClickedFollowTheLeftButtonOverIt) {
    C_Button button("level_button_1-3-1-3.png", *g_pController);
    button.SetPosition(100, 200);
    MovePointerTo(50, 50);
    PushButton(SDL_BUTTON_LEFT, true);  // pressed outside, then moved on
    ASSERT_TRUE(RunFrames(1));
    button.Update();
    EXPECT_EQ(button.GetState(), BUTTON_UP);
    EXPECT_EQ(button.GetSprite()->GetCurrentFrame(), 0);
    PushMotion(100, 170);
    ASSERT_TRUE(RunFrames(1));
    button.Update();
    EXPECT_EQ(button.GetState(), BUTTON_HELD);
    EXPECT_EQ(button.GetSprite()->GetCurrentFrame(), 2);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(1));
    button.Update();
    EXPECT_EQ(button.GetState(), BUTTON_CLICKED);
    EXPECT_EQ(button.GetSprite()->GetCurrentFrame(), 2);
    ASSERT_TRUE(RunFrames(1));
    button.Update();
    EXPECT_EQ(button.GetState(), BUTTON_UP);
    EXPECT_EQ(button.GetSprite()->GetCurrentFrame(), 1);
    // A state set from outside lasts only until the next update.
    button.SetState(BUTTON_CLICKED);
    EXPECT_EQ(button.GetState(), BUTTON_CLICKED);
    button.Update();
    EXPECT_EQ(button.GetState(), BUTTON_UP);
}

using GameOverTest = ScreenTest;

TEST_F(GameOverTest, TheWonScreenCheersAndTheLostOneIsSilent) {
    g_pModel->SetNextState(STATE_GAMEOVER_LOST);
    ASSERT_TRUE(RunFrames(1));
    C_GameOver* lost = Screen<C_GameOver>();
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->GetCrowdSound(), nullptr);

    g_pModel->SetNextState(STATE_GAMEOVER_WON);
    ASSERT_TRUE(RunFrames(1));
    C_GameOver* won = Screen<C_GameOver>();
    ASSERT_NE(won, nullptr);
    ASSERT_NE(won->GetCrowdSound(), nullptr);
    ASSERT_NE(won->GetCrowdSound()->GetBuffer(), nullptr);
    EXPECT_EQ(won->GetCrowdSound()->GetBuffer()->PlayCount(), 1);
    EXPECT_TRUE(Prompts().reports.empty());

    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));  // back to the menu, not out
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

TEST_F(GameOverTest, ItsButtonsLeadToTheMenuAndToPong) {
    g_pModel->SetNextState(STATE_GAMEOVER_LOST);
    ASSERT_TRUE(RunFrames(1));
    ClickAt(300, 340);  // menu button at (252, 331)
    EXPECT_NE(Screen<C_Menu>(), nullptr);
    g_pModel->SetNextState(STATE_GAMEOVER_LOST);
    ASSERT_TRUE(RunFrames(1));
    ClickAt(300, 265);  // play-again button at (252, 258)
    EXPECT_NE(Screen<C_Pong>(), nullptr);
}

TEST_F(GameOverTest, AMissingCheerIsReportedAndTheScreenGoesOn) {
    ImageDirectory elsewhere;  // no wavs/ here
    g_pModel->SetNextState(STATE_GAMEOVER_WON);
    ASSERT_TRUE(RunFrames(2));
    ASSERT_NE(Screen<C_GameOver>(), nullptr);
    EXPECT_TRUE(Prompts().Saw("crowd.wav failed to load"));
}

}  // namespace
