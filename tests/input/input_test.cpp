#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "core/keycodes.h"
#include "input/controller.h"
#include "model/gameobject.h"
#include "platform/events.h"
#include "support/framework.h"
#include "support/sdlinput.h"

namespace {

class InputTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        StartGame();
        ASSERT_TRUE(RunFrames(1));
        ASSERT_TRUE(Prompts().reports.empty());
    }

    int Key(int code) const { return g_pController->GetKeyState(code); }
};

TEST_F(InputTest, AHeldKeyReadsDownThenReleasedOnceThenUp) {
    EXPECT_EQ(Key(DIK_A), 1);
    PushKey(SDL_SCANCODE_A, true);
    const int expected[] = {0, 0, 0};
    for (int state : expected) {
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(Key(DIK_A), state);
    }
    PushKey(SDL_SCANCODE_A, false);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_A), 2);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_A), 1);
    EXPECT_EQ(Key(DIK_B), 1);
}

TEST_F(InputTest, TheHeldAndReleasedQueriesFollowTheKeyState) {
    // Each step: the event pushed (none when `push` is false), then the reading.
    struct Step {
        bool push, down;
        int state;
        bool held, released;
    };
    const Step steps[] = {
        {true, true, KEY_HELD, true, false},       // goes down
        {false, false, KEY_HELD, true, false},     // stays down
        {true, false, KEY_RELEASED, false, true},  // let go
        {false, false, KEY_UP, false, false},      // stays up
    };
    int index = 0;
    for (const Step& step : steps) {
        if (step.push) {
            PushKey(SDL_SCANCODE_LEFT, step.down);
        }
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(Key(DIK_LEFT), step.state) << index;
        EXPECT_EQ(g_pController->IsKeyHeld(DIK_LEFT), step.held) << index;
        EXPECT_EQ(g_pController->IsKeyReleased(DIK_LEFT), step.released) << index;
        ++index;
    }
}

TEST_F(InputTest, APressAndReleaseWithinOneFrameIsNotSeenAsAPress) {
    PushKey(SDL_SCANCODE_SPACE, true);
    PushKey(SDL_SCANCODE_SPACE, false);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_SPACE), 1);

    // Down before the frame: the frame's tap reads as released.
    PushKey(SDL_SCANCODE_SPACE, true);
    ASSERT_TRUE(RunFrames(1));
    PushKey(SDL_SCANCODE_SPACE, false);
    PushKey(SDL_SCANCODE_SPACE, true);
    PushKey(SDL_SCANCODE_SPACE, false);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_SPACE), 2);
}

TEST_F(InputTest, MoreThanEightKeyEventsInOneFrameClearEveryKey) {
    PushKey(SDL_SCANCODE_UP, true);
    ASSERT_TRUE(RunFrames(1));
    ASSERT_EQ(Key(DIK_UP), 0);

    // Eight events fit: the four keys are down.
    const SDL_Scancode keys[] = {SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R};
    for (SDL_Scancode key : keys) {
        PushKey(key, true);
    }
    for (SDL_Scancode key : keys) {
        PushKey(key, false);
        PushKey(key, true);
    }
    ASSERT_TRUE(RunFrames(1));  // 12 events: overflow
    EXPECT_EQ(Key(DIK_UP), 1);
    EXPECT_EQ(Key(DIK_Q), 1);
    EXPECT_EQ(Key(DIK_R), 1);

    PushKey(SDL_SCANCODE_UP, true);
    for (SDL_Scancode key : {SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT}) {
        PushKey(key, true);
        PushKey(key, false);
        PushKey(key, true);
    }
    PushKey(SDL_SCANCODE_END, true);
    ASSERT_TRUE(RunFrames(1));  // exactly eight: read as usual
    EXPECT_EQ(Key(DIK_UP), 0);
    EXPECT_EQ(Key(DIK_LEFT), 0);
    EXPECT_EQ(Key(DIK_RIGHT), 0);
    EXPECT_EQ(Key(DIK_END), 0);

    for (int i = 0; i < 9; ++i) {
        PushKey(SDL_SCANCODE_DOWN, i % 2 == 0);
    }
    ASSERT_TRUE(RunFrames(1));  // nine: all keys clear, even the held ones
    EXPECT_EQ(Key(DIK_UP), 1);
    EXPECT_EQ(Key(DIK_LEFT), 1);
    EXPECT_EQ(Key(DIK_DOWN), 1);

    PushKey(SDL_SCANCODE_DOWN, true);
    ASSERT_TRUE(RunFrames(1));  // and the next frame reads normally again
    EXPECT_EQ(Key(DIK_DOWN), 0);
}

TEST_F(InputTest, AutoRepeatIsOnePressAndNoOverflow) {
    PushKey(SDL_SCANCODE_KP_4, true);
    for (int i = 0; i < 20; ++i) {
        PushKey(SDL_SCANCODE_KP_4, true, true);
    }
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_NUMPAD4), 0);
}

TEST_F(InputTest, LosingTheForegroundLetsNoKeyStayDown) {
    PushKey(SDL_SCANCODE_P, true);
    ASSERT_TRUE(RunFrames(1));
    ASSERT_EQ(Key(DIK_P), 0);
    // The release happens while another window has the keyboard.
    PushFocus(false);
    ASSERT_TRUE(DrainEvents());
    EXPECT_EQ(g_bActive, 0u);
    PushFocus(true);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_P), 1);
    PushKey(SDL_SCANCODE_P, true);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(Key(DIK_P), 0);
}

TEST_F(InputTest, WhileTheConsoleIsOpenEveryKeyIsItsOwnUntilLetGo) {
    // Each step: the events pushed, then after one frame whether the console
    // is open and what A, B and TAB read.
    struct Step {
        std::vector<std::pair<SDL_Scancode, bool>> keys;
        bool open;
        int a, b, tab;
    };
    const Step steps[] = {
        {{{SDL_SCANCODE_A, true}}, false, 0, 1, 1},
        {{{SDL_SCANCODE_TAB, true}}, true, 1, 1, 1},  // A held as the console opens
        {{{SDL_SCANCODE_TAB, false}, {SDL_SCANCODE_A, false}}, true, 1, 1, 1},
        {{{SDL_SCANCODE_B, true}, {SDL_SCANCODE_TAB, true}},
         false,
         1,
         1,
         1},  // B typed, then closed
        {{}, false, 1, 1, 1},
        {{{SDL_SCANCODE_TAB, false}, {SDL_SCANCODE_B, false}}, false, 1, 1, 1},
        {{{SDL_SCANCODE_B, true}}, false, 1, 0, 1},  // a fresh press is the game's again
        {{{SDL_SCANCODE_B, false}}, false, 1, 2, 1},
    };
    int index = 0;
    for (const Step& step : steps) {
        for (const auto& [key, down] : step.keys) {
            PushKey(key, down);
        }
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(g_pConsole->IsOpen(), step.open) << index;
        EXPECT_EQ(Key(DIK_A), step.a) << index;
        EXPECT_EQ(Key(DIK_B), step.b) << index;
        EXPECT_EQ(Key(DIK_TAB), step.tab) << index;
        ++index;
    }
}

TEST_F(InputTest, TypedTextAndEnterRunACommand) {
    PushKey(SDL_SCANCODE_TAB, true);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::string("fps").copy(text.text.text, 3);
    SDL_PushEvent(&text);
    PushKey(SDL_SCANCODE_KP_ENTER, true);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_TRUE(g_pConsole->IsFpsOn());
    EXPECT_EQ(g_pConsole->GetLines().front(), "> FPS Turned On");
    EXPECT_EQ(Key(DIK_NUMPADENTER), 1);  // the console's key, not the screen's
}

TEST(KeyCodes, TheWholeMainKeyboardAndKeypadHaveDistinctCodes) {
    struct Named {
        SDL_Scancode scancode;
        int code;
    };
    // Every key a screen reads, with DirectInput's numbers.
    const Named named[] = {
        {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_P, 0x19},      {SDL_SCANCODE_SPACE, 0x39},
        {SDL_SCANCODE_F1, 0x3B},     {SDL_SCANCODE_F2, 0x3C},     {SDL_SCANCODE_F4, 0x3E},
        {SDL_SCANCODE_KP_7, 0x47},   {SDL_SCANCODE_KP_9, 0x49},   {SDL_SCANCODE_KP_4, 0x4B},
        {SDL_SCANCODE_KP_5, 0x4C},   {SDL_SCANCODE_KP_6, 0x4D},   {SDL_SCANCODE_UP, 0xC8},
        {SDL_SCANCODE_LEFT, 0xCB},   {SDL_SCANCODE_RIGHT, 0xCD},  {SDL_SCANCODE_DOWN, 0xD0},
        {SDL_SCANCODE_A, 0x1E},      {SDL_SCANCODE_Z, 0x2C},      {SDL_SCANCODE_1, 0x02},
        {SDL_SCANCODE_0, 0x0B},      {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_KP_ENTER, 0x9C},
    };
    for (const Named& key : named) {
        EXPECT_EQ(platform::KeyCodeForScancode(key.scancode), key.code)
            << SDL_GetScancodeName(key.scancode);
    }

    // Letters through the keypad's full stop, the extra key by the left shift,
    // and the eight modifiers.
    std::set<int> seen;
    auto check = [&seen](int scancode) {
        const int code = platform::KeyCodeForScancode(scancode);
        EXPECT_GT(code, 0) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        EXPECT_LT(code, kKeyCodeCount);
        // The non-US hash key is the same physical key as the backslash.
        if (scancode != SDL_SCANCODE_NONUSHASH) {
            EXPECT_TRUE(seen.insert(code).second)
                << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)) << " repeats " << code;
        }
    };
    for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_NONUSBACKSLASH; ++scancode) {
        check(scancode);
    }
    for (int scancode = SDL_SCANCODE_LCTRL; scancode <= SDL_SCANCODE_RGUI; ++scancode) {
        check(scancode);
    }
    EXPECT_EQ(platform::KeyCodeForScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(platform::KeyCodeForScancode(-1), 0);
    EXPECT_EQ(platform::KeyCodeForScancode(SDL_NUM_SCANCODES), 0);
}

TEST_F(InputTest, RelativeMotionAccumulatesAndIsClampedToTheBackBufferInclusive) {
    MovePointerTo(10, 20);
    EXPECT_EQ(g_pController->GetMouseDeltaX(), 10);
    EXPECT_EQ(g_pController->GetMouseDeltaY(), 20);

    // Two movements in one frame: both count, the delta is the last one's.
    PushMotion(3, 0);
    PushMotion(4, -5);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseX(), 17);
    EXPECT_EQ(g_pController->GetMouseY(), 15);
    EXPECT_EQ(g_pController->GetMouseDeltaX(), 4);
    EXPECT_EQ(g_pController->GetMouseDeltaY(), -5);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseDeltaX(), 0);
    EXPECT_EQ(g_pController->GetMouseDeltaY(), 0);

    struct Case {
        int dx, dy, x, y;
    };
    const Case cases[] = {
        {5000, 5000, 713, 653},  // the far edges themselves are reachable
        {-1, -1, 712, 652},      // one back from them
        {1, 1, 713, 653},        // and onto them again
        {-800, 0, 0, 653},       // past the left edge
        {0, -9999, 0, 0},        // past the top
        {-1, -1, 0, 0},
    };
    for (const Case& c : cases) {
        PushMotion(c.dx, c.dy);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(g_pController->GetMouseX(), c.x) << c.dx << "," << c.dy;
        EXPECT_EQ(g_pController->GetMouseY(), c.y) << c.dx << "," << c.dy;
    }
}

TEST_F(InputTest, MouseOverflowKeepsTheEightEventsThatWereRead) {
    MovePointerTo(100, 100);
    // Each diagonal move is an X and a Y event: five give ten, two are lost.
    for (int i = 0; i < 5; ++i) {
        PushMotion(1, 1);
    }
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseX(), 104);
    EXPECT_EQ(g_pController->GetMouseY(), 104);
    PushMotion(1, 1);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseX(), 105);
}

TEST_F(InputTest, ButtonsAreLeftRightMiddleAndTheWheelIsZ) {
    struct Case {
        Uint8 sdlButton;
        int button;
    };
    const Case cases[] = {{SDL_BUTTON_LEFT, 0}, {SDL_BUTTON_RIGHT, 1}, {SDL_BUTTON_MIDDLE, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        PushButton(c.sdlButton, true);
        ASSERT_TRUE(RunFrames(1));
        for (int b = 0; b < 3; ++b) {
            EXPECT_EQ(g_pController->GetMouseButtonState(b), b == c.button ? 0 : 1);
        }
        PushButton(c.sdlButton, false);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(g_pController->GetMouseButtonState(c.button), 2);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_EQ(g_pController->GetMouseButtonState(c.button), 1);
    }
    // The side buttons reach no query.
    PushButton(SDL_BUTTON_X1, true);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseButtonState(3), 1);

    const int z = g_pController->GetMouseZ();
    PushWheel(1);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseZ(), z + 120);
    EXPECT_EQ(g_pController->GetMouseDeltaZ(), 120);
    PushWheel(-3);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseZ(), z - 240);  // z is not clamped
    EXPECT_EQ(g_pController->GetMouseDeltaZ(), -360);
}

// An object of a given box, for the pointer tests.
class Box : public C_GameObject {
public:
    Box(float x, float y, int w, int h) {
        SetPosition(x, y);
        width = w;
        height = h;
    }
};

TEST_F(InputTest, ThePointerIsOverTheLeftAndTopEdgesButNotTheRightAndBottom) {
    Box box(100.0f, 200.0f, 50, 40);
    struct Case {
        int x, y;
        bool over;
    };
    const Case cases[] = {
        {100, 200, true},  {149, 239, true}, {125, 220, true},  {150, 220, false},
        {125, 240, false}, {99, 220, false}, {125, 199, false}, {150, 240, false},
    };
    for (const Case& c : cases) {
        MovePointerTo(c.x, c.y);
        EXPECT_EQ(g_pController->IsMouseOver(&box), c.over) << c.x << "," << c.y;
    }
    box.SetScale(2.0f, 0.5f);  // the scaled size counts: 100 x 20
    MovePointerTo(199, 219);
    EXPECT_TRUE(g_pController->IsMouseOver(&box));
    MovePointerTo(200, 210);
    EXPECT_FALSE(g_pController->IsMouseOver(&box));
    MovePointerTo(150, 220);
    EXPECT_FALSE(g_pController->IsMouseOver(&box));
}

TEST_F(InputTest, TheMouseFlagPrintsPositionAndButtonsEveryFrame) {
    MovePointerTo(30, 40);
    g_pConsole->SetMouseOn(true);
    const size_t before = g_pConsole->GetLines().size();
    PushButton(SDL_BUTTON_LEFT, true);
    PushButton(SDL_BUTTON_MIDDLE, true);
    ASSERT_TRUE(RunFrames(1));
    auto lines = g_pConsole->GetLines();
    ASSERT_EQ(lines.size(), before + 2);
    EXPECT_EQ(lines.front(), "Left - D Right - U Middle - D");
    EXPECT_EQ(*std::next(lines.begin()), "X: 30  -  Y: 40");

    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(RunFrames(1));
    lines = g_pConsole->GetLines();
    ASSERT_EQ(lines.size(), before + 4);
    EXPECT_EQ(lines.front(), "Left - R Right - U Middle - D");

    // Every frame, even without input, until the flag goes off.
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(g_pConsole->GetLines().front(), "Left - U Right - U Middle - D");
    g_pConsole->SetMouseOn(false);
    const auto last = g_pConsole->GetLines();
    ASSERT_TRUE(RunFrames(2));
    EXPECT_EQ(g_pConsole->GetLines(), last);
}

TEST_F(InputTest, QueriesOutOfRangeReadAsUp) {
    EXPECT_EQ(Key(-1), 1);
    EXPECT_EQ(Key(256), 1);
    EXPECT_EQ(g_pController->GetMouseButtonState(-1), 1);
    EXPECT_EQ(g_pController->GetMouseButtonState(7), 1);
}

TEST(InputWithoutWindow, TheControllerReportsAndFramesStillRun) {
    Prompts().Install();
    C_Controller controller;
    EXPECT_EQ(controller.Init(), E_FAIL);
    EXPECT_TRUE(Prompts().Saw("CreateDevice() failed on controller."));
    EXPECT_EQ(controller.GetKeyState(DIK_ESCAPE), 1);
    EXPECT_EQ(controller.GetMouseX(), 0);

    C_Keyboard keyboard(false);
    EXPECT_TRUE(Prompts().Saw("p_DI == NULL. Was not initialized, or something like that."));
    EXPECT_EQ(keyboard.Update(), E_FAIL);
    EXPECT_TRUE(Prompts().Saw("p_DIKeyboard == NULL."));
    C_Mouse mouse(false);
    EXPECT_EQ(mouse.Update(), E_FAIL);
    EXPECT_TRUE(Prompts().Saw("p_DIMouse is NULL! It was not intialized."));
}

}  // namespace
