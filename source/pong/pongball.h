#pragma once

#include <memory>

#include "core/hresult.h"
#include "model/gameobject.h"

class C_Sprite;
class C_Wave;

// The Pong ball: served from the centre, it spins, speeds up at every paddle
// hit, and shows its fast frame with a trail from a horizontal speed of 7.
class C_PongBall : public C_GameObject {
public:
    C_PongBall();
    ~C_PongBall() override;

    HRESULT Update() override;
    HRESULT Render() override;
    // Walls turn it vertically; paddles send it back faster, with some of
    // their own speed and spin. Every touch plays the bounce.
    void OnCollide(C_GameObject* other) override;

    // At rest in the middle of the 800 x 600 field, normal frame, no spin.
    void ResetToCentre();
    // Three draws of rand(): speed 3 or 4, direction, vertical speed -3..2.
    void Serve();

    float GetSpin() const { return spin; }
    void SetSpin(float radiansPerUpdate) { spin = radiansPerUpdate; }
    C_Sprite* GetSprite() const { return sprite.get(); }
    C_Wave* GetBounceSound() const { return bounceSound.get(); }

private:
    std::unique_ptr<C_Sprite> sprite;
    std::unique_ptr<C_Wave> bounceSound;
    float spin = 0.0f;
};
