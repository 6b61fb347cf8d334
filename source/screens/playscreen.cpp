#include "screens/playscreen.h"

#include <cstdlib>
#include <ctime>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/model.h"
#include "model/timer.h"
#include "puzzle/gameboard.h"
#include "puzzle/tetromino.h"
#include "screens/button.h"
#include "view/font.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

constexpr GameKey kGameKeyTable[kGameKeys] = {
    {DIK_NUMPAD7, ACTION_TURN_COUNTER_CLOCKWISE},
    {DIK_NUMPAD9, ACTION_TURN_CLOCKWISE},
    {DIK_NUMPAD4, ACTION_MOVE_LEFT},
    {DIK_NUMPAD6, ACTION_MOVE_RIGHT},
    {DIK_NUMPAD5, ACTION_STEP_DOWN},
    {DIK_Z, ACTION_TURN_COUNTER_CLOCKWISE},
    {DIK_X, ACTION_TURN_CLOCKWISE},
    {DIK_UP, ACTION_TURN_CLOCKWISE},
    {DIK_LEFT, ACTION_MOVE_LEFT},
    {DIK_RIGHT, ACTION_MOVE_RIGHT},
    {DIK_DOWN, ACTION_STEP_DOWN},
};

constexpr float kFlowPeriod = 0.45f;
constexpr float kDestroyTick = 0.005f;
constexpr float kGravityPeriod = 0.3f;
constexpr float kGameOverFadePeriod = 1.0f;
constexpr float kFirstFadeStep = 0.04f;
constexpr float kSecondFadeStep = 0.16f;
constexpr float kLastFade = -1.4f;
constexpr int kAlphaStep = 2;
constexpr float kFullFade = 0.7f;
constexpr int kOpaque = 255;
constexpr float kListStart = 255.0f;
constexpr float kListFadeStep = 0.4f;

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

constexpr uint32_t kWhite = 0xFFFFFF;
// Lighter than the 0x505050 first chosen, which the dark well swallows.
constexpr uint32_t kListGrey = 0xD0D0D0;
constexpr uint32_t kMarker = 0x6450E1;

constexpr int kListTop = 108;
constexpr int kListLineStep = 20;
constexpr int kCycleEntryX = 60;
constexpr int kCycleNewX = 10;
constexpr int kCycleHighX = 2;
constexpr int kCycleChainX = 26;
constexpr int kCycleBonusX = 1;
constexpr int kPipeRightEdge = 342;
constexpr int kPipeMarkerX = 355;

struct Cell {
    int column;
    int row;
};

constexpr Cell kSpawnCell = {3, -1};
constexpr Cell kSpawnCellI = {3, -2};
constexpr Cell kSpawnCellO = {4, -1};
constexpr Cell kPreviewCell = {16, 18};
constexpr Cell kPreviewCellO = {17, 18};

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

// `rgb` with the integer part of `fade` as its alpha.
uint32_t Alpha(float fade, uint32_t rgb) {
    return (static_cast<uint32_t>(static_cast<int>(fade)) & 0xFFu) << 24 | (rgb & 0xFFFFFFu);
}

int ListY(int line) {
    return kListTop + kListLineStep * line;
}

void Trace(const std::string& line) {
    g_pConsole->AddLine(line);
}

}  // namespace

void PlaceAtSpawn(C_Tetromino* shape) {
    Cell cell = kSpawnCell;
    if (shape->GetShapeType() == SHAPE_I) {
        cell = kSpawnCellI;
    } else if (shape->GetShapeType() == SHAPE_O) {
        cell = kSpawnCellO;
    }
    shape->SetGridPosition(cell.column, cell.row, 0);
}

void PlaceInPreview(C_Tetromino* shape) {
    const Cell cell = shape->GetShapeType() == SHAPE_O ? kPreviewCellO : kPreviewCell;
    shape->SetGridPosition(cell.column, cell.row, 0);
}

C_PlayScreen::C_PlayScreen() : timer(g_pModel->GetTimer()) {
    board = std::make_unique<C_GameBoard>();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
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
    currentShape = std::make_unique<C_Tetromino>(board.get());
    nextShape = std::make_unique<C_Tetromino>(board.get());
    PlaceAtSpawn(currentShape.get());
    PlaceInPreview(nextShape.get());
    hudFont = std::make_unique<C_Font>("Arial", kHudHeight, kHudStartColour);
    hudFont->SetColour(kHudFirstColour);
    listFont = std::make_unique<C_Font>("Arial Black", kListHeight, kHudStartColour);
}

C_PlayScreen::~C_PlayScreen() {
    // The shapes hold the board; they go first.
    currentShape.reset();
    nextShape.reset();
    board.reset();
}

bool C_PlayScreen::Phase(float period) const {
    return timer->GetPeriodPhase(period, 0.0f) == 0.0f;
}

void C_PlayScreen::HandleInput() {
    if (mode != MODE_GAMEOVER) {
        if (startButton->GetState() == BUTTON_HELD) {
            if (mode == MODE_IDLE) {
                infoFade = kOpaque;
            }
            mode = MODE_RUNNING;
            startButton->GetSprite()->SetFrame(kPressedFrame);
            pauseButton->GetSprite()->SetFrame(kHoverFrame);
            stopButton->GetSprite()->SetFrame(kHoverFrame);
        }
        if (mode != MODE_IDLE && pauseButton->GetState() == BUTTON_HELD) {
            mode = MODE_PAUSED;
            startButton->SetState(BUTTON_CLICKED);
            pauseButton->SetState(BUTTON_HELD);
            stopButton->SetState(BUTTON_CLICKED);
        }
        if (mode != MODE_IDLE && g_pController->IsKeyHeld(DIK_P)) {
            mode = MODE_PAUSED;
        }
        if (stopButton->GetState() == BUTTON_HELD) {
            g_pModel->SetNextState(STATE_MENU);
        }
        if (mode == MODE_RUNNING) {
            HandleGameKeys();
        }
    }
    // Not in MODE_GAMEOVER: that would leave a game without a falling shape
    // and without the prompt.
    if (mode != MODE_GAMEOVER && g_pController->IsKeyReleased(DIK_SPACE)) {
        if (mode == MODE_IDLE) {
            infoFade = kOpaque;
        }
        mode = MODE_RUNNING;
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

void C_PlayScreen::HandleGameKeys() {
    for (int k = 0; k < kGameKeys; ++k) {
        const GameKey& gameKey = kGameKeyTable[k];
        int& latch = keyLatch[static_cast<size_t>(k)];
        const int state = g_pController->GetKeyState(gameKey.key);
        if (gameKey.action == ACTION_STEP_DOWN) {
            // Every second held frame, starting with the first.
            if (state == KEY_HELD) {
                if (latch == 1) {
                    latch = 0;
                } else {
                    Act(gameKey.action);
                    latch = 1;
                }
            }
            continue;
        }
        // Once per press, in the frame after the release (which reads 2).
        if (state == KEY_HELD && latch == 0) {
            latch = 1;
        } else if (state == KEY_UP && latch == 1) {
            Act(gameKey.action);
            latch = 0;
        }
    }
}

void C_PlayScreen::Act(GameAction action) {
    if (!currentShape) {
        return;
    }
    switch (action) {
        case ACTION_TURN_COUNTER_CLOCKWISE:
            currentShape->RotateCounterClockwise();
            break;
        case ACTION_TURN_CLOCKWISE:
            currentShape->RotateClockwise();
            break;
        case ACTION_MOVE_LEFT:
            currentShape->MoveLeft();
            break;
        case ACTION_MOVE_RIGHT:
            currentShape->MoveRight();
            break;
        case ACTION_STEP_DOWN:
            // Never locks the shape and leaves the clock alone.
            currentShape->StepDown();
            break;
    }
}

void C_PlayScreen::Update() {
    if (mode != MODE_GAMEOVER) {
        startButton->Update();
        pauseButton->Update();
        stopButton->Update();
    }
    if (mode == MODE_RUNNING) {
        UpdateRunning();
    }
    if (mode == MODE_GAMEOVER) {
        yesButton->Update();
        noButton->Update();
        if (infoFade < kOpaque && !Phase(kGameOverFadePeriod)) {
            infoFade += 1;
        }
    }
}

void C_PlayScreen::UpdateRunning() {
    if (board->piping != 0) {
        RenderUnseen([this] { board->Render(); });
        if (Phase(kFlowPeriod)) {
            Trace("piping");
            pipeFade = kListStart;
            board->FlowStep();
        }
        return;
    }
    if (board->destroying != 0) {
        if (!Phase(kDestroyTick)) {
            return;
        }
        Trace("destroying");
        if (board->fade > 0.0f) {
            board->fade -= kFirstFadeStep;
            board->boardAlpha -= kAlphaStep;
        } else if (board->fade > kLastFade) {
            board->fade -= kSecondFadeStep;
            board->boardAlpha -= kAlphaStep;
        } else {
            board->RemoveMarked();
            board->moving = 1;
            pipeFade = kListStart;
            cycleFade = kListStart;
            pipeHigh = -1;
            cycleHigh = -1;
            pipeList = board->pipeSizes;
            board->pipeSizes.clear();
            board->fade = kFullFade;
            board->boardAlpha = kOpaque;
            board->destroying = 0;
            return;
        }
    }
    if (board->moving != 0) {
        RenderUnseen([this] { Render(); });
        if (!Phase(kGravityPeriod)) {
            return;
        }
        Trace("moving");
        if (!board->GravityStep()) {
            return;
        }
        chain += 1;
        if (board->ClearFullRows()) {
            mode = MODE_GAMEOVER;
            return;
        }
        if (board->piping != 0) {
            Trace("piping");
            board->FlowStep();
            return;
        }
        Spawn();
    }
    if (Phase(board->fallInterval) && currentShape) {
        if (currentShape->StepDown() != 0) {
            timer->Reset();
            return;
        }
        currentShape->LockIntoBoard();
        const bool toppedOut = board->ClearFullRows();
        currentShape.reset();
        if (toppedOut) {
            mode = MODE_GAMEOVER;
            return;
        }
        if (board->piping != 0) {
            Trace("piping");
            board->FlowStep();
            return;
        }
        Spawn();
        timer->Reset();
    }
}

void C_PlayScreen::RenderUnseen(const std::function<void()>& render) {
    // The frame is cleared after the update, so what this draws would never
    // be seen; only what drawing advances (pulses, fades, the lists' points)
    // is kept.
    if (g_pView == nullptr) {
        render();
        return;
    }
    g_pView->SetDrawing(false);
    render();
    g_pView->SetDrawing(true);
}

void C_PlayScreen::Spawn() {
    chain = 1;
    currentShape = std::move(nextShape);
    PlaceAtSpawn(currentShape.get());
    nextShape = std::make_unique<C_Tetromino>(board.get());
    PlaceInPreview(nextShape.get());
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
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {kPictureScale, kPictureScale},
                     kOpaqueWhite);
    DrawHud();
    board->Render();
    if (mode == MODE_RUNNING) {
        if (cycleFade > 0.0f) {
            DrawLines(RunCycleList());
        }
        if (pipeFade > 0.0f) {
            DrawLines(RunPipeList());
        }
        if (board->bannerTimer > 0) {
            board->bannerTimer -= 1;
            bannerPicture->Draw({kPictureX, kPictureY}, {0.0f, 0.0f}, 0.0f,
                                {kPictureScale, kPictureScale},
                                Alpha(static_cast<float>(board->bannerTimer / 2), kWhite));
        }
    }
    if (currentShape) {
        currentShape->Render();
    }
    if (nextShape) {
        nextShape->Render();
    }
    startButton->Render();
    pauseButton->Render();
    stopButton->Render();
    if (mode == MODE_PAUSED) {
        DrawPicture(pausedPicture.get(), kPictureColour);
        pausedFade = kOpaque;
    } else if (mode == MODE_IDLE) {
        DrawPicture(infoPicture.get(), kPictureColour);
    } else if (mode == MODE_RUNNING) {
        if (infoFade > 0) {
            infoFade -= 1;
            DrawPicture(infoPicture.get(), Alpha(static_cast<float>(infoFade), kWhite));
        }
        if (pausedFade > 0) {
            DrawPicture(pausedPicture.get(), Alpha(static_cast<float>(pausedFade), kWhite));
            pausedFade -= 1;
        }
    } else if (mode == MODE_GAMEOVER) {
        DrawPicture(gameOverPicture.get(), kPictureColour);
        yesButton->Render();
        noButton->Render();
    }
    g_pController->DrawMousePointer();
}

std::vector<ListLine> C_PlayScreen::RunCycleList() {
    std::vector<ListLine> lines;
    cyclePoints = 0;
    int n = 0;
    for (size_t i = 0; i < board->cycleSizes.size(); ++i) {
        const int s = board->cycleSizes[i];
        if (s == -1) {
            continue;
        }
        const int index = static_cast<int>(i);
        std::string text;
        if (i < board->cycleMulti.size() && board->cycleMulti[i] != 0) {
            cyclePoints += s;
            text = IntToString(s) + " Block Multi Cycle";
        } else {
            cyclePoints += 2 * s;
            text = IntToString(s) + " Block Cycle";
        }
        if (i != 0) {
            text = "+ " + text;
        }
        lines.push_back({text, kCycleEntryX, ListY(n), Alpha(cycleFade, kListGrey)});
        if (s > board->bestCycle || cycleHigh == index) {
            const uint32_t marker = Alpha(cycleFade, kMarker);
            lines.push_back({"New", kCycleNewX, ListY(n), marker});
            lines.push_back({"High!", kCycleHighX, ListY(n + 1), marker});
            board->bestCycle = s;
            cycleHigh = index;
        }
        n += 1;
    }
    cyclePoints *= 8 * board->level + 8;
    if (cycleFade == kListStart) {
        board->score += cyclePoints * chain * 8;
        shownChain = chain;
    }
    cycleFade -= kListFadeStep;
    if (cyclePoints > 0) {
        if (shownChain > 1) {
            const uint32_t marker = Alpha(pipeFade, kMarker);
            lines.push_back({IntToString(shownChain) + "x", kCycleChainX, ListY(n), marker});
            lines.push_back({"Bonus", kCycleBonusX, ListY(n + 1), marker});
        }
        lines.push_back(
            {"pts : " + IntToString(cyclePoints), kCycleEntryX, ListY(n), Alpha(pipeFade, kWhite)});
    }
    if (cycleFade <= 0.0f) {
        cycleFade = -1.0f;
        cycleHigh = -1;
    }
    return lines;
}

std::vector<ListLine> C_PlayScreen::RunPipeList() {
    std::vector<ListLine> lines;
    pipePoints = 0;
    int n = 0;
    for (size_t i = 0; i < pipeList.size(); ++i) {
        const int s = pipeList[i];
        if (s == -1) {
            continue;
        }
        const int index = static_cast<int>(i);
        pipePoints += s;
        std::string text = IntToString(s) + " Block Pipe";
        if (i != 0) {
            text = "+ " + text;
        }
        lines.push_back(
            {text, kPipeRightEdge - TextWidth(text), ListY(n), Alpha(pipeFade, kWhite)});
        if (s > board->bestPipe || pipeHigh == index) {
            const uint32_t marker = Alpha(pipeFade, kMarker);
            lines.push_back({"New", kPipeMarkerX, ListY(n), marker});
            lines.push_back({"High!", kPipeMarkerX, ListY(n + 1), marker});
            board->bestPipe = s;
            pipeHigh = index;
        }
        n += 1;
    }
    if (pipeFade == kListStart) {
        board->pipeTotal += pipePoints;
    }
    pipePoints *= 2 * board->level + 2;
    if (pipeFade == kListStart) {
        board->score += pipePoints * chain;
        shownChain = chain;
    }
    if (pipePoints > 0) {
        if (shownChain > 1) {
            const uint32_t marker = Alpha(pipeFade, kMarker);
            lines.push_back({IntToString(shownChain) + "x", kPipeMarkerX, ListY(n), marker});
            lines.push_back({"Bonus", kPipeMarkerX, ListY(n + 1), marker});
        }
        const std::string text = "pts : " + IntToString(pipePoints);
        const int w = TextWidth(text);
        Trace("xOff" + IntToString(w));
        lines.push_back({text, kPipeRightEdge - w, ListY(n), Alpha(pipeFade, kListGrey)});
    }
    pipeFade -= kListFadeStep;
    if (pipeFade < 0.0f) {
        pipeList.clear();
        pipeHigh = -1;
        pipeFade = -1.0f;
    }
    return lines;
}
