#include "pong/pongball.h"

#include <cmath>
#include <cstdlib>

#include "audio/wave.h"
#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "view/sprite.h"

namespace {

constexpr float kFieldMiddleX = 400.0f;
constexpr float kFieldMiddleY = 300.0f;
// Three degrees of spin per unit of horizontal speed.
constexpr float kSpinPerSpeed = 0.05235988f;
constexpr float kVerticalLimit = 5.0f;
constexpr float kVerticalDecay = 1.1f;
constexpr float kSpeedUp = 0.2f;
constexpr float kFastSpeed = 7.0f;
constexpr int kNormalFrame = 0;
constexpr int kFastFrame = 1;
constexpr int kBounceVolume = 100;

struct TrailImage {
    float steps;  // how many moves behind the ball
    uint32_t colour;
};
constexpr TrailImage kTrail[] = {{3.0f, 0x19FF0000}, {2.0f, 0x32FF6464}, {1.0f, 0x64FF6464}};

}  // namespace

C_PongBall::C_PongBall() {
    sprite = std::make_unique<C_Sprite>("pongball-2-2-1.png");
    width = sprite->GetFrameWidth();
    height = sprite->GetFrameHeight();
    bounceSound = std::make_unique<C_Wave>("pongbounce.wav", 1);
    if (!bounceSound->Load()) {
        DXError("pongball", __LINE__, 0, "pongbounce.wav failed to load!");
    }
    typeId = OBJECT_PONGBALL;
    name = "Pong Ball";
    ResetToCentre();
}

C_PongBall::~C_PongBall() = default;

void C_PongBall::ResetToCentre() {
    const Vector2 c = GetCentre();
    SetPosition(kFieldMiddleX - c.x, kFieldMiddleY - c.y);
    SetVelocity(0.0f, 0.0f);
    spin = 0.0f;
    sprite->SetFrame(kNormalFrame);
}

void C_PongBall::Serve() {
    velocity.x = static_cast<float>(3 + std::rand() % 2);
    if (std::rand() % 2 == 0) {
        velocity.x = -velocity.x;
    }
    velocity.y = static_cast<float>(std::rand() % 6 - 3);
    spin = -velocity.x * kSpinPerSpeed;
}

HRESULT C_PongBall::Update() {
    position.x += velocity.x;
    position.y += velocity.y;
    rotationCentre = GetCentre();
    rotation += spin;
    if (std::fabs(velocity.y) > kVerticalLimit) {
        velocity.y /= kVerticalDecay;
    }
    return 0;
}

HRESULT C_PongBall::Render() {
    if (std::fabs(velocity.x) >= kFastSpeed) {
        sprite->SetFrame(kFastFrame);
        for (const TrailImage& image : kTrail) {
            const Vector2 at{position.x - image.steps * velocity.x,
                             position.y - image.steps * velocity.y};
            sprite->Draw(at, rotationCentre, rotation, scale, image.colour);
        }
    }
    sprite->Draw(position, rotationCentre, rotation, scale, colour);
    return 0;
}

void C_PongBall::OnCollide(C_GameObject* other) {
    switch (other->GetType()) {
        case OBJECT_WALL:
            velocity.y = -velocity.y;
            break;
        case OBJECT_PADDLE: {
            const float paddleSpeed = other->GetVelocity().y;
            const float r = static_cast<float>(-(std::rand() % 2));
            spin += r * paddleSpeed / 10.0f;
            velocity.x = -velocity.x;
            velocity.y += paddleSpeed / 3.0f;
            if (velocity.x < 0.0f) {
                velocity.x -= kSpeedUp;
            } else {
                velocity.x += kSpeedUp;
            }
            break;
        }
        default:
            g_pConsole->AddLine("Object of unknown type collided with " + name);
            break;
    }
    bounceSound->Play(kBounceVolume);
}
