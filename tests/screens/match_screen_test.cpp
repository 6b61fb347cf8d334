// A match against the computer on the real screens: what the player hears,
// how the result is answered, the pause, and the keys panel.
#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "audio/mp3.h"
#include "audio/wave.h"
#include "core/keycodes.h"
#include "model/model.h"
#include "platform/audio.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "screens/gamesounds.h"
#include "screens/keyhints.h"
#include "screens/matchscreen.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "screens/versusscreen.h"
#include "store/settings.h"
#include "support/puzzleboard.h"
#include "support/screentest.h"
#include "versus/match.h"
#include "versus/matchagainstcomputer.h"

namespace {

// Enough frames for anything here at 75 a second; a wait ends at its
// condition long before.
constexpr int kFrameLimit = 75 * 120;

class MatchScreenTest : public ScreenTest {
protected:
    // The versus screen, then a match against the medium computer.
    C_MatchScreen* StartMatch() {
        EXPECT_TRUE(Tap(SDL_SCANCODE_F7));
        EXPECT_NE(Screen<C_VersusScreen>(), nullptr);
        EXPECT_TRUE(g_pModel->GetMenuTune()->GetMusic()->IsPlaying());
        EXPECT_TRUE(Tap(SDL_SCANCODE_2));
        return Screen<C_MatchScreen>();
    }

    bool Until(const std::function<bool()>& done) {
        for (int frame = 0; frame < kFrameLimit && !done(); ++frame) {
            if (!RunFrames(1)) {
                return false;
            }
        }
        return done();
    }

    // The match the computer plays in.
    static C_Match& Game(C_MatchScreen* screen) {
        return dynamic_cast<C_MatchAgainstComputer&>(*screen->match).match;
    }

    static int Plays(const C_MatchScreen& screen, GameSound sound) {
        return screen.sounds->GetWave(sound)->GetBuffer()->PlayCount();
    }

    // The screen's match topped out on the computer's side: rows enough to
    // fill its well, pushed in at its next landing.
    bool ToTheResult(C_MatchScreen* screen) {
        for (int row = 0; row < kBoardRows; ++row) {
            Game(screen).Round(SIDE_OPPONENT).Receive(static_cast<uint64_t>(row) + 1);
        }
        // A frame more: the result's keys are read from the frame after it.
        return Until([&] { return Game(screen).Over(); }) && RunFrames(1);
    }
};

TEST_F(MatchScreenTest, ThePlayersRoundSoundsAsAGameDoesAndTheComputersIsQuiet) {
    C_MatchScreen* screen = StartMatch();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(g_pModel->GetPlayTune()->GetMusic()->IsPlaying());
    C_Round& player = Game(screen).Round(SIDE_PLAYER);
    C_Round& computer = Game(screen).Round(SIDE_OPPONENT);
    const GameSound heard[] = {GAME_SOUND_MOVE, GAME_SOUND_TURN, GAME_SOUND_LAND, GAME_SOUND_SENT,
                               GAME_SOUND_ARRIVED};
    std::vector<int> before;
    for (const GameSound sound : heard) {
        before.push_back(Plays(*screen, sound));
    }
    // The computer moves, turns and lands its shapes while the player's round
    // is held: not a sound of it.
    player.Command(COMMAND_PAUSE);
    ASSERT_TRUE(Until([&] { return computer.cascadeNumber >= 3; }));
    for (size_t n = 0; n < before.size(); ++n) {
        EXPECT_EQ(Plays(*screen, heard[n]), before[n]) << "sound " << n;
    }

    // The player's move, turn and landing.
    computer.Command(COMMAND_PAUSE);
    player.Command(COMMAND_START);
    EXPECT_TRUE(Tap(SDL_SCANCODE_LEFT) && RunFrames(1));
    EXPECT_TRUE(Tap(SDL_SCANCODE_X) && RunFrames(1));
    ASSERT_TRUE(Until([&] { return player.cascadeNumber > 1; }));
    EXPECT_GT(Plays(*screen, GAME_SOUND_MOVE), before[0]);
    EXPECT_GT(Plays(*screen, GAME_SOUND_TURN), before[1]);
    EXPECT_GT(Plays(*screen, GAME_SOUND_LAND), before[2]);

    // A cascade of two flows sends a row, and a row received is pushed in at
    // the next landing: each with its sound.
    ASSERT_EQ(Game(screen).Incoming(SIDE_PLAYER), 0);
    Lay(*player.board, {
                           "RL .  .  .  .  .  .  .  .  .  .  .",
                           ".  RL RL RL RL RL RL RL RL RL RL RL",
                           "RL RL RL RL RL RL RL RL RL RL RL RL",
                       });
    GiveFlatI(player);
    PushKey(SDL_SCANCODE_DOWN, true);
    ASSERT_TRUE(Until([&] { return Game(screen).rowsSent[SIDE_PLAYER] > 0; }));
    EXPECT_EQ(Plays(*screen, GAME_SOUND_SENT), before[3] + 1);
    EXPECT_EQ(Plays(*screen, GAME_SOUND_ARRIVED), before[4]);
    player.Receive(7);
    ASSERT_TRUE(Until([&] { return player.rowsPushedIn > 0; }));
    PushKey(SDL_SCANCODE_DOWN, false);
    EXPECT_EQ(Plays(*screen, GAME_SOUND_ARRIVED), before[4] + 1);
}

TEST_F(MatchScreenTest, EnterOrThePadsConfirmPlaysAgainAndEscOrThePadsBackGoesBack) {
    struct Case {
        const char* name;
        std::function<void(bool down)> press;
        bool again;
    };
    const Case cases[] = {
        {"Enter", [](bool down) { PushKey(SDL_SCANCODE_RETURN, down); }, true},
        {"pad A", [](bool down) { PushPadButton(1, SDL_CONTROLLER_BUTTON_A, down); }, true},
        {"Esc", [](bool down) { PushKey(SDL_SCANCODE_ESCAPE, down); }, false},
        {"pad Back", [](bool down) { PushPadButton(1, SDL_CONTROLLER_BUTTON_BACK, down); }, false},
        {"pad B", [](bool down) { PushPadButton(1, SDL_CONTROLLER_BUTTON_B, down); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C_MatchScreen* screen = StartMatch();
        ASSERT_NE(screen, nullptr);
        ASSERT_TRUE(ToTheResult(screen));
        EXPECT_EQ(Game(screen).winner, SIDE_PLAYER);
        EXPECT_EQ(screen->Note(), "ENTER: play again   ESC: back");
        c.press(true);
        ASSERT_TRUE(RunFrames(1));
        c.press(false);
        ASSERT_TRUE(RunFrames(2));
        if (c.again) {
            C_MatchScreen* next = Screen<C_MatchScreen>();
            ASSERT_NE(next, nullptr);
            EXPECT_FALSE(next->match->Over());
            ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
        }
        ASSERT_NE(Screen<C_Menu>(), nullptr);
    }
}

TEST_F(MatchScreenTest, ThePauseKeyHoldsBothWellsAndTheMatchClockUntilPressedAgain) {
    C_MatchScreen* screen = StartMatch();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(Until([&] { return Game(screen).Time() > 1.0f; }));
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    ASSERT_TRUE(screen->paused);
    const float time = Game(screen).Time();
    const int rows[] = {Game(screen).Round(SIDE_PLAYER).currentShape->GetRow(),
                        Game(screen).Round(SIDE_OPPONENT).cascadeNumber};
    ASSERT_TRUE(RunFrames(300));
    EXPECT_EQ(Game(screen).Time(), time);
    EXPECT_EQ(Game(screen).Round(SIDE_PLAYER).currentShape->GetRow(), rows[0]);
    EXPECT_EQ(Game(screen).Round(SIDE_OPPONENT).cascadeNumber, rows[1]);

    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    EXPECT_FALSE(screen->paused);
    EXPECT_TRUE(
        Until([&] { return Game(screen).Round(SIDE_PLAYER).currentShape->GetRow() > rows[0]; }));
    // Held time is no match time: the clock goes on from where it stood.
    EXPECT_LT(Game(screen).Time(), time + 1.0f);
}

TEST_F(MatchScreenTest, TheKeysPanelsNameTheKeysAsBound) {
    g_pModel->GetSettings()->SetKey(GameAction::RotateClockwise, DIK_C);
    g_pModel->GetSettings()->SetKey(GameAction::Pause, DIK_O);
    const KeyHint rotate = {"Z C", "rotate"};
    const KeyHint pause = {"O", "pause"};
    auto has = [](const C_KeyPanel& panel, const KeyHint& hint) {
        for (const KeyHint& line : panel.Hints()) {
            if (line.keys == hint.keys && line.what == hint.what) {
                return true;
            }
        }
        return false;
    };
    C_MatchScreen* match = StartMatch();
    ASSERT_NE(match, nullptr);
    EXPECT_TRUE(has(*match->keyPanel, rotate));
    EXPECT_TRUE(has(*match->keyPanel, pause));
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE) && Tap(SDL_SCANCODE_F4));
    const C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_TRUE(has(*play->keyPanel, rotate));
    EXPECT_TRUE(has(*play->keyPanel, pause));
}

TEST_F(MatchScreenTest, TheDefaultKeysFitTheirPanelsUncut) {
    auto uncut = [](const C_KeyPanel& panel) {
        const std::vector<KeyHint> shown = panel.Shown();
        for (size_t line = 0; line < shown.size(); ++line) {
            EXPECT_EQ(shown[line].keys, panel.Hints()[line].keys);
            EXPECT_EQ(shown[line].what, panel.Hints()[line].what);
        }
    };
    C_MatchScreen* match = StartMatch();
    ASSERT_NE(match, nullptr);
    uncut(*match->keyPanel);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE) && Tap(SDL_SCANCODE_F4));
    const C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    uncut(*play->keyPanel);
}

}  // namespace
