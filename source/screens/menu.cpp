#include "screens/menu.h"

#include <utility>

#include "core/error.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "puzzle/gameboard.h"
#include "screens/button.h"
#include "view/sprite.h"

namespace {

constexpr float kLevelScale = 0.7f;
constexpr uint32_t kLevelColour = 0x96FFFFFF;
constexpr float kInstructionsScale = 0.6f;
constexpr uint32_t kInstructionsColour = 0xC8FFFFFF;
constexpr float kBackgroundScale = 0.7f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

struct Place {
    float x;
    float y;
};

// A staircase rising to the right.
constexpr Place kLevelPlaces[kLevelButtons] = {
    {235, 460}, {320, 460}, {320, 500}, {405, 500}, {405, 540},
    {490, 540}, {490, 500}, {490, 460}, {575, 460}, {575, 420},
};
// The buttons beside the levels stand in a column, one step apart.
constexpr Place kInstructionsPlace = {50, 535};
constexpr Place kVersusPlace = {50, 376};
constexpr Place kSettingsPlace = {50, 482};
constexpr Place kScoresPlace = {50, 429};

}  // namespace

C_Menu::C_Menu(const ScreenContext& given) : context(given) {
    background = std::make_unique<C_Sprite>("menu.png");
    for (int n = 0; n < kLevelButtons; ++n) {
        levelButtons[static_cast<size_t>(n)] = std::make_unique<C_Button>(
            "level_button_" + IntToString(n) + "-3-1-3.png", context.input);
    }
    instructionsButton = std::make_unique<C_Button>("instruction_button-3-1-3.png", context.input);
    versusButton = std::make_unique<C_Button>("versus_button-3-1-3.png", context.input);
    scoresButton = std::make_unique<C_Button>("scores_button-3-1-3.png", context.input);
    settingsButton = std::make_unique<C_Button>("settings_button-3-1-3.png", context.input);
    for (int n = 0; n < kLevelButtons; ++n) {
        C_Button& button = *levelButtons[static_cast<size_t>(n)];
        button.SetScale(kLevelScale, kLevelScale);
        button.SetColour(kLevelColour);
        button.SetPosition(kLevelPlaces[n].x, kLevelPlaces[n].y);
    }
    const std::pair<C_Button*, Place> sideButtons[] = {
        {instructionsButton.get(), kInstructionsPlace},
        {versusButton.get(), kVersusPlace},
        {scoresButton.get(), kScoresPlace},
        {settingsButton.get(), kSettingsPlace},
    };
    for (const auto& [button, place] : sideButtons) {
        button->SetScale(kInstructionsScale, kInstructionsScale);
        button->SetPosition(place.x, place.y);
        button->SetColour(kInstructionsColour);
    }
}

C_Menu::~C_Menu() = default;

void C_Menu::HandleInput() {
    if (context.input.IsKeyReleased(DIK_ESCAPE)) {
        context.model.SetNextState(STATE_QUIT);
    }
    if (context.input.IsKeyReleased(DIK_F4)) {
        context.model.SetNextState(STATE_PLAY);
    }
    if (context.input.IsKeyReleased(DIK_F5)) {
        context.model.SetNextState(STATE_PONG);
    }
    if (context.input.IsKeyReleased(DIK_F6)) {
        context.model.SetNextState(STATE_DEMO_A);
    }
    if (context.input.IsKeyReleased(DIK_F7) || versusButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_VERSUS);
    }
    if (context.input.IsKeyReleased(DIK_F8) || scoresButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_SCORES);
    }
    if (context.input.IsKeyReleased(DIK_F9) || settingsButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_SETTINGS);
    }
    if (instructionsButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_INSTRUCTIONS);
    }
    for (int n = 0; n < kLevelButtons; ++n) {
        if (levelButtons[static_cast<size_t>(n)]->GetState() == BUTTON_CLICKED) {
            outerLevel = n;
            context.model.SetNextState(STATE_PLAY);
        }
    }
}

void C_Menu::Update() {
    for (auto& button : levelButtons) {
        button->Update();
    }
    instructionsButton->Update();
    versusButton->Update();
    scoresButton->Update();
    settingsButton->Update();
}

void C_Menu::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kBackgroundScale, kBackgroundScale},
                     kOpaqueWhite);
    for (auto& button : levelButtons) {
        button->Render();
    }
    instructionsButton->Render();
    versusButton->Render();
    scoresButton->Render();
    settingsButton->Render();
    context.input.DrawMousePointer();
}
