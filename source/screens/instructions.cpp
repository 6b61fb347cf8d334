#include "screens/instructions.h"

#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "screens/button.h"
#include "screens/keyhints.h"
#include "store/settings.h"
#include "view/font.h"
#include "view/sprite.h"

namespace {

constexpr float kScale = 0.7f;
constexpr uint32_t kButtonColour = 0xC8FFFFFF;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
// Between a cap's rounded rim and its text.
constexpr int kKeyInset = 4;

}  // namespace

C_Instructions::C_Instructions(const ScreenContext& given)
    : context(given),
      background(std::make_unique<C_Sprite>("instruction.png")),
      mainButton(std::make_unique<C_Button>("main_button-3-1-3.png", context.input)),
      playButton(std::make_unique<C_Button>("play_button-3-1-3.png", context.input)),
      keyFont(std::make_unique<C_Font>("Arial", kKeyHintHeight, kKeyHintColour)) {
    const C_Settings& chosen = context.settings;
    boundKeys = {
        BoundKeys(chosen, {GameAction::MoveLeft, GameAction::MoveRight}),
        BoundKeys(chosen, {GameAction::RotateCounterClockwise, GameAction::RotateClockwise}),
        BoundKeys(chosen, {GameAction::Drop}),
        BoundKeys(chosen, {GameAction::Pause}),
        BoundKeys(chosen, {GameAction::Start}),
        BoundKeys(chosen, {GameAction::Menu}),
    };
    if (chosen.GetMoveRepeat(0).repeating) {
        movesLine = "Held moves and drops repeat.";
    }
    mainButton->SetPosition(580, 590);
    mainButton->SetColour(kButtonColour);
    mainButton->SetScale(kScale, kScale);
    playButton->SetPosition(580, 520);
    playButton->SetColour(kButtonColour);
    playButton->SetScale(kScale, kScale);
}

C_Instructions::~C_Instructions() = default;

void C_Instructions::HandleInput() {
    if (context.input.IsKeyReleased(DIK_ESCAPE)) {
        context.model.SetNextState(STATE_QUIT);
    }
    if (context.input.IsKeyReleased(DIK_F4)) {
        context.model.SetNextState(STATE_PLAY);
    }
    if (mainButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_MENU);
    }
    if (playButton->GetState() == BUTTON_CLICKED) {
        context.model.SetNextState(STATE_PLAY);
    }
}

void C_Instructions::Update() {
    mainButton->Update();
    playButton->Update();
}

void C_Instructions::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kScale, kScale}, kOpaqueWhite);
    for (int row = 0; row < kInstructionKeyRows; ++row) {
        const TextBox cell = InstructionKeyCell(row);
        const std::string& keys = boundKeys[static_cast<size_t>(row)];
        keyFont->DrawText(keyFont->Fitted(keys, cell.right - cell.left - 2 * kKeyInset),
                          cell.CentreX(), cell.CentreY(), TEXT_CENTERED | TEXT_FILTERED);
    }
    if (!movesLine.empty()) {
        const TextBox& line = kInstructionMovesLine;
        keyFont->DrawText(keyFont->Fitted(movesLine, line.right - line.left), line.left, line.top,
                          TEXT_FILTERED);
    }
    mainButton->Render();
    playButton->Render();
    context.input.DrawMousePointer();
}
