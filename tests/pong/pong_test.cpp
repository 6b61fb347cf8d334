#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "pong/paddle.h"
#include "pong/pong.h"
#include "pong/pongball.h"
#include "pong/wall.h"
#include "screens/gameover.h"
#include "screens/menu.h"
#include "support/screentest.h"
#include "view/font.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

// Pong entered from the menu with F5.
class PongTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ASSERT_TRUE(Tap(SDL_SCANCODE_F5));
        pong = Screen<C_Pong>();
        ASSERT_NE(pong, nullptr);
    }
    float Elapsed() const { return g_pModel->GetTimer()->GetGameTime() - pong->GetRoundStart(); }

    C_Pong* pong = nullptr;
};

TEST_F(PongTest, TheBallRestsAtTheCentreUntilTheServeThreeSecondsIn) {
    C_PongBall* ball = pong->GetBall();
    const Vector2 centre = ball->GetPosition();
    EXPECT_FLOAT_EQ(centre.x + ball->GetCentre().x, 400.0f);
    EXPECT_FLOAT_EQ(centre.y + ball->GetCentre().y, 300.0f);
    bool served = false;
    for (int frame = 0; frame < 400 && !served; ++frame) {
        ASSERT_TRUE(RunFrames(1));
        const Vector2 v = ball->GetVelocity();
        if (Elapsed() < 3.0f) {
            ASSERT_EQ(v.x, 0.0f) << Elapsed();
            ASSERT_EQ(v.y, 0.0f);
            ASSERT_EQ(ball->GetPosition().x, centre.x);
        } else {
            served = true;
            EXPECT_TRUE(v.x == 3.0f || v.x == -3.0f || v.x == 4.0f || v.x == -4.0f) << v.x;
            EXPECT_LT(Elapsed(), 3.0f + 2.0f / 75.0f);
        }
    }
    EXPECT_TRUE(served);
}

TEST_F(PongTest, AServeTakesThreeDrawsInOrderAndNeverHasVerticalSpeedThree) {
    C_PongBall* ball = pong->GetBall();
    bool sawLeft = false;
    bool sawRight = false;
    for (unsigned seed = 1; seed <= 500; ++seed) {
        std::srand(seed);
        const int speed = std::rand();
        const int direction = std::rand();
        const int vertical = std::rand();
        std::srand(seed);
        ball->Serve();
        const Vector2 v = ball->GetVelocity();
        const float expectedX = static_cast<float>((3 + speed % 2) * (direction % 2 == 0 ? -1 : 1));
        ASSERT_EQ(v.x, expectedX) << seed;
        ASSERT_EQ(v.y, static_cast<float>(vertical % 6 - 3)) << seed;
        ASSERT_NE(v.y, 3.0f);
        ASSERT_FLOAT_EQ(ball->GetSpin(), -v.x * 0.05235988f);
        sawLeft = sawLeft || v.x < 0.0f;
        sawRight = sawRight || v.x > 0.0f;
    }
    EXPECT_TRUE(sawLeft && sawRight);
}

TEST_F(PongTest, PaddleHitsSpeedTheBallUpAndTheSixteenthFromFourIsFast) {
    C_PongBall ball;
    C_Paddle paddle(0.0f, 0.0f);
    ball.SetVelocity(4.0f, 0.0f);
    ball.OnCollide(&paddle);
    EXPECT_EQ(ball.GetVelocity().x, -4.2f);
    ball.SetVelocity(4.0f, 0.0f);
    for (int hit = 1; hit <= 16; ++hit) {
        ball.OnCollide(&paddle);
        ball.Render();
        EXPECT_EQ(ball.GetSprite()->GetCurrentFrame(), hit < 16 ? 0 : 1) << hit;
    }
    EXPECT_GE(std::abs(ball.GetVelocity().x), 7.0f);
    // A wall turns only the vertical speed; a new round clears the fast frame.
    C_Wall wall(0.0f, 0.0f);
    ball.SetVelocity(7.0f, 2.0f);
    ball.OnCollide(&wall);
    EXPECT_EQ(ball.GetVelocity().x, 7.0f);
    EXPECT_EQ(ball.GetVelocity().y, -2.0f);
    ball.ResetToCentre();
    EXPECT_EQ(ball.GetSprite()->GetCurrentFrame(), 0);
}

TEST_F(PongTest, APaddleDrivenIntoTheTopWallStepsBackAndStaysOutOfIt) {
    C_Paddle* player = pong->GetLeftPaddle();
    PushKey(SDL_SCANCODE_UP, true);
    for (int frame = 0; frame < 150; ++frame) {
        ASSERT_TRUE(RunFrames(1));
        ASSERT_GT(player->GetPosition().y, 0.0f) << frame;
    }
    PushKey(SDL_SCANCODE_UP, false);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_LT(player->GetPosition().y, 10.0f);
}

TEST_F(PongTest, TheComputerPaddleAtTopSpeedTakesTheKeysForThatUpdate) {
    C_PongBall ball;
    ball.SetPosition(400.0f, 500.0f);  // below the paddle: the chase pushes down
    C_Paddle computer(780.0f, 270.0f);
    computer.SetTarget(&ball);
    PushKey(SDL_SCANCODE_UP, true);
    ASSERT_TRUE(RunFrames(1));
    struct Case {
        float speed;
        float expected;
    };
    const Case cases[] = {
        {8.0f, (8.0f - 0.25f) * 0.95f},   // at top speed: Up is read
        {-9.0f, (-9.0f) * 0.95f},         // beyond it upwards: Up may not push further
        {7.5f, (7.5f + 0.3f) * 0.95f},    // below it: the chase
        {-7.9f, (-7.9f + 0.3f) * 0.95f},  // below it, moving up: the chase
    };
    for (const Case& c : cases) {
        computer.SetVelocity(0.0f, c.speed);
        computer.Update();
        EXPECT_FLOAT_EQ(computer.GetVelocity().y, c.expected) << c.speed;
    }
    PushKey(SDL_SCANCODE_UP, false);
}

TEST_F(PongTest, TheFifthPointRequestsTheEndAndStillStartsANewRound) {
    struct Case {
        float x;
        bool won;
    };
    const Case cases[] = {{801.0f, true}, {-41.0f, false}};
    for (const Case& c : cases) {
        C_PongBall* ball = pong->GetBall();
        const Vector2 centre = ball->GetPosition();
        for (int point = 1; point <= 5; ++point) {
            ball->SetPosition(c.x, 100.0f);
            ball->SetVelocity(0.0f, 1.0f);
            clock.Advance(0.5);
            if (point < 5) {
                ASSERT_TRUE(RunFrames(1));
                ASSERT_EQ(Screen<C_Pong>(), pong);
                EXPECT_EQ(c.won ? pong->GetLeftScore() : pong->GetRightScore(), point);
                EXPECT_EQ(pong->GetLeftScore() + pong->GetRightScore(), point);
            } else {
                pong->Update();  // by hand, to see the round it leaves
                EXPECT_EQ(ball->GetPosition().x, centre.x);
                EXPECT_EQ(ball->GetVelocity().y, 0.0f);
                EXPECT_EQ(pong->GetRoundStart(), g_pModel->GetTimer()->GetGameTime());
            }
        }
        ASSERT_TRUE(RunFrames(1));
        auto* over = Screen<C_GameOver>();
        ASSERT_NE(over, nullptr);
        EXPECT_EQ(over->GetCrowdSound() != nullptr, c.won);
        g_pModel->SetNextState(STATE_PONG);
        ASSERT_TRUE(RunFrames(1));
        pong = Screen<C_Pong>();
        ASSERT_NE(pong, nullptr);
    }
}

// The back buffer's box of pixels that differ between two frames, or of
// pixels that are not white in one.
struct Box {
    int left = 100000;
    int top = 100000;
    int right = -1;
    int bottom = -1;
    int count = 0;
    void Add(int x, int y) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
        ++count;
    }
};

TEST_F(PongTest, TheWholeFieldIsDrawnInsideTheWindowCentredVertically) {
    const int w = g_pView->GetWidth();
    const int h = g_pView->GetHeight();
    ASSERT_EQ(g_pView->Render(), S_OK);
    const std::vector<uint32_t> field = Pixels();
    // Nothing above or below the scaled field; the scoreboard at its foot.
    Box drawn;
    Box foot;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if ((field[static_cast<size_t>(y * w + x)] & 0xFFFFFF) != 0xFFFFFF) {
                drawn.Add(x, y);
                if (y > 480) {
                    foot.Add(x, y);
                }
            }
        }
    }
    EXPECT_GE(drawn.top, 59);
    EXPECT_LE(drawn.bottom, 594);
    EXPECT_GE(foot.left, 265);
    EXPECT_LE(foot.right, 445);
    EXPECT_GT(foot.count, 150 * 60);
    // Each paddle is found by drawing the frame again without it.
    C_Paddle* paddles[] = {pong->GetLeftPaddle(), pong->GetRightPaddle()};
    const int expectedLeft[] = {8, 694};
    for (int n = 0; n < 2; ++n) {
        const Vector2 at = paddles[n]->GetPosition();
        paddles[n]->SetPosition(5000.0f, at.y);
        ASSERT_EQ(g_pView->Render(), S_OK);
        const std::vector<uint32_t> without = Pixels();
        paddles[n]->SetPosition(at.x, at.y);
        Box paddle;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t i = static_cast<size_t>(y * w + x);
                if (field[i] != without[i]) {
                    paddle.Add(x, y);
                }
            }
        }
        EXPECT_GE(paddle.left, expectedLeft[n]) << n;
        EXPECT_LE(paddle.right, expectedLeft[n] + 14) << n;
        EXPECT_LT(paddle.right, w) << n;
        EXPECT_GE(paddle.top, 298) << n;
        EXPECT_LE(paddle.bottom, 373) << n;
        EXPECT_GT(paddle.count, 10 * 60) << n;
    }
}

TEST_F(PongTest, TheCountdownSkipsTheDigitInTheFirstFrameOfASecondAndShrinksItAfter) {
    C_Font* font = pong->GetCountdownFont();
    pong->NewRound();  // a round that begins in this very frame: phase 0
    font->SetScale(2.0f, 2.0f);
    ASSERT_EQ(g_pView->Render(), S_OK);
    EXPECT_EQ(font->GetScale().x, 2.0f);
    ASSERT_TRUE(RunFrames(1));
    const float p = g_pModel->GetTimer()->GetPeriodPhase(1.0f, pong->GetRoundStart());
    ASSERT_GT(p, 0.0f);
    EXPECT_FLOAT_EQ(font->GetScale().x, 40.0f / (50.0f * p));
}

TEST_F(PongTest, TheScoresAreLightWhateverColourTheSharedFontHadAndItKeepsIt) {
    C_Font* font = g_pModel->GetFont();
    for (const uint32_t shared : {0x321E1E1Eu, 0xFF000000u}) {
        font->SetColour(shared);
        ASSERT_EQ(g_pView->Render(), S_OK);
        EXPECT_EQ(font->GetColour(), shared);
        // The brightest grey inside the player's "0": the glass is dark there.
        const std::vector<uint32_t> frame = Pixels();
        uint32_t brightest = 0;
        for (int fy = kPongScoreY + 8; fy <= kPongScoreY + 30; ++fy) {
            for (int fx = kPongScoreX[0] + 2; fx <= kPongScoreX[0] + 18; ++fx) {
                const int x = static_cast<int>(static_cast<float>(fx) * kPongFieldScale);
                const int y =
                    static_cast<int>(static_cast<float>(fy) * kPongFieldScale + kPongFieldTop);
                const uint32_t p = frame[static_cast<size_t>(y * g_pView->GetWidth() + x)];
                brightest =
                    std::max(brightest, std::min({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}));
            }
        }
        EXPECT_GE(brightest, 0xC0u) << std::hex << shared;
    }
}

TEST_F(PongTest, EscapeReturnsToTheMenu) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    EXPECT_EQ(Screen<C_Pong>(), nullptr);
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

}  // namespace
