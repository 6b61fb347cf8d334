#include "demos/demob.h"

#include <cstdlib>

#include "audio/mp3.h"
#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "demos/ball.h"
#include "input/controller.h"
#include "model/model.h"
#include "pong/wall.h"
#include "view/sprite.h"

namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr int kDropHeight = 500;
constexpr int kDropWidth = 800;

}  // namespace

C_DemoB::C_DemoB() {
    floor = std::make_unique<C_Wall>(0.0f, 599.0f);
    AddObject(floor.get());
    background = std::make_unique<C_Sprite>("demob_background.png");
    music = std::make_unique<C_Mp3>("night_pipes.mp3");
    musicPending = 1;
}

C_DemoB::~C_DemoB() {
    objectList.clear();
    ballList.clear();
    floor.reset();
    background.reset();
    music->Stop();
    music.reset();
}

void C_DemoB::HandleInput() {
    if (g_pController->IsKeyReleased(DIK_ESCAPE)) {
        g_pModel->SetNextState(STATE_MENU);
    }
    if (g_pController->IsKeyReleased(DIK_F1)) {
        g_pModel->SetNextState(STATE_DEMO_A);
    }
}

void C_DemoB::Update() {
    if (g_pController->IsKeyHeld(DIK_UP)) {
        auto ball = std::make_unique<C_Ball>();
        const int y = std::rand() % kDropHeight;
        const int x = std::rand() % kDropWidth;
        ball->SetPosition(static_cast<float>(x), static_cast<float>(y));
        AddObject(ball.get());
        ballList.push_back(std::move(ball));
        if (musicPending == 1) {
            music->Play();
            musicPending = 0;
        }
    }
    if (g_pController->IsKeyHeld(DIK_DOWN) && !ballList.empty()) {
        // The list goes first so the ball is deleted whatever the outcome.
        std::unique_ptr<C_Ball> oldest = std::move(ballList.front());
        ballList.pop_front();
        result = RemoveObject(oldest.get());
        if (result < 0) {
            g_pConsole->AddLine(oldest->GetName() + " not found in gameObjectList.");
        }
    }
    for (C_GameObject* object : objectList) {
        result = object->Update();
        if (result < 0) {
            DXError("demob", __LINE__, result, "Could not Update object  " + object->GetName());
        }
    }
    CheckCollisions();
}

void C_DemoB::Render() {
    background->Draw({0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f}, kOpaqueWhite);
    for (C_GameObject* object : objectList) {
        result = object->Render();
        if (result < 0) {
            DXError("demob", __LINE__, result, "Could not render object  " + object->GetName());
        }
    }
}
