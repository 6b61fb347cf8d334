// Two players at one machine on the real screens: each player's keys and
// controller steer their own shape and never the other's, pressed at once
// through the real input path; a controller claims a free seat with its
// first press, and one unplugged pauses the match.
#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/events.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "puzzle/well.h"
#include "screens/button.h"
#include "screens/gamesounds.h"
#include "screens/keyhints.h"
#include "screens/matchscreen.h"
#include "screens/versusscreen.h"
#include "support/puzzleboard.h"
#include "support/screentest.h"
#include "support/sessionrecorder.h"
#include "versus/matchtwoplayers.h"

namespace {

// The scancode the platform reads as `key`, whichever key a seat binds.
SDL_Scancode ScancodeOf(int key) {
    for (int code = 0; code < SDL_NUM_SCANCODES; ++code) {
        if (platform::KeyCodeForScancode(code) == key) {
            return static_cast<SDL_Scancode>(code);
        }
    }
    ADD_FAILURE() << "no scancode for key " << key;
    return SDL_SCANCODE_UNKNOWN;
}

// Where a shape stands and how it is turned, leaving out how far it fell.
struct Stance {
    int column;
    std::vector<int> box;

    explicit Stance(const WellShape& shape) : column(shape.column) {
        for (int i = 0; i < kBoxSize; ++i) {
            for (int j = 0; j < kBoxSize; ++j) {
                const WellCell* piece = shape.At(i, j);
                box.push_back(piece != nullptr ? piece->GetFrame() : -1);
            }
        }
    }
    bool operator==(const Stance& other) const {
        return column == other.column && box == other.box;
    }
};

// `shape` after `action`, or as it was for none.
Stance After(WellShape shape, std::optional<GameAction> action) {
    if (action == GameAction::MoveLeft) {
        shape.column -= 1;
    } else if (action == GameAction::MoveRight) {
        shape.column += 1;
    } else if (action == GameAction::RotateClockwise) {
        shape = Turned(shape, true);
    } else if (action == GameAction::RotateCounterClockwise) {
        shape = Turned(shape, false);
    }
    return Stance(shape);
}

class TwoPlayersTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        OwnNetworkAndSettings();
        // The versus screen's button (its key is the other match tests').
        ASSERT_TRUE(Tap(SDL_SCANCODE_F7));
        const C_VersusScreen* versus = Screen<C_VersusScreen>();
        ASSERT_NE(versus, nullptr);
        const C_Button* button = versus->GetTwoPlayersButton();
        ASSERT_NE(button, nullptr);
        ClickAt(static_cast<int>(button->GetPosition().x) + button->GetScaledWidth() / 2,
                static_cast<int>(button->GetPosition().y) + button->GetScaledHeight() / 2);
        screen = Screen<C_MatchScreen>();
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->seats.size(), 2u);
        // Both shapes fall into the well before they are steered.
        ASSERT_TRUE(WaitFor([&] {
            return RunFrames(1) && Shape(0) != nullptr && Shape(0)->GetRow() >= 1 &&
                   Shape(1) != nullptr && Shape(1)->GetRow() >= 1;
        }));
    }

    C_Round& Round(int seat) const { return screen->match->SeatRound(seat); }
    const C_Tetromino* Shape(int seat) const { return Round(seat).currentShape.get(); }
    SDL_Scancode KeyOf(int seat, GameAction action) const {
        return ScancodeOf(ownSettings.GetKey(action, seat));
    }

    // Each seat's `press` held down in the same frames and let go together,
    // then the frame a move acts in; each seat's shape must stand as its own
    // press alone would leave it.
    void PressTogether(const std::function<void(int seat, bool down)>& press,
                       const std::optional<GameAction> (&actions)[2]) {
        const WellShape before[2] = {Shape(0)->Shape(), Shape(1)->Shape()};
        const int shapes[2] = {Round(0).cascadeNumber, Round(1).cascadeNumber};
        for (const bool down : {true, false}) {
            for (int seat = 0; seat < 2; ++seat) {
                if (actions[seat]) {
                    press(seat, down);
                }
            }
            ASSERT_TRUE(RunFrames(3));
        }
        for (int seat = 0; seat < 2; ++seat) {
            SCOPED_TRACE("seat " + std::to_string(seat));
            ASSERT_EQ(Round(seat).cascadeNumber, shapes[seat]) << "the shape landed meanwhile";
            EXPECT_TRUE(Stance(Shape(seat)->Shape()) == After(before[seat], actions[seat]));
        }
    }

    // The first player's well topped out: rows enough pushed in at its next
    // landing, brought on by its drops. True once the result's keys are read.
    bool FirstLoses() {
        C_Round& first = Round(0);
        for (int row = 0; row < kBoardRows; ++row) {
            first.Receive(static_cast<uint64_t>(row) + 1);
        }
        return WaitFor([&] {
                   first.Command(COMMAND_DROP_STEP);
                   return RunFrames(1) && screen->match->Over();
               }) &&
               RunFrames(1);
    }

    C_MatchScreen* screen = nullptr;
};

using Presses = std::optional<GameAction>[2];
constexpr std::optional<GameAction> kNone;

// The pairs of presses: both players at once, each way round, and each alone.
const std::vector<std::pair<std::optional<GameAction>, std::optional<GameAction>>> kPairs = {
    {GameAction::MoveLeft, GameAction::MoveRight},
    {GameAction::MoveRight, GameAction::MoveLeft},
    {GameAction::RotateClockwise, GameAction::RotateCounterClockwise},
    {GameAction::RotateCounterClockwise, GameAction::RotateClockwise},
    {GameAction::MoveLeft, kNone},
    {kNone, GameAction::MoveRight},
    {GameAction::RotateClockwise, kNone},
    {kNone, GameAction::RotateCounterClockwise},
};

TEST_F(TwoPlayersTest, EachPlayersKeysSteerTheirOwnShapeAndNeverTheOthers) {
    for (const auto& [first, second] : kPairs) {
        const Presses presses = {first, second};
        PressTogether([&](int seat, bool down) { PushKey(KeyOf(seat, *presses[seat]), down); },
                      presses);
    }
    // A drop held by one player brings only that player's shape down.
    for (int seat = 0; seat < 2; ++seat) {
        SCOPED_TRACE("drop of seat " + std::to_string(seat));
        const int other = 1 - seat;
        const int rows[2] = {Shape(0)->GetRow(), Shape(1)->GetRow()};
        PushKey(KeyOf(seat, GameAction::Drop), true);
        ASSERT_TRUE(RunFrames(6));
        PushKey(KeyOf(seat, GameAction::Drop), false);
        ASSERT_TRUE(RunFrames(1));
        EXPECT_GE(Shape(seat)->GetRow() - rows[seat], 3);
        EXPECT_LE(Shape(other)->GetRow() - rows[other], 1);
    }
}

TEST_F(TwoPlayersTest, BothPlayersRoundsAreHeard) {
    const int moves = screen->sounds->GetWave(GAME_SOUND_MOVE)->GetBuffer()->PlayCount();
    const int turns = screen->sounds->GetWave(GAME_SOUND_TURN)->GetBuffer()->PlayCount();
    ASSERT_TRUE(Tap(KeyOf(1, GameAction::MoveRight)) && RunFrames(1));
    ASSERT_TRUE(Tap(KeyOf(1, GameAction::RotateClockwise)) && RunFrames(1));
    EXPECT_EQ(screen->sounds->GetWave(GAME_SOUND_MOVE)->GetBuffer()->PlayCount(), moves + 1);
    EXPECT_EQ(screen->sounds->GetWave(GAME_SOUND_TURN)->GetBuffer()->PlayCount(), turns + 1);
    // A cascade of two flows in the second well sends a row, with its sound.
    const int sent = screen->sounds->GetWave(GAME_SOUND_SENT)->GetBuffer()->PlayCount();
    C_Round& second = Round(1);
    Lay(*second.board, {
                           "RL .  .  .  .  .  .  .  .  .  .  .",
                           ".  RL RL RL RL RL RL RL RL RL RL RL",
                           "RL RL RL RL RL RL RL RL RL RL RL RL",
                       });
    GiveFlatI(second);
    PushKey(KeyOf(1, GameAction::Drop), true);
    ASSERT_TRUE(WaitFor([&] { return RunFrames(1) && screen->match->RowsSent() > 0; }));
    PushKey(KeyOf(1, GameAction::Drop), false);
    EXPECT_EQ(screen->sounds->GetWave(GAME_SOUND_SENT)->GetBuffer()->PlayCount(), sent + 1);
}

TEST_F(TwoPlayersTest, EitherPlayersKeysAnswerTheResult) {
    ASSERT_TRUE(FirstLoses());
    EXPECT_EQ(screen->match->Winner(), SIDE_OPPONENT);
    EXPECT_EQ(screen->Note(1),
              ShownKeyName(ownSettings.GetKey(GameAction::Start, 1)) + ": play again   " +
                  ShownKeyName(ownSettings.GetKey(GameAction::Menu, 1)) + ": back");
    // The second player's start key plays again, between two players.
    ASSERT_TRUE(Tap(KeyOf(1, GameAction::Start)) && RunFrames(1));
    screen = Screen<C_MatchScreen>();
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(screen->match->Over());
    EXPECT_EQ(screen->match->LocalSeats(), 2);
    // Its menu key goes back.
    ASSERT_TRUE(FirstLoses());
    ASSERT_TRUE(Tap(KeyOf(1, GameAction::Menu)) && RunFrames(1));
    EXPECT_EQ(Screen<C_MatchScreen>(), nullptr);
}

TEST_F(TwoPlayersTest, AControllersFirstPressClaimsAFreeSeatWhichItAloneSteers) {
    constexpr SDL_JoystickID kFirst = 4;
    constexpr SDL_JoystickID kSecond = 7;
    auto tapPad = [&](SDL_JoystickID pad, SDL_GameControllerButton button) {
        PushPadButton(pad, button, true);
        ASSERT_TRUE(RunFrames(1));
        PushPadButton(pad, button, false);
        ASSERT_TRUE(RunFrames(2));
    };
    EXPECT_EQ(screen->Device(0), "KEYBOARD");
    EXPECT_EQ(screen->Device(1), "KEYBOARD");
    // A button bound to nothing claims as well as any.
    tapPad(kFirst, SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(screen->Device(0), "PAD 5");
    EXPECT_EQ(screen->Device(1), "KEYBOARD");
    tapPad(kFirst, SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(screen->Device(1), "KEYBOARD") << "a controller claims one seat";
    tapPad(kSecond, SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(screen->Device(1), "PAD 8");

    const SDL_JoystickID pads[2] = {kFirst, kSecond};
    auto buttonOf = [](GameAction action) {
        switch (action) {
            case GameAction::MoveLeft:
                return SDL_CONTROLLER_BUTTON_DPAD_LEFT;
            case GameAction::MoveRight:
                return SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
            case GameAction::RotateClockwise:
                return SDL_CONTROLLER_BUTTON_A;
            default:
                return SDL_CONTROLLER_BUTTON_B;
        }
    };
    for (const auto& [first, second] : kPairs) {
        const Presses presses = {first, second};
        PressTogether(
            [&](int seat, bool down) { PushPadButton(pads[seat], buttonOf(*presses[seat]), down); },
            presses);
    }
    // The keyboard still steers a seat a controller claimed.
    const Presses keys = {GameAction::MoveRight, kNone};
    PressTogether([&](int seat, bool down) { PushKey(KeyOf(seat, *keys[seat]), down); }, keys);

    // Unplugged, the second controller pauses the match and the screen says
    // so; the seat is the keyboard's until another controller claims it.
    SDL_Event removed{};
    removed.type = SDL_CONTROLLERDEVICEREMOVED;
    removed.cdevice.which = kSecond;
    SDL_PushEvent(&removed);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_TRUE(screen->paused);
    EXPECT_EQ(screen->Note(1), "PAD 8 unplugged: paused");
    EXPECT_EQ(screen->Note(0), "");
    EXPECT_EQ(screen->Device(1), "KEYBOARD");
    ASSERT_TRUE(Tap(KeyOf(1, GameAction::Start)));
    EXPECT_FALSE(screen->paused);
    EXPECT_EQ(screen->Note(1), "");
    tapPad(kFirst, SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(screen->Device(1), "KEYBOARD");
}

}  // namespace
