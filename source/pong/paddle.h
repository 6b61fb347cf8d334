#pragma once

#include <memory>

#include "core/hresult.h"
#include "model/gameobject.h"

class C_Sprite;

// The fastest a paddle moves up or down, in pixels per update.
constexpr int kPaddleTopSpeed = 8;

// A Pong paddle. Without a target the arrow keys and the mouse push it; with
// one it chases the target's middle, and hands over to the keys and the
// mouse for an update whenever it is at top speed.
class C_Paddle : public C_GameObject {
public:
    C_Paddle(float x, float y);
    ~C_Paddle() override;

    HRESULT Update() override;
    HRESULT Render() override;
    // A wall undoes the last move and stops the paddle.
    void OnCollide(C_GameObject* other) override;

    void SetTarget(C_GameObject* newTarget) { target = newTarget; }
    C_GameObject* GetTarget() const { return target; }

private:
    std::unique_ptr<C_Sprite> sprite;
    C_GameObject* target = nullptr;
};
