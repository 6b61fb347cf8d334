#include "demos/ball.h"

#include <cstdlib>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "model/model.h"
#include "view/font.h"
#include "view/sprite.h"

int g_iBallCount = 0;

namespace {

constexpr float kSpinPerSpeed = 1.5f;
constexpr float kBallRebound = -0.99f;
constexpr float kBounce = -0.25f;
constexpr float kStackKick = 10.0f;
constexpr float kWallFriction = 0.95f;
constexpr uint32_t kNameColour = 0xFFFFFFFF;

}  // namespace

C_Ball::C_Ball() {
    sprite = std::make_unique<C_Sprite>("ball-4-4-1.png");
    name = IntToString(g_iBallCount);
    ++g_iBallCount;
    width = sprite->GetFrameWidth();
    height = sprite->GetFrameHeight();
    velocity = {static_cast<float>(std::rand() % 11 - 5), 0.0f};
    typeId = OBJECT_BALL;
}

C_Ball::~C_Ball() {
    --g_iBallCount;
}

HRESULT C_Ball::Update() {
    velocity.x += acceleration.x;
    velocity.y += acceleration.y;
    position.x += velocity.x;
    position.y += velocity.y;
    if (velocity.x != 0.0f) {
        rotationCentre = GetCentre();
        rotation = velocity.x * kSpinPerSpeed;
    }
    return S_OK;
}

HRESULT C_Ball::Render() {
    sprite->Draw(position, rotationCentre, rotation, scale, colour);
    if (!g_pConsole->IsTestOn()) {
        C_Font* font = g_pModel->GetFont();
        font->SetColour(kNameColour);
        font->DrawText(name, static_cast<int>(position.x), static_cast<int>(position.y), 0);
    }
    return S_OK;
}

void C_Ball::OnCollide(C_GameObject* other) {
    switch (other->GetType()) {
        case OBJECT_BALL: {
            position.x -= velocity.x;
            position.y -= velocity.y;
            const float otherY = other->GetPosition().y;
            // The vertical test measures with the widths: the balls are round.
            const bool overlapping =
                position.y + static_cast<float>(GetScaledWidth()) > otherY &&
                position.y < otherY + static_cast<float>(other->GetScaledWidth());
            if (overlapping && position.y < otherY) {
                position.y = otherY - static_cast<float>(GetScaledHeight() + 1);
                velocity.y *= kStackKick;
                sprite->NextFrame();
            }
            velocity.x *= kBallRebound;
            velocity.y *= kBounce;
            if (g_pConsole->IsTestOn()) {
                sprite->NextFrame();
            }
            break;
        }
        case OBJECT_WALL:
            position.y -= velocity.y;
            position.y = other->GetPosition().y - static_cast<float>(GetScaledHeight());
            velocity.x *= kWallFriction;
            velocity.y *= kBounce;
            break;
        default:
            g_pConsole->AddLine("Object of unknown type collided with " + name);
            break;
    }
}
