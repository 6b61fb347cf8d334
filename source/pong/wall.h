#pragma once

#include "core/hresult.h"
#include "model/gameobject.h"

// An invisible bar 800 wide and 10 high that balls and paddles bounce off.
class C_Wall : public C_GameObject {
public:
    C_Wall(float x, float y);

    HRESULT Update() override { return 0; }
    HRESULT Render() override { return 0; }
    void OnCollide(C_GameObject* other) override { (void)other; }
};
