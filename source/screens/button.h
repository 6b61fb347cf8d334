#pragma once

#include <memory>
#include <string>

#include "core/hresult.h"
#include "model/gameobject.h"

class C_Controller;
class C_Sprite;

// What GetState reports: the left button held over the button, the pointer
// elsewhere (or over it with the button up), and a release over it: a click.
constexpr int BUTTON_HELD = 0;
constexpr int BUTTON_UP = 1;
constexpr int BUTTON_CLICKED = 2;

// A clickable picture of three frames stacked in one column: idle, hover,
// pressed. Its screen updates it once a frame, then reads GetState.
class C_Button : public C_GameObject {
public:
    // The image's frame size becomes the button's size; `input`'s pointer
    // works it.
    C_Button(std::string imageName, const C_Controller& input);
    ~C_Button() override;

    // Follows the pointer: sets the state and picks the frame. Returns 0.
    HRESULT Update() override;
    // Draws the frame the last Update picked. Returns 0.
    HRESULT Render() override;

    int GetState() const { return state; }
    // Lasts only until the next Update recomputes it.
    void SetState(int value) { state = value; }
    C_Sprite* GetSprite() const { return sprite.get(); }

private:
    std::unique_ptr<C_Sprite> sprite;
    const C_Controller& input;
    int state = BUTTON_UP;
};
