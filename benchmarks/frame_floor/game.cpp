// The game's side: the real C_Game, its frame limiter and its screens, on
// the same offscreen window and renderer as the bare program. The play scene
// is pinned before every frame (running, gravity under way, both score lists
// showing) so that every timed frame draws the same.
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
#include "platform/prompt.h"
#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"
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

// Running, in the gravity phase after a clear, both lists half faded.
void PinPlay(C_PlayScreen* screen) {
    const PlayNumbers n;
    C_GameBoard& board = *screen->round->board;
    screen->round->mode = MODE_RUNNING;
    screen->round->chain = n.chain;
    screen->round->shownChain = n.chain;
    screen->round->cycleFade = n.listFade;
    screen->round->pipeFade = n.listFade;
    screen->infoFade = 0;
    screen->pausedFade = 0;
    board.moving = 1;
    board.piping = 0;
    board.destroying = 0;
    board.level = n.level;
    board.score = n.score;
    board.rowsCleared = n.rowsCleared;
    board.pipeTotal = n.pipeTotal;
    board.bestPipe = n.bestPipe;
    board.bestCycle = n.bestCycle;
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
                PinPlay(play);
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
