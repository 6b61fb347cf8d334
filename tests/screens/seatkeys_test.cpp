#include "screens/seatkeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/keycodes.h"
#include "support/screentest.h"

namespace {

// Each seat read from the real controller, fed pushed keys frame by frame at
// game times the test chooses; the menu underneath ignores the game keys.
class SeatKeysTest : public ScreenTest {
protected:
    // Holds exactly `keys` down through the next controller update.
    void Hold(std::set<SDL_Scancode> keys) {
        for (const SDL_Scancode key : held) {
            if (keys.count(key) == 0) {
                PushKey(key, false);
            }
        }
        for (const SDL_Scancode key : keys) {
            if (held.count(key) == 0) {
                PushKey(key, true);
            }
        }
        held = std::move(keys);
        ASSERT_TRUE(DrainEvents());
        g_pController->Update();
    }

    static std::vector<RoundCommand> Steer(C_SeatKeys& seat, float time, int shape = 0) {
        std::vector<RoundCommand> given;
        seat.Steer(*g_pController, time, shape, [&](RoundCommand c) { given.push_back(c); });
        return given;
    }

    void Repeating(int seat, int delayMs, int intervalMs) {
        ownSettings.SetMoveRepeat(seat, {true, delayMs, intervalMs});
    }

    std::set<SDL_Scancode> held;
};

// Left and right act at the press and repeat after the delay, every
// interval, in game time however the frames fall; a turn acts once; the drop
// at the press and every interval; a frame of many seconds catches up at most
// a second's worth at the fastest interval; time the round was idle does not
// count.
TEST_F(SeatKeysTest, HeldKeysRepeatOnTheGameClock) {
    struct Case {
        const char* name;
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
        {"1 s at 60 fps", SDL_SCANCODE_LEFT, 170, 50, 1.0f / 60, 1.0f, COMMAND_LEFT, 1 + 17},
        {"quarter-second frames", SDL_SCANCODE_RIGHT, 170, 50, 0.25f, 1.0f, COMMAND_RIGHT, 1 + 17},
        {"one frame of 1 s", SDL_SCANCODE_LEFT, 170, 50, 1.0f, 1.0f, COMMAND_LEFT, 1 + 17},
        {"one frame of 10 s", SDL_SCANCODE_LEFT, 170, 50, 10.0f, 10.0f, COMMAND_LEFT,
         1 + 1000 / C_Settings::kMinRepeatInterval},
        {"slower settings", SDL_SCANCODE_RIGHT, 300, 100, 1.0f / 60, 1.0f, COMMAND_RIGHT, 1 + 8},
        {"a turn", SDL_SCANCODE_Z, 170, 50, 1.0f / 60, 1.0f, COMMAND_TURN_COUNTER_CLOCKWISE, 1},
        {"the drop", SDL_SCANCODE_DOWN, 170, 50, 1.0f / 60, 1.0f, COMMAND_DROP_STEP, 1 + 20},
        {"through 5 s idle", SDL_SCANCODE_LEFT, 170, 50, 1.0f / 60, 1.0f, COMMAND_LEFT, 1 + 17,
         5.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Repeating(0, c.delayMs, c.intervalMs);
        C_SeatKeys seat(ownSettings, 0);
        const float start = 100.0f;
        std::vector<RoundCommand> given;
        const int frames = static_cast<int>(c.heldFor / c.frame + 0.5f);
        for (int frame = 0; frame <= frames; ++frame) {
            Hold({c.key});
            float time = start + static_cast<float>(frame) * c.frame;
            if (c.idleFor > 0.0f && frame > frames / 2) {
                if (frame == frames / 2 + 1) {
                    seat.Idle(time);
                }
                time += c.idleFor;
            }
            for (const RoundCommand command : Steer(seat, time)) {
                given.push_back(command);
            }
        }
        Hold({});
        EXPECT_TRUE(Steer(seat, start + c.heldFor + c.idleFor + 1.0f).empty());
        EXPECT_EQ(static_cast<int>(given.size()), c.given);
        EXPECT_EQ(std::count(given.begin(), given.end(), c.command), c.given);
    }
}

// A drop held when its shape lands gives the next shape nothing until it is
// pressed again.
TEST_F(SeatKeysTest, AHeldDropStopsAtTheNextShape) {
    Repeating(0, 170, 50);
    C_SeatKeys seat(ownSettings, 0);
    Hold({SDL_SCANCODE_DOWN});
    EXPECT_EQ(Steer(seat, 1.0f, 7).size(), 1u);
    EXPECT_EQ(Steer(seat, 1.1f, 7).size(), 2u);
    EXPECT_TRUE(Steer(seat, 1.2f, 8).empty());
    EXPECT_TRUE(Steer(seat, 2.0f, 8).empty());
    Hold({});
    EXPECT_TRUE(Steer(seat, 2.1f, 8).empty());
    Hold({SDL_SCANCODE_DOWN});
    EXPECT_EQ(Steer(seat, 2.2f, 8), std::vector<RoundCommand>{COMMAND_DROP_STEP});
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
        std::vector<RoundCommand> firstGave;
        std::vector<RoundCommand> secondGave;
        auto frame = [&](float time) {
            for (const RoundCommand c : Steer(first, time)) {
                firstGave.push_back(c);
            }
            for (const RoundCommand c : Steer(second, time)) {
                secondGave.push_back(c);
            }
        };
        // Player 1: right, Z, the d-pad's down; player 2: A, W, S; and the keypad's 7.
        PushPadButton(1, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        Hold({SDL_SCANCODE_RIGHT, SDL_SCANCODE_Z, SDL_SCANCODE_A, SDL_SCANCODE_W, SDL_SCANCODE_S,
              SDL_SCANCODE_KP_7});
        frame(1.0f);
        PushPadButton(1, SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
        Hold({});
        frame(1.02f);
        Hold({});
        frame(1.04f);
        std::sort(firstGave.begin(), firstGave.end());
        std::sort(secondGave.begin(), secondGave.end());
        EXPECT_EQ(firstGave,
                  (std::vector<RoundCommand>{COMMAND_RIGHT, COMMAND_TURN_COUNTER_CLOCKWISE,
                                             COMMAND_TURN_COUNTER_CLOCKWISE, COMMAND_DROP_STEP}));
        EXPECT_EQ(secondGave, (std::vector<RoundCommand>{COMMAND_LEFT, COMMAND_TURN_CLOCKWISE,
                                                         COMMAND_DROP_STEP}));

        // The pad handed to the second seat drives it alone.
        first.ReadPadWith(nullptr);
        second.ReadPadWith(
            [](const C_Controller& input, int button) { return input.GetPadButtonState(button); });
        firstGave.clear();
        secondGave.clear();
        PushPadButton(1, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        PushPadButton(1, SDL_CONTROLLER_BUTTON_START, true);
        Hold({});
        frame(2.0f);
        EXPECT_TRUE(second.ActionIs(*g_pController, GameAction::Start, KEY_HELD));
        EXPECT_FALSE(first.ActionIs(*g_pController, GameAction::Start, KEY_HELD));
        PushPadButton(1, SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
        PushPadButton(1, SDL_CONTROLLER_BUTTON_START, false);
        Hold({});
        EXPECT_TRUE(firstGave.empty());
        EXPECT_EQ(secondGave, std::vector<RoundCommand>{COMMAND_DROP_STEP});
    }
}

}  // namespace
