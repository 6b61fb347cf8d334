#include "screens/playscreen.h"

#include <ctime>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "model/timer.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "screens/button.h"
#include "view/font.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

constexpr GameKey kGameKeyTable[kGameKeys] = {
    {DIK_NUMPAD7, COMMAND_TURN_COUNTER_CLOCKWISE},
    {DIK_NUMPAD9, COMMAND_TURN_CLOCKWISE},
    {DIK_NUMPAD4, COMMAND_LEFT},
    {DIK_NUMPAD6, COMMAND_RIGHT},
    {DIK_NUMPAD5, COMMAND_DROP_STEP},
    {DIK_Z, COMMAND_TURN_COUNTER_CLOCKWISE},
    {DIK_X, COMMAND_TURN_CLOCKWISE},
    {DIK_UP, COMMAND_TURN_CLOCKWISE},
    {DIK_LEFT, COMMAND_LEFT},
    {DIK_RIGHT, COMMAND_RIGHT},
    {DIK_DOWN, COMMAND_DROP_STEP},
};

constexpr float kGameOverFadePeriod = 1.0f;
constexpr int kOpaque = 255;

constexpr float kPictureScale = 0.7f;
constexpr float kPictureX = 61.0f;
constexpr float kPictureY = 240.0f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kPictureColour = 0xE6FFFFFF;

constexpr uint32_t kHudStartColour = 0x321E1E1E;
constexpr uint32_t kHudFirstColour = 0x96505050;
constexpr uint32_t kHudColour = 0xB4F0F0FF;
constexpr int kHudHeight = 24;
constexpr int kListHeight = 11;

struct ButtonPlace {
    const char* image;
    float x;
    float y;
    float scale;
};

constexpr ButtonPlace kStartPlace = {"start_button2-3-1-3.png", 420, 600, 0.65f};
constexpr ButtonPlace kPausePlace = {"pause_button2-3-1-3.png", 515, 600, 0.65f};
constexpr ButtonPlace kStopPlace = {"stop_button2-3-1-3.png", 585, 600, 0.65f};
constexpr ButtonPlace kYesPlace = {"yes_button-3-1-3.png", 130, 332, 0.5f};
constexpr ButtonPlace kNoPlace = {"no_button-3-1-3.png", 225, 332, 0.5f};

constexpr int kHoverFrame = 1;
constexpr int kPressedFrame = 2;

std::unique_ptr<C_Button> MakeButton(const ButtonPlace& place) {
    auto button = std::make_unique<C_Button>(place.image);
    button->SetPosition(place.x, place.y);
    button->SetScale(place.scale, place.scale);
    return button;
}

}  // namespace

C_PlayScreen::C_PlayScreen() : timer(g_pModel->GetTimer()) {
    RoundSettings settings;
    settings.seed = static_cast<uint64_t>(std::time(nullptr));
    settings.level = outerLevel;
    round = std::make_unique<C_Round>(settings);
    background = std::make_unique<C_Sprite>("bg3.png");
    gameOverPicture = std::make_unique<C_Sprite>("game_over.png");
    pausedPicture = std::make_unique<C_Sprite>("paused.png");
    bannerPicture = std::make_unique<C_Sprite>("juice.png");
    startButton = MakeButton(kStartPlace);
    pauseButton = MakeButton(kPausePlace);
    stopButton = MakeButton(kStopPlace);
    yesButton = MakeButton(kYesPlace);
    noButton = MakeButton(kNoPlace);
    infoPicture = std::make_unique<C_Sprite>("game_info.png");
    hudFont = std::make_unique<C_Font>("Arial", kHudHeight, kHudStartColour);
    hudFont->SetColour(kHudFirstColour);
    listFont = std::make_unique<C_Font>("Arial Black", kListHeight, kHudStartColour);
    round->textWidth = [this](const std::string& text) { return TextWidth(text); };
}

C_PlayScreen::~C_PlayScreen() = default;

void C_PlayScreen::HandleInput() {
    const int& mode = round->mode;
    if (mode != MODE_GAMEOVER) {
        if (startButton->GetState() == BUTTON_HELD) {
            if (mode == MODE_IDLE) {
                infoFade = kOpaque;
            }
            round->Command(COMMAND_START);
            startButton->GetSprite()->SetFrame(kPressedFrame);
            pauseButton->GetSprite()->SetFrame(kHoverFrame);
            stopButton->GetSprite()->SetFrame(kHoverFrame);
        }
        if (mode != MODE_IDLE && pauseButton->GetState() == BUTTON_HELD) {
            round->Command(COMMAND_PAUSE);
            startButton->SetState(BUTTON_CLICKED);
            pauseButton->SetState(BUTTON_HELD);
            stopButton->SetState(BUTTON_CLICKED);
        }
        if (mode != MODE_IDLE && g_pController->IsKeyHeld(DIK_P)) {
            round->Command(COMMAND_PAUSE);
        }
        if (stopButton->GetState() == BUTTON_HELD) {
            g_pModel->SetNextState(STATE_MENU);
        }
        if (mode == MODE_RUNNING) {
            SteerWithKeys(round.get(), &keyLatch);
        }
    }
    // Not in MODE_GAMEOVER: that would leave a game without a falling shape
    // and without the prompt.
    if (mode != MODE_GAMEOVER && g_pController->IsKeyReleased(DIK_SPACE)) {
        if (mode == MODE_IDLE) {
            infoFade = kOpaque;
        }
        round->Command(COMMAND_START);
    }
    if (mode == MODE_GAMEOVER) {
        if (yesButton->GetState() == BUTTON_CLICKED) {
            g_pModel->SetNextState(STATE_PLAY);
        }
        if (noButton->GetState() == BUTTON_CLICKED) {
            g_pModel->SetNextState(STATE_MENU);
        }
    }
    if (g_pController->IsKeyReleased(DIK_ESCAPE)) {
        g_pModel->SetNextState(STATE_MENU);
    }
}

void SteerWithKeys(C_Round* round, std::array<int, kGameKeys>* latches) {
    for (int k = 0; k < kGameKeys; ++k) {
        const GameKey& gameKey = kGameKeyTable[k];
        int& latch = (*latches)[static_cast<size_t>(k)];
        const int state = g_pController->GetKeyState(gameKey.key);
        if (gameKey.command == COMMAND_DROP_STEP) {
            // Every second held frame, starting with the first.
            if (state == KEY_HELD) {
                if (latch == 1) {
                    latch = 0;
                } else {
                    round->Command(gameKey.command);
                    latch = 1;
                }
            }
            continue;
        }
        // Once per press, in the frame after the release (which reads 2).
        if (state == KEY_HELD && latch == 0) {
            latch = 1;
        } else if (state == KEY_UP && latch == 1) {
            round->Command(gameKey.command);
            latch = 0;
        }
    }
}

void C_PlayScreen::Update() {
    if (round->mode != MODE_GAMEOVER) {
        startButton->Update();
        pauseButton->Update();
        stopButton->Update();
    }
    if (round->Update(timer->GetGameTime())) {
        StepPictures();
    }
    if (round->mode == MODE_GAMEOVER) {
        yesButton->Update();
        noButton->Update();
        if (infoFade < kOpaque && !round->clock.Crossed(kGameOverFadePeriod)) {
            infoFade += 1;
        }
    }
}

void C_PlayScreen::DrawStep() {
    round->DrawStep();
    StepPictures();
}

void C_PlayScreen::StepPictures() {
    infoShown = -1;
    pausedShown = -1;
    if (round->mode == MODE_PAUSED) {
        pausedFade = kOpaque;
    } else if (round->mode == MODE_RUNNING) {
        if (infoFade > 0) {
            infoFade -= 1;
            infoShown = infoFade;
        }
        if (pausedFade > 0) {
            pausedShown = pausedFade;
            pausedFade -= 1;
        }
    }
}

void C_PlayScreen::DrawPicture(C_Sprite* picture, uint32_t colour) {
    picture->Draw({kPictureX, kPictureY}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                  colour);
}

void C_PlayScreen::DrawHud() {
    struct HudNumber {
        int value;
        int x;
        int y;
    };
    const C_GameBoard* board = round->board.get();
    const HudNumber numbers[] = {
        {board->level, 215, 12},      {board->score, 424, 56},     {board->rowsCleared, 432, 129},
        {board->pipeTotal, 440, 205}, {board->bestPipe, 434, 279}, {board->bestCycle, 432, 360},
    };
    hudFont->SetColour(kHudColour);
    for (const HudNumber& number : numbers) {
        hudFont->DrawText(IntToString(number.value), number.x, number.y, TEXT_FILTERED);
    }
}

void C_PlayScreen::DrawLines(const std::vector<ListLine>& lines) {
    for (const ListLine& line : lines) {
        listFont->SetColour(line.colour);
        listFont->DrawText(line.text, line.x, line.y, TEXT_FILTERED);
    }
}

int C_PlayScreen::TextWidth(const std::string& text) const {
    TextSize size;
    if (listFont->GetTextureFont() == nullptr ||
        FAILED(listFont->GetTextureFont()->MeasureText(text.c_str(), &size))) {
        return 0;
    }
    return size.cx;
}

void C_PlayScreen::Render() {
    const int mode = round->mode;
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                     kOpaqueWhite);
    DrawHud();
    round->board->Render();
    if (mode == MODE_RUNNING) {
        DrawLines(round->cycleLines);
        DrawLines(round->pipeLines);
        if (round->bannerShown) {
            bannerPicture->Draw(
                {kPictureX, kPictureY}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                FadeColour(static_cast<float>(round->board->bannerTimer / 2), kWhiteRgb));
        }
    }
    if (round->currentShape) {
        round->currentShape->Render();
    }
    if (round->nextShape) {
        round->nextShape->Render();
    }
    startButton->Render();
    pauseButton->Render();
    stopButton->Render();
    if (mode == MODE_PAUSED) {
        DrawPicture(pausedPicture.get(), kPictureColour);
    } else if (mode == MODE_IDLE) {
        DrawPicture(infoPicture.get(), kPictureColour);
    } else if (mode == MODE_RUNNING) {
        if (infoShown >= 0) {
            DrawPicture(infoPicture.get(), FadeColour(static_cast<float>(infoShown), kWhiteRgb));
        }
        if (pausedShown >= 0) {
            DrawPicture(pausedPicture.get(),
                        FadeColour(static_cast<float>(pausedShown), kWhiteRgb));
        }
    } else if (mode == MODE_GAMEOVER) {
        DrawPicture(gameOverPicture.get(), kPictureColour);
        yesButton->Render();
        noButton->Render();
    }
    g_pController->DrawMousePointer();
}
