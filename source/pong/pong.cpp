#include "pong/pong.h"

#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "pong/paddle.h"
#include "pong/pongball.h"
#include "pong/wall.h"
#include "view/font.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

constexpr float kFieldWidth = 800.0f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kCountdownColour = 0x321E1E1E;
constexpr int kCountdownHeight = 60;
constexpr int kCountdownSeconds = 3;
constexpr int kFieldMiddleX = 400;
constexpr int kFieldMiddleY = 300;
constexpr uint32_t kCountdownFlags = TEXT_CENTERED | TEXT_FILTERED;

}  // namespace

C_Pong::C_Pong() {
    topWall = std::make_unique<C_Wall>(0.0f, -10.0f);
    bottomWall = std::make_unique<C_Wall>(0.0f, 600.0f);
    leftPaddle = std::make_unique<C_Paddle>(10.0f, 270.0f);
    rightPaddle = std::make_unique<C_Paddle>(780.0f, 270.0f);
    ball = std::make_unique<C_PongBall>();
    background = std::make_unique<C_Sprite>("pong_background.png");
    scoreboard = std::make_unique<C_Sprite>("pong_scoreboard.png");
    countdownFont = std::make_unique<C_Font>("Helvitica", kCountdownHeight, kCountdownColour);
    rightPaddle->SetTarget(ball.get());
    AddObject(topWall.get());
    AddObject(bottomWall.get());
    AddObject(ball.get());
    AddObject(leftPaddle.get());
    AddObject(rightPaddle.get());
    NewRound();
}

C_Pong::~C_Pong() = default;

void C_Pong::NewRound() {
    ball->ResetToCentre();
    roundStart = g_pModel->GetTimer()->GetGameTime();
}

void C_Pong::HandleInput() {
    if (g_pController->IsKeyReleased(DIK_ESCAPE)) {
        g_pModel->SetNextState(STATE_MENU);
    }
}

void C_Pong::ReportFailure(int line, const C_GameObject& object) {
    DXError("pong", line, result, "Could not Update object  " + object.GetName());
}

void C_Pong::Update() {
    for (C_GameObject* object : objectList) {
        result = object->Update();
        if (result < 0) {
            ReportFailure(__LINE__, *object);
        }
    }
    CheckCollisions();
    if (ball->GetPosition().x < -static_cast<float>(ball->GetScaledWidth())) {
        ++rightScore;
        if (rightScore == winningScore) {
            g_pModel->SetNextState(STATE_GAMEOVER_LOST);
        }
        NewRound();
    } else if (ball->GetPosition().x > kFieldWidth) {
        ++leftScore;
        if (leftScore == winningScore) {
            g_pModel->SetNextState(STATE_GAMEOVER_WON);
        }
        NewRound();
    }
}

void C_Pong::Render() {
    g_pView->SetDrawTransform(kPongFieldScale, 0.0f, kPongFieldTop);
    background->Draw({367.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f}, kOpaqueWhite);
    scoreboard->Draw({kPongScoreboardX, kPongScoreboardY}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f},
                     kOpaqueWhite);
    C_Font* font = g_pModel->GetFont();
    const uint32_t sharedColour = font->GetColour();
    font->SetColour(kPongScoreColour);
    font->DrawText(IntToString(leftScore), kPongScoreX[0], kPongScoreY, TEXT_FILTERED);
    font->DrawText(IntToString(rightScore), kPongScoreX[1], kPongScoreY, TEXT_FILTERED);
    font->SetColour(sharedColour);
    for (C_GameObject* object : objectList) {
        result = object->Render();
        if (result < 0) {
            ReportFailure(__LINE__, *object);
        }
    }

    C_Timer* timer = g_pModel->GetTimer();
    const int t = static_cast<int>(timer->GetGameTime() - roundStart);
    if (t < kCountdownSeconds + 1) {
        if (timer->GetPeriodPhase(3.0f, roundStart) == 0.0f && t != 0) {
            ball->Serve();
        }
        const float p = timer->GetPeriodPhase(1.0f, roundStart);
        if (t < kCountdownSeconds) {
            // A second's first frame has phase 0, where the digit's scale
            // has no finite value: that frame shows no digit.
            if (p != 0.0f) {
                const float s = 40.0f / (50.0f * p);
                countdownFont->SetScale(s, s);
                countdownFont->DrawText(IntToString(kCountdownSeconds - t), kFieldMiddleX,
                                        kFieldMiddleY, kCountdownFlags);
            }
        } else if (p != 0.0f) {
            const float s = p * 10.0f * 0.1f;
            countdownFont->SetScale(s, s);
            countdownFont->DrawText("GO!", kFieldMiddleX, kFieldMiddleY, kCountdownFlags);
        }
    }
    g_pView->SetDrawTransform(1.0f, 0.0f, 0.0f);
}
