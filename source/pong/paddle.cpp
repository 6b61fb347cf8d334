#include "pong/paddle.h"

#include <cmath>

#include "core/globals.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "view/sprite.h"

namespace {

constexpr float kPlayerAcceleration = 0.25f;
constexpr float kComputerAcceleration = 0.3f;
constexpr float kDamping = 0.95f;

}  // namespace

C_Paddle::C_Paddle(float x, float y) {
    sprite = std::make_unique<C_Sprite>("paddle.png");
    width = sprite->GetFrameWidth();
    height = sprite->GetFrameHeight();
    SetPosition(x, y);
    SetVelocity(0.0f, 0.0f);
    typeId = OBJECT_PADDLE;
    name = "Pong Paddle";
}

C_Paddle::~C_Paddle() = default;

HRESULT C_Paddle::Update() {
    const float top = static_cast<float>(kPaddleTopSpeed);
    if (target != nullptr && std::fabs(velocity.y) < top) {
        const float chase = target->GetPosition().y + target->GetCentre().y;
        if (chase < position.y) {
            velocity.y -= kComputerAcceleration;
        } else if (chase > position.y + GetCentre().y) {
            velocity.y += kComputerAcceleration;
        }
    } else {
        const int mouseDeltaY = g_pController->GetMouseDeltaY();
        if (g_pController->IsKeyHeld(DIK_DOWN) && velocity.y < top) {
            velocity.y += kPlayerAcceleration;
        } else if (g_pController->IsKeyHeld(DIK_UP) && velocity.y > -top) {
            velocity.y -= kPlayerAcceleration;
        } else if (mouseDeltaY > 0 && velocity.y < top) {
            velocity.y += kPlayerAcceleration;
        } else if (mouseDeltaY < 0 && velocity.y > -top) {
            velocity.y -= kPlayerAcceleration;
        }
    }
    velocity.y *= kDamping;
    position.x += velocity.x;
    position.y += velocity.y;
    return 0;
}

HRESULT C_Paddle::Render() {
    // A failed draw is reported by the sprite itself.
    sprite->Draw(position, rotationCentre, rotation, scale, colour);
    return 0;
}

void C_Paddle::OnCollide(C_GameObject* other) {
    if (other->GetType() == OBJECT_WALL) {
        position.y -= velocity.y;
        velocity.y = 0.0f;
    }
}
