#include "screens/playscreen.h"

#include <ctime>

#include "console/console.h"
#include "core/error.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "model/timer.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "screens/button.h"
#include "screens/gamesounds.h"
#include "screens/keyhints.h"
#include "screens/overlaylines.h"
#include "store/highscores.h"
#include "store/settings.h"
#include "view/font.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

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

// The drop preview's pieces: faint against the well.
constexpr int kPreviewAlpha = 70;

constexpr int kHoverFrame = 1;
constexpr int kPressedFrame = 2;

std::unique_ptr<C_Button> MakeButton(const ButtonPlace& place, const C_Controller& input) {
    auto button = std::make_unique<C_Button>(place.image, input);
    button->SetPosition(place.x, place.y);
    button->SetScale(place.scale, place.scale);
    return button;
}

}  // namespace

C_PlayScreen::C_PlayScreen(const ScreenContext& given)
    : context(given), timer(given.model.GetTimer()), keys(given.settings, 0) {
    const C_Settings& chosen = context.settings;
    actions = ScreenBindingsOf(chosen);
    dropPreview = chosen.IsDropPreviewOn();
    startingLevel = outerLevel;
    RoundSettings settings;
    settings.seed = static_cast<uint64_t>(std::time(nullptr));
    settings.level = outerLevel;
    round = std::make_unique<C_Round>(settings);
    sounds = std::make_unique<C_GameSounds>();
    round->Listen(sounds.get());
    background = std::make_unique<C_Sprite>("bg3.png");
    gameOverPicture = std::make_unique<C_Sprite>("game_over.png");
    pausedPicture = std::make_unique<C_Sprite>("paused.png");
    bannerPicture = std::make_unique<C_Sprite>("juice.png");
    startButton = MakeButton(kStartPlace, context.input);
    pauseButton = MakeButton(kPausePlace, context.input);
    stopButton = MakeButton(kStopPlace, context.input);
    yesButton = MakeButton(kYesPlace, context.input);
    noButton = MakeButton(kNoPlace, context.input);
    infoPicture = std::make_unique<C_Sprite>("game_info.png");
    hudFont = std::make_unique<C_Font>("Arial", kHudHeight, kHudStartColour);
    hudFont->SetColour(kHudFirstColour);
    listFont = std::make_unique<C_Font>("Arial Black", kListHeight, kHudStartColour);
    keyPanel = std::make_unique<C_KeyPanel>(KeyHints(chosen, true), kPlayKeysPlace);
    readyLines = std::make_unique<C_OverlayLines>(ReadyLines(chosen));
    pausedLines = std::make_unique<C_OverlayLines>(PausedLines(chosen));
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
            Give(COMMAND_START);
            startButton->GetSprite()->SetFrame(kPressedFrame);
            pauseButton->GetSprite()->SetFrame(kHoverFrame);
            stopButton->GetSprite()->SetFrame(kHoverFrame);
        }
        if (mode != MODE_IDLE && pauseButton->GetState() == BUTTON_HELD) {
            Give(COMMAND_PAUSE);
            startButton->SetState(BUTTON_CLICKED);
            pauseButton->SetState(BUTTON_HELD);
            stopButton->SetState(BUTTON_CLICKED);
        }
        if (mode != MODE_IDLE && actions.pause.Is(context.input, KEY_HELD)) {
            Give(COMMAND_PAUSE);
        }
        if (stopButton->GetState() == BUTTON_HELD) {
            context.model.SetNextState(STATE_MENU);
        }
        if (mode == MODE_RUNNING) {
            keys.Steer(context.input, timer->GetGameTime(), round->cascadeNumber,
                       [this](RoundCommand command) { Give(command); });
        } else {
            keys.Idle(timer->GetGameTime());
        }
    }
    // Not in MODE_GAMEOVER: that would leave a game without a falling shape
    // and without the prompt.
    if (mode != MODE_GAMEOVER && actions.start.Is(context.input, KEY_RELEASED)) {
        if (mode == MODE_IDLE) {
            infoFade = kOpaque;
        }
        Give(COMMAND_START);
    }
    if (mode == MODE_GAMEOVER) {
        if (yesButton->GetState() == BUTTON_CLICKED) {
            EndGame(STATE_PLAY);
        }
        if (noButton->GetState() == BUTTON_CLICKED) {
            EndGame(STATE_MENU);
        }
    }
    if (actions.menu.Is(context.input, KEY_RELEASED)) {
        if (mode == MODE_GAMEOVER) {
            EndGame(STATE_MENU);
        } else {
            context.model.SetNextState(STATE_MENU);
        }
    }
}

void C_PlayScreen::Give(RoundCommand command) {
    round->Command(command);
}

void C_PlayScreen::EndGame(int next) {
    const C_GameBoard& board = *round->board;
    if (context.scores.PlaceFor(board.score) == 0) {
        context.model.SetNextState(next);
        return;
    }
    FinishedGame finished;
    finished.game.score = board.score;
    finished.game.startingLevel = startingLevel;
    finished.game.rows = board.rowsCleared;
    finished.game.piecesPiped = board.pipeTotal;
    finished.game.date = C_HighScores::Today();
    finished.nextState = next;
    context.model.SetFinishedGame(finished);
    context.model.SetNextState(STATE_SCORES);
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

void C_PlayScreen::DrawPicture(C_Sprite* picture, uint32_t colour, C_OverlayLines* lines) {
    picture->Draw({kPictureX, kPictureY}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                  colour);
    if (lines != nullptr) {
        lines->Render(colour);
    }
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
    return listFont->Width(text);
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
        if (dropPreview && mode == MODE_RUNNING) {
            round->currentShape->RenderFaint(round->currentShape->RowsToLanding(), kPreviewAlpha);
        }
        round->currentShape->Render();
    }
    if (round->nextShape) {
        round->nextShape->Render();
    }
    keyPanel->Render();
    startButton->Render();
    pauseButton->Render();
    stopButton->Render();
    if (mode == MODE_PAUSED) {
        DrawPicture(pausedPicture.get(), kPictureColour, pausedLines.get());
    } else if (mode == MODE_IDLE) {
        DrawPicture(infoPicture.get(), kPictureColour, readyLines.get());
    } else if (mode == MODE_RUNNING) {
        if (infoShown >= 0) {
            DrawPicture(infoPicture.get(), FadeColour(static_cast<float>(infoShown), kWhiteRgb),
                        readyLines.get());
        }
        if (pausedShown >= 0) {
            DrawPicture(pausedPicture.get(), FadeColour(static_cast<float>(pausedShown), kWhiteRgb),
                        pausedLines.get());
        }
    } else if (mode == MODE_GAMEOVER) {
        DrawPicture(gameOverPicture.get(), kPictureColour);
        yesButton->Render();
        noButton->Render();
    }
    context.input.DrawMousePointer();
}
