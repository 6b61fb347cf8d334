#pragma once

#include <memory>

#include "core/hresult.h"
#include "model/gameobject.h"

class C_Sprite;

// How many balls are alive; a new ball is named after it.
extern int g_iBallCount;

// A numbered ball that falls, spins with its sideways speed, bounces off
// walls and settles on top of other balls.
class C_Ball : public C_GameObject {
public:
    // Named with the count of live balls; a random sideways speed -5..5.
    C_Ball();
    ~C_Ball() override;

    HRESULT Update() override;
    HRESULT Render() override;
    void OnCollide(C_GameObject* other) override;

    C_Sprite* GetSprite() const { return sprite.get(); }
    Vector2 GetAcceleration() const { return acceleration; }

private:
    std::unique_ptr<C_Sprite> sprite;
    Vector2 acceleration{0.0f, 1.0f};
};
