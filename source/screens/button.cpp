#include "screens/button.h"

#include <utility>

#include "input/controller.h"
#include "view/sprite.h"

namespace {

constexpr int kIdleFrame = 0;
constexpr int kHoverFrame = 1;
constexpr int kPressedFrame = 2;
constexpr int kLeftButton = 0;

}  // namespace

C_Button::C_Button(std::string imageName, const C_Controller& pointer)
    : sprite(std::make_unique<C_Sprite>(std::move(imageName))), input(pointer) {
    width = sprite->GetFrameWidth();
    height = sprite->GetFrameHeight();
}

C_Button::~C_Button() = default;

HRESULT C_Button::Update() {
    if (input.IsMouseOver(this)) {
        state = input.GetMouseButtonState(kLeftButton);
        sprite->SetFrame(state == BUTTON_UP ? kHoverFrame : kPressedFrame);
    } else {
        state = BUTTON_UP;
        sprite->SetFrame(kIdleFrame);
    }
    return 0;
}

HRESULT C_Button::Render() {
    sprite->Draw(position, rotationCentre, rotation, scale, colour);
    return 0;
}
