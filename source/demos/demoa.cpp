#include "demos/demoa.h"

#include <cmath>
#include <cstdint>

#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr float kStep = 5.0f;
constexpr float kPulsePeriod = 10.0f;
constexpr float kPi = 3.14159265358979f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kCaptionColour = 0xFF000000;
constexpr float kSamplesX = 530.0f;
constexpr float kSamplesY = 460.0f;

}  // namespace

C_DemoA::C_DemoA() {
    background = std::make_unique<C_Sprite>("demoa_background.png");
    box = std::make_unique<C_Sprite>("box-3-2-2.png");
    bitmap = std::make_unique<C_Sprite>("bitmap24.bmp");
    png24 = std::make_unique<C_Sprite>("png24.png");
    png32 = std::make_unique<C_Sprite>("png32.png");
    g_pModel->GetTimer()->Reset();
}

C_DemoA::~C_DemoA() = default;

void C_DemoA::HandleInput() {
    if (g_pController->IsKeyReleased(DIK_ESCAPE)) {
        g_pModel->SetNextState(STATE_MENU);
    }
    if (g_pController->IsKeyReleased(DIK_F2)) {
        g_pModel->SetNextState(STATE_DEMO_B);
    }
}

void C_DemoA::Update() {
    if (g_pController->IsKeyHeld(DIK_UP)) {
        boxPosition.y -= kStep;
    }
    if (g_pController->IsKeyHeld(DIK_DOWN)) {
        boxPosition.y += kStep;
    }
    if (g_pController->IsKeyHeld(DIK_LEFT)) {
        boxPosition.x -= kStep;
    }
    if (g_pController->IsKeyHeld(DIK_RIGHT)) {
        boxPosition.x += kStep;
    }
    const float p = g_pModel->GetTimer()->GetPeriodPhase(kPulsePeriod, 0.0f);
    if (p == 0.0f) {
        box->NextFrame();
        boxAlpha = 0;
    } else {
        boxAlpha = static_cast<int>(std::sin(kPi * p / kPulsePeriod) * 255.0f);
    }
}

void C_DemoA::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f}, kOpaqueWhite);
    const uint32_t boxColour = (static_cast<uint32_t>(boxAlpha) & 0xFFu) << 24 | 0xFFFFFFu;
    box->Draw(boxPosition, boxRotationCentre, 0.0f, boxScale, boxColour);
    const float bitmapWidth = static_cast<float>(bitmap->GetFrameWidth());
    const float png24Width = static_cast<float>(png24->GetFrameWidth());
    bitmap->Draw({kSamplesX, kSamplesY}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f}, kOpaqueWhite);
    png24->Draw({kSamplesX + bitmapWidth, kSamplesY}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f},
                kOpaqueWhite);
    png32->Draw({kSamplesX + bitmapWidth + png24Width, kSamplesY}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f},
                kOpaqueWhite);
    C_Font* font = g_pModel->GetFont();
    font->SetColour(kCaptionColour);
    font->DrawText("Alpha Value = " + IntToString(boxAlpha), 5, 350, TEXT_FILTERED);
}
