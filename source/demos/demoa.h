#pragma once

#include <memory>

#include "model/gamestate.h"
#include "model/vector2.h"

class C_Sprite;

// Image formats and alpha blending: a box the arrows move, fading in and out
// every ten seconds, beside one picture as a 24-bit BMP, a 24-bit PNG and a
// 32-bit PNG. F2 goes to demo B, Escape to the menu.
class C_DemoA : public C_GameState {
public:
    // Restarts game time, so the first fade begins with the demo.
    C_DemoA();
    ~C_DemoA() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    int GetBoxAlpha() const { return boxAlpha; }
    Vector2 GetBoxPosition() const { return boxPosition; }
    C_Sprite* GetBox() const { return box.get(); }

private:
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Sprite> box;
    std::unique_ptr<C_Sprite> bitmap;
    std::unique_ptr<C_Sprite> png24;
    std::unique_ptr<C_Sprite> png32;
    Vector2 boxPosition{300.0f, 200.0f};
    Vector2 boxRotationCentre{0.0f, 0.0f};
    Vector2 boxScale{1.0f, 1.0f};
    int boxAlpha = 255;
};
