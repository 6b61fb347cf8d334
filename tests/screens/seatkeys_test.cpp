#include "screens/seatkeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/keycodes.h"
#include "support/screentest.h"

namespace {

using Commands = std::vector<RoundCommand>;

// Seats read from the real controller, fed pushed keys frame by frame at
// game times the test chooses; the menu underneath ignores the game keys.
class SeatKeysTest : public ScreenTest {
protected:
    // Exactly `keys` down (and `pad`, the d-pad's down and Start, or not)
    // through the next controller update.
    void Hold(const std::set<SDL_Scancode>& keys, bool pad = false) {
        for (const SDL_Scancode key : held) {
            if (keys.count(key) == 0) {
                PushKey(key, false);
            }
        }
        for (const SDL_Scancode key : keys) {
            PushKey(key, true);
        }
        for (const auto button : {SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_START}) {
            PushPadButton(1, button, pad);
        }
        held = keys;
        ASSERT_TRUE(DrainEvents());
        g_pController->Update();
    }

    // What `seat` gives this frame, added to `given` sorted.
    static void Steer(C_SeatKeys& seat, float time, Commands* given, int shape = 0) {
        seat.Steer(*g_pController, time, shape, [&](RoundCommand c) { given->push_back(c); });
        std::sort(given->begin(), given->end());
    }

    std::set<SDL_Scancode> held;
};

// Left and right act at the press and repeat after the delay, every
// interval, in game time however the frames fall; a turn acts once; the drop
// at the press and every interval; a frame of many seconds catches up at most
// a second's worth at the fastest interval; idle time does not count.
TEST_F(SeatKeysTest, HeldKeysRepeatOnTheGameClock) {
    struct Case {
        SDL_Scancode key;
        int delayMs;
        int intervalMs;
        float frame;
        float heldFor;
        RoundCommand command;
        int given;
        float idleFor = 0.0f;
    };
    const Case cases[] = {
        {SDL_SCANCODE_LEFT, 170, 50, 1.0f / 60, 1.0f, COMMAND_LEFT, 1 + 17},
        {SDL_SCANCODE_RIGHT, 170, 50, 0.25f, 1.0f, COMMAND_RIGHT, 1 + 17},
        {SDL_SCANCODE_LEFT, 170, 50, 1.0f, 1.0f, COMMAND_LEFT, 1 + 17},
        {SDL_SCANCODE_LEFT, 170, 50, 10.0f, 10.0f, COMMAND_LEFT,
         1 + 1000 / C_Settings::kMinRepeatInterval},
        {SDL_SCANCODE_RIGHT, 300, 100, 1.0f / 60, 1.0f, COMMAND_RIGHT, 1 + 8},
        {SDL_SCANCODE_Z, 170, 50, 1.0f / 60, 1.0f, COMMAND_TURN_COUNTER_CLOCKWISE, 1},
        {SDL_SCANCODE_DOWN, 170, 50, 1.0f / 60, 1.0f, COMMAND_DROP_STEP, 1 + 20},
        {SDL_SCANCODE_LEFT, 170, 50, 1.0f / 60, 1.0f, COMMAND_LEFT, 1 + 17, 5.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key << " every " << c.frame << " s");
        ownSettings.SetMoveRepeat(0, {true, c.delayMs, c.intervalMs});
        C_SeatKeys seat(ownSettings, 0);
        const float start = 100.0f;
        Commands given;
        const int frames = static_cast<int>(c.heldFor / c.frame + 0.5f);
        for (int frame = 0; frame <= frames; ++frame) {
            float time = start + static_cast<float>(frame) * c.frame;
            if (frame == frames / 2 + 1 && c.idleFor > 0.0f) {
                seat.Idle(time);
            }
            Hold({c.key});
            Steer(seat, frame > frames / 2 ? time + c.idleFor : time, &given);
        }
        Hold({});
        Steer(seat, start + c.heldFor + c.idleFor + 1.0f, &given);
        EXPECT_EQ(given, Commands(static_cast<size_t>(c.given), c.command));
    }
}

// A drop held when its shape lands gives the next shape nothing until it is
// pressed again.
TEST_F(SeatKeysTest, AHeldDropStopsAtTheNextShape) {
    ownSettings.SetMoveRepeat(0, {true, 170, 50});
    C_SeatKeys seat(ownSettings, 0);
    Commands given;
    Hold({SDL_SCANCODE_DOWN});
    Steer(seat, 1.0f, &given, 7);
    Steer(seat, 1.1f, &given, 7);
    EXPECT_EQ(given.size(), 3u);
    Steer(seat, 1.2f, &given, 8);
    Steer(seat, 2.0f, &given, 8);
    Hold({});
    Steer(seat, 2.1f, &given, 8);
    EXPECT_EQ(given.size(), 3u);
    Hold({SDL_SCANCODE_DOWN});
    Steer(seat, 2.2f, &given, 8);
    EXPECT_EQ(given, Commands(4, COMMAND_DROP_STEP));
}

// Both players' keys held at once, in either mode: each seat gives only its
// own player's commands, and the second seat never reads a key the first
// reads, even one a file gave it. The controller's buttons are the first
// seat's until a screen hands a seat its own pad.
TEST_F(SeatKeysTest, EachSeatAnswersOnlyToItsOwnKeys) {
    ownSettings.SetKey(GameAction::RotateCounterClockwise, DIK_NUMPAD7, 1);
    for (const bool repeating : {false, true}) {
        SCOPED_TRACE(repeating);
        for (int seat = 0; seat < kSeats; ++seat) {
            ownSettings.SetMoveRepeat(seat, {repeating, 170, 50});
        }
        C_SeatKeys first(ownSettings, 0);
        C_SeatKeys second(ownSettings, 1);
        Commands firstGave;
        Commands secondGave;
        // Player 1: Right, Z, the pad; player 2: A, W, S; the keypad's 7.
        Hold({SDL_SCANCODE_RIGHT, SDL_SCANCODE_Z, SDL_SCANCODE_A, SDL_SCANCODE_W, SDL_SCANCODE_S,
              SDL_SCANCODE_KP_7},
             true);
        for (const float time : {1.0f, 1.02f, 1.04f}) {
            Steer(first, time, &firstGave);
            Steer(second, time, &secondGave);
            Hold({});
        }
        EXPECT_EQ(firstGave, (Commands{COMMAND_RIGHT, COMMAND_TURN_COUNTER_CLOCKWISE,
                                       COMMAND_TURN_COUNTER_CLOCKWISE, COMMAND_DROP_STEP}));
        EXPECT_EQ(secondGave, (Commands{COMMAND_LEFT, COMMAND_TURN_CLOCKWISE, COMMAND_DROP_STEP}));

        first.ReadPadWith(nullptr);
        second.ReadPadWith(
            [](const C_Controller& input, int button) { return input.GetPadButtonState(button); });
        firstGave.clear();
        secondGave.clear();
        Hold({}, true);
        Steer(first, 2.0f, &firstGave);
        Steer(second, 2.0f, &secondGave);
        EXPECT_EQ(firstGave, Commands{});
        EXPECT_EQ(secondGave, Commands{COMMAND_DROP_STEP});
        EXPECT_TRUE(second.ActionIs(*g_pController, GameAction::Start, KEY_HELD));
        EXPECT_FALSE(first.ActionIs(*g_pController, GameAction::Start, KEY_HELD));
        Hold({});
    }
}

}  // namespace
