#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "audio/mp3.h"
#include "demos/ball.h"
#include "demos/demoa.h"
#include "demos/demob.h"
#include "platform/music.h"
#include "pong/wall.h"
#include "screens/menu.h"
#include "support/screentest.h"
#include "view/sprite.h"

namespace {

// Demo A entered from the menu with F6, demo B from it with F2.
class DemoTest : public ScreenTest {
protected:
    C_DemoB* EnterDemoB() {
        if (!Tap(SDL_SCANCODE_F6) || Screen<C_DemoA>() == nullptr || !Tap(SDL_SCANCODE_F2)) {
            return nullptr;
        }
        return Screen<C_DemoB>();
    }
    void HoldUp(int frames) {
        PushKey(SDL_SCANCODE_UP, true);
        ASSERT_TRUE(RunFrames(frames));
        PushKey(SDL_SCANCODE_UP, false);
        ASSERT_TRUE(RunFrames(1));
    }
    static bool MusicOf(const C_DemoB& demo) {
        return demo.GetMusic()->GetMusic() != nullptr && demo.GetMusic()->GetMusic()->IsPlaying();
    }
};

TEST_F(DemoTest, TheBoxFadesEveryTenSecondsOfTheDemosOwnTimeAndTheArrowsMoveIt) {
    clock.Advance(7.0);  // game time before the demo does not count
    ASSERT_TRUE(Tap(SDL_SCANCODE_F6));
    C_DemoA* demo = Screen<C_DemoA>();
    ASSERT_NE(demo, nullptr);
    // Unlimited frames: each lasts exactly as long as the clock is moved.
    g_pModel->SetFrameRate(1);
    clock.step = 0;
    const int firstFrame = demo->GetBox()->GetCurrentFrame();
    struct Step {
        double advance;
        int alpha;
        int frame;
    };
    const Step steps[] = {{2.5, 180, 0}, {2.5, 255, 0}, {5.0, 0, 1}, {0.5, 39, 1}, {9.5, 0, 2}};
    for (const Step& step : steps) {
        clock.Advance(step.advance);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(demo->GetBoxAlpha(), step.alpha) << g_pModel->GetTimer()->GetGameTime();
        EXPECT_EQ(demo->GetBox()->GetCurrentFrame(), (firstFrame + step.frame) % 3);
    }
    PushKey(SDL_SCANCODE_UP, true);
    PushKey(SDL_SCANCODE_LEFT, true);
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(demo->GetBoxPosition().x, 285.0f);
    EXPECT_EQ(demo->GetBoxPosition().y, 185.0f);
    PushKey(SDL_SCANCODE_UP, false);
    PushKey(SDL_SCANCODE_LEFT, false);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

TEST_F(DemoTest, EachHeldFrameDropsANumberedBallAndLeavingFreesThemAndStopsTheTune) {
    C_DemoB* demo = EnterDemoB();
    ASSERT_NE(demo, nullptr);
    EXPECT_FALSE(platform::MusicPlaying());
    HoldUp(60);
    ASSERT_EQ(demo->GetBalls().size(), 60u);
    EXPECT_EQ(g_iBallCount, 60);
    int n = 0;
    for (const auto& ball : demo->GetBalls()) {
        EXPECT_EQ(ball->GetName(), std::to_string(n++));
    }
    EXPECT_EQ(demo->GetObjects().size(), 61u);
    EXPECT_TRUE(MusicOf(*demo));
    EXPECT_EQ(demo->GetMusic()->GetMusic()->PlayCount(), 1);  // later balls do not restart it
    // Down takes the oldest; a ball the list no longer holds is still deleted.
    C_Ball* oldest = demo->GetBalls().front().get();
    ASSERT_EQ(demo->RemoveObject(oldest), S_OK);
    PushKey(SDL_SCANCODE_DOWN, true);
    ASSERT_TRUE(RunFrames(2));
    PushKey(SDL_SCANCODE_DOWN, false);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_iBallCount, 58);
    EXPECT_EQ(demo->GetBalls().front()->GetName(), "2");
    const auto lines = g_pConsole->GetLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "0 not found in gameObjectList."), lines.end());
    // The next ball takes the count of live balls as its name.
    HoldUp(1);
    EXPECT_EQ(demo->GetBalls().back()->GetName(), "58");

    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_NE(Screen<C_Menu>(), nullptr);
    EXPECT_EQ(g_iBallCount, 0);
    // The one music channel plays the menu's tune now, not demo B's.
    EXPECT_TRUE(g_pModel->GetMenuTune()->GetMusic()->IsPlaying());

    demo = EnterDemoB();
    ASSERT_NE(demo, nullptr);
    EXPECT_TRUE(demo->GetBalls().empty());
    ASSERT_TRUE(RunFrames(2));
    EXPECT_FALSE(platform::MusicPlaying());
    HoldUp(1);
    EXPECT_EQ(demo->GetBalls().front()->GetName(), "0");
    EXPECT_TRUE(MusicOf(*demo));
    // Leaving for demo A frees them too.
    ASSERT_TRUE(Tap(SDL_SCANCODE_F1));
    EXPECT_NE(Screen<C_DemoA>(), nullptr);
    EXPECT_EQ(g_iBallCount, 0);
    EXPECT_FALSE(platform::MusicPlaying());
    // Shut down from demo B while the tune plays: the sound device closes
    // before the screen and its tune go.
    ASSERT_TRUE(Tap(SDL_SCANCODE_F2));
    HoldUp(1);
    EXPECT_TRUE(platform::MusicPlaying());
    StopGame();
    EXPECT_EQ(g_iBallCount, 0);
}

TEST_F(DemoTest, ABallBouncesOffTheFloorAndSettlesOnAnotherBall) {
    C_Wall floor(0.0f, 599.0f);
    C_Ball ball;
    ball.SetPosition(100.0f, 570.0f);
    ball.SetVelocity(4.0f, 8.0f);
    ball.OnCollide(&floor);
    EXPECT_EQ(ball.GetPosition().y, 599.0f - 40.0f);
    EXPECT_FLOAT_EQ(ball.GetVelocity().x, 4.0f * 0.95f);
    EXPECT_FLOAT_EQ(ball.GetVelocity().y, -2.0f);

    C_Ball below;
    below.SetPosition(100.0f, 500.0f);
    ball.SetPosition(110.0f, 480.0f);
    ball.SetVelocity(2.0f, 3.0f);
    const int frame = ball.GetSprite()->GetCurrentFrame();
    ball.OnCollide(&below);
    EXPECT_EQ(ball.GetPosition().y, 500.0f - 41.0f);
    EXPECT_FLOAT_EQ(ball.GetVelocity().x, -1.98f);
    EXPECT_FLOAT_EQ(ball.GetVelocity().y, 3.0f * 10.0f * -0.25f);
    EXPECT_EQ(ball.GetSprite()->GetCurrentFrame(), (frame + 1) % 4);
    // Anything else is only reported.
    C_GameObject other;
    ball.SetPosition(1.0f, 2.0f);
    ball.OnCollide(&other);
    EXPECT_EQ(ball.GetPosition().x, 1.0f);
    const auto lines = g_pConsole->GetLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Object of unknown type collided with " + ball.GetName()),
              lines.end());
}

}  // namespace
