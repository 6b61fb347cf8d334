#include "platform/events.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "input/controller.h"
#include "support/framework.h"
#include "support/sdlinput.h"

namespace {

void PushPadAxis(SDL_JoystickID pad, SDL_GameControllerAxis axis, int value) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERAXISMOTION;
    event.caxis.which = pad;
    event.caxis.axis = static_cast<Uint8>(axis);
    event.caxis.value = static_cast<Sint16>(value);
    SDL_PushEvent(&event);
}

void PushPadRemoved(SDL_JoystickID pad) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERDEVICEREMOVED;
    event.cdevice.which = pad;
    SDL_PushEvent(&event);
}

// Game controller events through the real loop, read back as key states.
class GamepadTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        StartGame();
        ASSERT_TRUE(RunFrames(1));
    }

    int Key(int code) const { return g_pController->GetKeyState(code); }
};

using WindowEventTest = FrameworkTest;

// Whatever loses the window's picture asks for it to be shown again.
TEST_F(WindowEventTest, ALostPictureIsAnExpose) {
    StartGame();
    ASSERT_TRUE(DrainEvents());
    SDL_Event lost{};
    lost.type = SDL_WINDOWEVENT;
    for (const Uint8 window : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SIZE_CHANGED}) {
        lost.window.event = window;
        SDL_PushEvent(&lost);
    }
    lost = SDL_Event{};
    for (const Uint32 reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
        lost.type = reset;
        SDL_PushEvent(&lost);
    }
    platform::Event event;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(platform::PollEvent(&event)) << i;
        EXPECT_EQ(event.type, platform::EventType::Expose) << i;
    }
}

TEST_F(GamepadTest, ButtonsHoldAndReleaseTheKeysTheyStandFor) {
    const std::pair<SDL_GameControllerButton, int> cases[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, DIK_UP},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, DIK_DOWN},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, DIK_LEFT},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, DIK_RIGHT},
        {SDL_CONTROLLER_BUTTON_A, DIK_X},
        {SDL_CONTROLLER_BUTTON_B, DIK_Z},
        {SDL_CONTROLLER_BUTTON_START, DIK_SPACE},
        {SDL_CONTROLLER_BUTTON_BACK, DIK_ESCAPE},
    };
    // Unmapped buttons are no key at all.
    PushPadButton(1, SDL_CONTROLLER_BUTTON_Y, true);
    ASSERT_TRUE(RunFrames(1));
    for (const auto& [button, key] : cases) {
        EXPECT_EQ(Key(key), 1);
    }
    for (const auto& [button, key] : cases) {
        SCOPED_TRACE(SDL_GameControllerGetStringForButton(button));
        PushPadButton(1, button, true);
        ASSERT_TRUE(RunFrames(2));
        EXPECT_EQ(Key(key), 0);
        PushPadButton(1, button, false);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(Key(key), 2);
        // Back, last, is Escape to the menu: the run ends.
        EXPECT_EQ(RunFrames(1), key != DIK_ESCAPE);
    }
}

TEST_F(GamepadTest, TheLeftStickPressesAnArrowOncePerPushPastTheDeadZone) {
    // Inside the dead zone nothing happens.
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTX, 12000);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_RIGHT), 1);
    // Held past it, wavering, the arrow stays down: one press, no repeats.
    for (int value : {20000, 32767, 14000, 24000, 10000}) {
        PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTX, value);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(Key(DIK_RIGHT), 0) << value;
    }
    // Swung straight across: one arrow lets go as the other goes down.
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_RIGHT), 2);
    EXPECT_EQ(Key(DIK_LEFT), 0);
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTX, 0);
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTY, -30000);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_LEFT), 2);
    EXPECT_EQ(Key(DIK_UP), 0);
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTY, 30000);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_UP), 2);
    EXPECT_EQ(Key(DIK_DOWN), 0);
    // The right stick is no arrow.
    PushPadAxis(1, SDL_CONTROLLER_AXIS_RIGHTX, 30000);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_RIGHT), 1);
}

TEST_F(GamepadTest, AControllerUnpluggedLetsGoOfItsKeysButNotAnothers) {
    PushPadButton(1, SDL_CONTROLLER_BUTTON_A, true);
    PushPadButton(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTY, 30000);
    PushPadButton(2, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    ASSERT_TRUE(RunFrames(1));
    ASSERT_EQ(Key(DIK_X), 0);
    ASSERT_EQ(Key(DIK_DOWN), 0);
    ASSERT_EQ(Key(DIK_LEFT), 0);
    PushPadRemoved(1);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_X), 2);
    EXPECT_EQ(Key(DIK_DOWN), 2);
    EXPECT_EQ(Key(DIK_LEFT), 0);
    PushPadRemoved(2);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_LEFT), 2);
}

// Players at one machine each read a controller of their own: every
// controller's buttons alone, beside all of them together.
TEST_F(GamepadTest, EachControllerIsReadOnItsOwnAndAllTogether) {
    const C_Controller& input = *g_pController;
    auto own = [&](int pad, int button) { return input.GetPadButtonState(pad, button); };
    PushPadButton(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    PushPadButton(2, SDL_CONTROLLER_BUTTON_A, true);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(input.Pads(), (std::vector<int>{1, 2}));
    EXPECT_EQ(own(1, PAD_DPAD_LEFT), 0);
    EXPECT_EQ(own(1, PAD_A), 1);
    EXPECT_EQ(own(2, PAD_A), 0);
    EXPECT_EQ(own(2, PAD_DPAD_LEFT), 1);
    EXPECT_EQ(own(3, PAD_A), 1) << "a controller never seen";
    EXPECT_EQ(own(kNoPad, PAD_A), 1);
    EXPECT_EQ(own(kEveryPad, PAD_A), 0);
    EXPECT_TRUE(input.PadHeld(1) && input.PadHeld(2));
    // The d-pad let go while the stick still holds the arrow: still down.
    PushPadButton(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(own(1, PAD_DPAD_LEFT), 0);
    PushPadAxis(1, SDL_CONTROLLER_AXIS_LEFTX, 0);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(own(1, PAD_DPAD_LEFT), 2);
    EXPECT_EQ(input.GetPadButtonState(PAD_DPAD_LEFT), 2);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_FALSE(input.PadHeld(1));
    // Another controller's A holds every controller's A down.
    PushPadButton(1, SDL_CONTROLLER_BUTTON_A, true);
    PushPadButton(1, SDL_CONTROLLER_BUTTON_A, false);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(own(1, PAD_A), 1);
    EXPECT_EQ(input.GetPadButtonState(PAD_A), 0);
    PushPadRemoved(2);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_FALSE(input.PadPlugged(2));
    EXPECT_TRUE(input.PadPlugged(1));
    EXPECT_EQ(input.Pads(), (std::vector<int>{1}));
    EXPECT_EQ(own(2, PAD_A), 2);
    EXPECT_EQ(input.GetPadButtonState(PAD_A), 2);
}

// A controller SDL itself knows, attached while the game runs: it is opened,
// its button is a key, and detaching it lets go.
TEST_F(GamepadTest, AControllerPluggedInDuringTheRunPlays) {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Controllers start once the first frame is shown.
    ASSERT_TRUE(RunFrames(2));
    const int index = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    ASSERT_TRUE(RunFrames(1));
    SDL_GameController* pad =
        SDL_GameControllerFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
    ASSERT_NE(pad, nullptr) << "the game did not open the controller";
    SDL_Joystick* joystick = SDL_GameControllerGetJoystick(pad);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 1);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(Key(DIK_Z), 0);
    SDL_JoystickDetachVirtual(index);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_Z), 2);
    SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
}

}  // namespace
