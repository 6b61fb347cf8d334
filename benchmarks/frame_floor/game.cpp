// The game's side: the real C_Game, its frame limiter and its screens, on
// the same offscreen window and renderer as the bare program. The menu's
// pointer is moved by mouse events, as a hand would; the play scene is pinned
// before every frame (the board, the numbers and the lists' fade) while its
// shape falls by the round's own gravity, lifted back to the top before it
// can land, so every frame draws what the bare program's does.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/globals.h"
#include "core/keycodes.h"
#include "demos/ball.h"
#include "demos/demob.h"
#include "input/controller.h"
#include "input/keyboard.h"
#include "model/model.h"
#include "platform/events.h"
#include "platform/prompt.h"
#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "screens/playscreen.h"
#include "shell/game.h"
#include "sides.h"

namespace floor_bench {
namespace {

void LayBoard(C_PlayScreen* screen) {
    C_GameBoard& board = *screen->round->board;
    for (auto& column : board.cells) {
        for (auto& cell : column) {
            cell = WellCell();
        }
    }
    for (const BoardPiece& piece : PlayBoard()) {
        WellCell made = DrawnPiece(piece.colour, 0, LooseDraws());
        made.pipeShape = static_cast<uint8_t>(piece.shape);
        made.rotation = static_cast<uint8_t>(piece.rotation);
        board.cells[piece.column][piece.row] = made;
    }
    const PlayNumbers n;
    board.cycleSizes = n.cycleSizes;
    board.cycleMulti = n.cycleMulti;
    screen->round->pipeList = n.pipeSizes;
}

// Running, a shape falling at the level's pace, both lists fading.
void PinPlay(C_PlayScreen* screen, int frame) {
    const PlayNumbers n;
    C_Round& round = *screen->round;
    C_GameBoard& board = *round.board;
    round.mode = MODE_RUNNING;
    round.chain = n.chain;
    round.shownChain = n.chain;
    round.cycleFade = ListFadeAt(frame);
    round.pipeFade = ListFadeAt(frame);
    screen->infoFade = 0;
    screen->pausedFade = 0;
    if (round.currentShape && round.currentShape->GetRow() >= kFallRows) {
        PlaceAtSpawn(round.currentShape.get());
    }
    board.moving = 0;
    board.piping = 0;
    board.destroying = 0;
    board.level = n.level;
    board.score = n.score;
    board.rowsCleared = n.rowsCleared;
    board.pipeTotal = n.pipeTotal;
    board.bestPipe = n.bestPipe;
    board.bestCycle = n.bestCycle;
}

// The pointer to where the menu scene has it in `frame`, by one motion event.
void MovePointer(int frame) {
    const PointerPlace place = PointerAt(frame);
    platform::Event motion;
    motion.type = platform::EventType::MouseMotion;
    motion.dx = place.x - g_pController->GetMouseX();
    motion.dy = place.y - g_pController->GetMouseY();
    g_pController->OnInputEvent(motion);
}

// Demo B with its balls dropped one an update, as holding Up does, then let
// go; the pile is then drawn by the timed frames.
bool FillDemoB(C_Game& game) {
    g_pModel->SetNextState(STATE_DEMO_B);
    game.Frame();
    auto* demo = dynamic_cast<C_DemoB*>(g_pModel->GetState());
    if (demo == nullptr) {
        return false;
    }
    C_Keyboard* keyboard = g_pController->GetKeyboard();
    keyboard->OnKey(DIK_UP, true);
    while (static_cast<int>(demo->GetBalls().size()) < kDemoBalls) {
        g_pController->Update();
        demo->Update();
    }
    keyboard->OnKey(DIK_UP, false);
    g_pController->Update();
    g_pController->Update();
    return true;
}

// Every ball back to its place in the pile, at rest: the frame's update
// then moves nothing but what the collisions push.
void PinBalls() {
    auto* demo = dynamic_cast<C_DemoB*>(g_pModel->GetState());
    if (demo == nullptr) {
        return;
    }
    int n = 0;
    for (const auto& ball : demo->GetBalls()) {
        const BallPlace place = PlaceOfBall(n++);
        ball->SetPosition(place.x, place.y);
        ball->SetVelocity(0.0f, -ball->GetAcceleration().y);
        ball->SetRotation(place.radians);
        const Vector2 centre = ball->GetCentre();
        ball->SetRotationCentre(centre.x, centre.y);
    }
}

}  // namespace

Result RunGame(Scene scene, int frames, long long startedAt) {
    Result result;
    int reports = 0;
    platform::SetPromptHook([&reports](const std::string& title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        ++reports;
        return false;
    });
    std::srand(1);
    {
        C_Game game;
        game.Frame();
        FinishFrame();
        result.startMilliseconds = static_cast<double>(MonotonicNanoseconds() - startedAt) / 1e6;
        C_PlayScreen* play = nullptr;
        bool ready = true;
        if (scene == Scene::Play) {
            g_pModel->SetNextState(STATE_PLAY);
            game.Frame();
            play = dynamic_cast<C_PlayScreen*>(g_pModel->GetState());
            ready = play != nullptr;
            if (ready) {
                std::srand(1);
                LayBoard(play);
                // The level's fall interval, as the round sets it for a
                // game started there.
                play->round->board->fallInterval =
                    0.4f - 0.015f * static_cast<float>(PlayNumbers{}.level);
            }
        } else if (scene == Scene::Pong) {
            g_pModel->SetNextState(STATE_PONG);
            game.Frame();
        } else if (scene == Scene::DemoB) {
            ready = FillDemoB(game);
        }
        double start = 0;
        for (int frame = 0; ready && frame < kWarmUp + frames; ++frame) {
            if (frame == kWarmUp) {
                start = ProcessMicroseconds();
            }
            if (play != nullptr) {
                if (g_pModel->GetState() != play) {
                    ready = false;
                    break;
                }
                PinPlay(play, frame);
            } else if (scene == Scene::Menu) {
                MovePointer(frame);
            } else if (scene == Scene::DemoB) {
                PinBalls();
            }
            game.Frame();
            FinishFrame();
        }
        if (ready) {
            result.microsecondsPerFrame = (ProcessMicroseconds() - start) / frames;
        } else {
            std::fprintf(stderr, "the scene could not be reached\n");
        }
        result.peakKilobytes = PeakKilobytes();
    }
    platform::SetPromptHook(nullptr);
    return reports == 0 ? result : Result{};
}

}  // namespace floor_bench
