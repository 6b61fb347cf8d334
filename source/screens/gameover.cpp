#include "screens/gameover.h"

#include "audio/wave.h"
#include "core/error.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "screens/button.h"
#include "view/sprite.h"

namespace {

constexpr int kFullVolume = 100;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

}  // namespace

C_GameOver::C_GameOver(const ScreenContext& given, int won) : context(given) {
    if (won == 0) {
        background = std::make_unique<C_Sprite>("gameover_background_lost.png");
    } else {
        crowdSound = std::make_unique<C_Wave>("crowd.wav", 0);
        if (!crowdSound->Load()) {
            DXError("gameover", __LINE__, 0, "crowd.wav failed to load");
        }
        crowdSound->Play(kFullVolume);
        background = std::make_unique<C_Sprite>("gameover_background_won.png");
    }
    playAgainButton =
        std::make_unique<C_Button>("gameover_button_playagain-3-1-3.png", context.input);
    playAgainButton->SetPosition(252, 258);
    menuButton = std::make_unique<C_Button>("gameover_button_menu-3-1-3.png", context.input);
    menuButton->SetPosition(252, 331);
}

C_GameOver::~C_GameOver() {
    crowdSound.reset();
    background.reset();
    menuButton.reset();
    playAgainButton.reset();
}

void C_GameOver::HandleInput() {
    if (context.input.IsKeyReleased(DIK_ESCAPE)) {
        context.model.SetNextState(STATE_MENU);
    }
}

void C_GameOver::Update() {
    menuButton->Update();
    playAgainButton->Update();
    if (menuButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_MENU);
    } else if (playAgainButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_PONG);
    }
}

void C_GameOver::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f}, kOpaqueWhite);
    menuButton->Render();
    playAgainButton->Render();
    context.input.DrawMousePointer();
}
