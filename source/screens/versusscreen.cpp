#include "screens/versusscreen.h"

#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "screens/button.h"
#include "versus/opponent.h"
#include "view/font.h"
#include "view/sprite.h"

int versusStrength = STRENGTH_MEDIUM;
int versusLevel = 0;

namespace {

constexpr float kPictureScale = 0.7f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr float kButtonScale = 0.6f;
constexpr int kLevels = 10;
constexpr int kLevelHeight = 30;

struct Place {
    const char* image;
    float x;
    float y;
};

constexpr Place kStrengthPlaces[kStrengths] = {
    {"easy_button-3-1-3.png", 92, 240},
    {"medium_button-3-1-3.png", 285, 240},
    {"hard_button-3-1-3.png", 478, 240},
};
constexpr int kStrengthKeys[kStrengths] = {DIK_1, DIK_2, DIK_3};
constexpr Place kLessPlace = {"less_button-3-1-3.png", 250, 388};
constexpr Place kMorePlace = {"more_button-3-1-3.png", 414, 388};

std::unique_ptr<C_Button> MakeButton(const Place& place) {
    auto button = std::make_unique<C_Button>(place.image);
    button->SetScale(kButtonScale, kButtonScale);
    button->SetPosition(place.x, place.y);
    return button;
}

}  // namespace

C_VersusScreen::C_VersusScreen() {
    background = std::make_unique<C_Sprite>("versus.png");
    for (int n = 0; n < kStrengths; ++n) {
        strengthButtons[static_cast<size_t>(n)] = MakeButton(kStrengthPlaces[n]);
    }
    lessButton = MakeButton(kLessPlace);
    moreButton = MakeButton(kMorePlace);
    levelFont = std::make_unique<C_Font>("Arial", kLevelHeight, kVersusLevelColour);
}

C_VersusScreen::~C_VersusScreen() = default;

void C_VersusScreen::Play(int strength) {
    versusStrength = strength;
    g_pModel->SetNextState(STATE_MATCH);
}

void C_VersusScreen::StepLevel(int step) {
    versusLevel = (versusLevel + step + kLevels) % kLevels;
}

void C_VersusScreen::HandleInput() {
    if (g_pController->IsKeyReleased(DIK_ESCAPE)) {
        g_pModel->SetNextState(STATE_MENU);
    }
    if (g_pController->IsKeyReleased(DIK_LEFT) || lessButton->GetState() == BUTTON_CLICKED) {
        StepLevel(-1);
    }
    if (g_pController->IsKeyReleased(DIK_RIGHT) || moreButton->GetState() == BUTTON_CLICKED) {
        StepLevel(1);
    }
    for (int n = 0; n < kStrengths; ++n) {
        if (g_pController->IsKeyReleased(kStrengthKeys[n]) ||
            strengthButtons[static_cast<size_t>(n)]->GetState() == BUTTON_CLICKED) {
            Play(n);
        }
    }
}

void C_VersusScreen::Update() {
    for (auto& button : strengthButtons) {
        button->Update();
    }
    lessButton->Update();
    moreButton->Update();
}

void C_VersusScreen::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                     kOpaqueWhite);
    for (auto& button : strengthButtons) {
        button->Render();
    }
    lessButton->Render();
    moreButton->Render();
    const std::string level = IntToString(versusLevel);
    int width = 0;
    TextSize size;
    if (levelFont->GetTextureFont() != nullptr &&
        SUCCEEDED(levelFont->GetTextureFont()->MeasureText(level.c_str(), &size))) {
        width = size.cx;
    }
    levelFont->DrawText(level, (kVersusLevelWindow.x0 + kVersusLevelWindow.x1 - width) / 2,
                        kVersusLevelWindow.y0 + 7, TEXT_FILTERED);
    g_pController->DrawMousePointer();
}
