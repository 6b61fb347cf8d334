#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>

#include "audio/mp3.h"
#include "audio/wave.h"
#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "platform/audio.h"
#include "puzzle/piece.h"
#include "puzzle/tetromino.h"
#include "screens/gamesounds.h"
#include "screens/instructions.h"
#include "screens/keyhints.h"
#include "screens/menu.h"
#include "screens/playscreen.h"
#include "screens/replaywatch.h"
#include "screens/scorescreen.h"
#include "screens/settingsscreen.h"
#include "store/highscores.h"
#include "store/playername.h"
#include "store/settings.h"
#include "support/screentest.h"

namespace {

class SettingsAndScoresTest : public ScreenTest {
protected:
    C_Settings& Settings() { return *g_pModel->GetSettings(); }

    void ClickBox(const TextBox& box) { ClickAt(box.CentreX(), box.CentreY()); }

    // The pad button pressed for a frame, then let go for `after` frames.
    bool PressPadButton(SDL_GameControllerButton button, int after) {
        SDL_Event event{SDL_CONTROLLERBUTTONDOWN};
        event.cbutton.which = 1;
        event.cbutton.button = static_cast<Uint8>(button);
        SDL_PushEvent(&event);
        const bool ran = RunFrames(1);
        event.type = SDL_CONTROLLERBUTTONUP;
        SDL_PushEvent(&event);
        return ran && RunFrames(after);
    }

    // Typed text, as the keyboard sends it, in parts SDL can carry.
    void Type(const std::string& text) {
        SDL_Event typed{};
        typed.type = SDL_TEXTINPUT;
        for (size_t at = 0; at < text.size(); at += 20) {
            const std::string part = text.substr(at, 20);
            std::copy(part.begin(), part.end(), typed.text.text);
            typed.text.text[part.size()] = '\0';
            SDL_PushEvent(&typed);
        }
        EXPECT_TRUE(RunFrames(1));
    }

    // The table as a finished game with `score` opens it.
    C_ScoreScreen* OpenTableAfter(int score) {
        FinishedGame finished;
        finished.game = {"", score, 0, 1, 2, "2024-06-01", ""};
        g_pModel->SetFinishedGame(finished);
        g_pModel->SetNextState(STATE_SCORES);
        EXPECT_TRUE(RunFrames(1));
        return Screen<C_ScoreScreen>();
    }

    C_SettingsScreen* OpenSettings() {
        EXPECT_TRUE(Tap(SDL_SCANCODE_F9));
        return Screen<C_SettingsScreen>();
    }

    // A game from the menu, started, its fall held by the console's pause
    // while the keys still act.
    C_PlayScreen* StartHeldGame() {
        EXPECT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
        EXPECT_TRUE(Tap(SDL_SCANCODE_F4));
        C_PlayScreen* play = Screen<C_PlayScreen>();
        EXPECT_TRUE(play != nullptr && Tap(SDL_SCANCODE_SPACE));
        g_pConsole->SetPaused(true);
        return play;
    }

    // Each piece's pipe turn in the falling shape.
    static std::map<const WellCell*, int> Turns(const C_PlayScreen& play) {
        std::map<const WellCell*, int> turns;
        const C_Tetromino& shape = *play.round->currentShape;
        for (int i = 0; i < shape.GetBoxSize(); ++i) {
            for (int j = 0; j < shape.GetBoxSize(); ++j) {
                if (const WellCell* piece = shape.PieceInBox(i, j)) {
                    turns[piece] = piece->rotation;
                }
            }
        }
        return turns;
    }

    // A key (or, with `pad`, a button) whose press should turn the shape or not.
    struct Press {
        int input;
        bool turns;
        bool pad = false;
    };
    void ExpectTurns(std::initializer_list<Press> presses) {
        C_PlayScreen* play = StartHeldGame();
        ASSERT_NE(play, nullptr);
        for (const Press& press : presses) {
            const auto before = Turns(*play);
            EXPECT_TRUE(press.pad
                            ? PressPadButton(static_cast<SDL_GameControllerButton>(press.input), 2)
                            : Tap(static_cast<SDL_Scancode>(press.input)) && RunFrames(1));
            EXPECT_EQ(Turns(*play) != before, press.turns) << press.input;
        }
    }
};

TEST_F(SettingsAndScoresTest, ARemappedKeyAndButtonTurnTheShapeAndTheOldOnesNoLonger) {
    const auto rotateClockwise = static_cast<int>(GameAction::RotateClockwise);
    C_SettingsScreen* screen = OpenSettings();
    ASSERT_NE(screen, nullptr);
    // Taken keys are refused with a word why: another action's, a fixed one.
    for (const SDL_Scancode taken : {SDL_SCANCODE_Z, SDL_SCANCODE_KP_7}) {
        ClickBox(C_SettingsScreen::KeyBox(rotateClockwise));
        ASSERT_TRUE(screen->IsCapturing());
        ASSERT_TRUE(Tap(taken));
        EXPECT_NE(screen->GetMessage().find("already used: Rotate counter-clockwise"),
                  std::string::npos)
            << screen->GetMessage();
        EXPECT_EQ(Settings().GetKey(GameAction::RotateClockwise), DIK_X);
        ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));  // gives up waiting, stays here
        EXPECT_FALSE(screen->IsCapturing());
        ASSERT_EQ(Screen<C_SettingsScreen>(), screen);
    }
    ClickBox(C_SettingsScreen::KeyBox(rotateClockwise));
    ASSERT_TRUE(Tap(SDL_SCANCODE_C));
    EXPECT_EQ(Settings().GetKey(GameAction::RotateClockwise), DIK_C);
    EXPECT_TRUE(screen->GetMessage().empty());
    screen->StartCapture(GameAction::RotateClockwise, true);
    ASSERT_TRUE(PressPadButton(SDL_CONTROLLER_BUTTON_X, 1));
    EXPECT_EQ(Settings().GetPadButton(GameAction::RotateClockwise), PAD_X);

    // Saved at once: a fresh table reads the same.
    C_Settings reread([](const std::string&) {});
    reread.Load();
    EXPECT_EQ(reread.GetKey(GameAction::RotateClockwise), DIK_C);
    EXPECT_EQ(reread.GetPadButton(GameAction::RotateClockwise), PAD_X);

    // The keypad keeps its keys.
    ExpectTurns({{SDL_SCANCODE_C, true},
                 {SDL_SCANCODE_X, false},
                 {SDL_SCANCODE_KP_9, true},
                 {SDL_SCANCODE_UP, true},
                 {SDL_CONTROLLER_BUTTON_X, true, true},
                 {SDL_CONTROLLER_BUTTON_A, false, true}});

    // "Defaults" gives X and A back.
    g_pConsole->SetPaused(false);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    screen = OpenSettings();
    ASSERT_NE(screen, nullptr);
    screen->RestoreDefaults();
    ExpectTurns(
        {{SDL_SCANCODE_X, true}, {SDL_SCANCODE_C, false}, {SDL_CONTROLLER_BUTTON_A, true, true}});
}

// On player 2's page a key player 1 holds, bound or fixed, is refused with
// player 1's name, and the reverse; a free one binds player 2 alone. The
// moves' mode and repeats are the page's player's; once player 1's repeat,
// the play screen's panel and the instructions say so.
TEST_F(SettingsAndScoresTest, EachPlayersPageRefusesTheOthersKeysAndSetsItsOwnMoves) {
    const auto left = static_cast<int>(GameAction::MoveLeft);
    C_SettingsScreen* screen = OpenSettings();
    ASSERT_NE(screen, nullptr);
    auto refused = [&](SDL_Scancode key, const std::string& said) {
        ClickBox(C_SettingsScreen::KeyBox(left));
        ASSERT_TRUE(screen->IsCapturing() && Tap(key));
        EXPECT_NE(screen->GetMessage().find("already used: " + said), std::string::npos)
            << screen->GetMessage();
        ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    };
    ClickBox(C_SettingsScreen::PlayerBox(1));
    ASSERT_EQ(screen->GetSeat(), 1);
    refused(SDL_SCANCODE_LEFT, "Move left, player 1");
    refused(SDL_SCANCODE_KP_4, "Move left, player 1");
    refused(SDL_SCANCODE_D, "Move right, player 2");
    ClickBox(C_SettingsScreen::KeyBox(left));
    ASSERT_TRUE(Tap(SDL_SCANCODE_E));
    EXPECT_EQ(Settings().GetKey(GameAction::MoveLeft, 1), DIK_E);
    EXPECT_EQ(Settings().GetKey(GameAction::MoveLeft, 0), DIK_LEFT);
    ClickBox(C_SettingsScreen::MoveModeBox());
    ClickBox(C_SettingsScreen::RepeatUpBox(C_SettingsScreen::kRepeatDelayRow));
    for (int click = 0; click < 2; ++click) {
        ClickBox(C_SettingsScreen::RepeatDownBox(C_SettingsScreen::kRepeatIntervalRow));
    }
    EXPECT_EQ(Settings().GetMoveRepeat(1), (MoveRepeat{true, 180, 40}));
    EXPECT_EQ(Settings().GetMoveRepeat(0), MoveRepeat{});

    // The relay's address: a bad one is refused with a word and typed on,
    // Escape gives up, a good one is kept.
    ClickBox(C_SettingsScreen::RelayBox());
    ASSERT_TRUE(screen->IsTypingRelay());
    Type("no:way");
    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    EXPECT_NE(screen->GetMessage().find("Not a relay address: no:way"), std::string::npos)
        << screen->GetMessage();
    ASSERT_TRUE(screen->IsTypingRelay() && Tap(SDL_SCANCODE_ESCAPE));
    EXPECT_FALSE(screen->IsTypingRelay());
    EXPECT_EQ(Settings().GetRelay(), "");
    ASSERT_EQ(Screen<C_SettingsScreen>(), screen);
    ClickBox(C_SettingsScreen::RelayBox());
    Type("relay.example.org:4000");
    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    EXPECT_FALSE(screen->IsTypingRelay());
    EXPECT_EQ(Settings().GetRelay(), "relay.example.org:4000");

    ClickBox(C_SettingsScreen::PlayerBox(0));
    refused(SDL_SCANCODE_E, "Move left, player 2");
    ClickBox(C_SettingsScreen::MoveModeBox());
    EXPECT_TRUE(Settings().GetMoveRepeat(0).repeating);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE) && Tap(SDL_SCANCODE_F4));
    const C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    const std::vector<KeyHint> shown = play->keyPanel->Shown();
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const KeyHint& line) {
        return line.keys == kRepeatHint.keys && line.what == kRepeatHint.what;
    }));
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    g_pModel->SetNextState(STATE_INSTRUCTIONS);
    ASSERT_TRUE(RunFrames(1));
    const C_Instructions* instructions = Screen<C_Instructions>();
    ASSERT_NE(instructions, nullptr);
    EXPECT_FALSE(instructions->GetMovesLine().empty());
}

// Game over, the name, the table with the new line marked, then where the
// prompt pointed; table and name outlive the run.
TEST_F(SettingsAndScoresTest, AGameThatMakesTheTableAsksTheNameThenShowsItMarked) {
    C_HighScores& scores = *g_pModel->GetHighScores();
    scores.Insert({"Best", 500, 0, 9, 30, "2024-01-01", ""});
    outerLevel = 9;
    ASSERT_TRUE(Tap(SDL_SCANCODE_F4));
    C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    ASSERT_TRUE(Tap(SDL_SCANCODE_SPACE));
    PushKey(SDL_SCANCODE_KP_5, true);
    for (int frame = 0; frame < 20000 && play->round->mode != MODE_GAMEOVER; ++frame) {
        ASSERT_TRUE(RunFrames(1));
    }
    PushKey(SDL_SCANCODE_KP_5, false);
    ASSERT_EQ(play->round->mode, MODE_GAMEOVER);
    const int score = play->round->board->score;
    const int rows = play->round->board->rowsCleared;
    const std::string kept = play->replayName;
    ASSERT_LT(score, 500);
    ClickAt(167, 358);  // yes, play again

    C_ScoreScreen* table = Screen<C_ScoreScreen>();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->IsAskingName());
    EXPECT_EQ(table->GetTypedName(), DefaultPlayerName(""));
    // Backspace to nothing, then a name too long for the table.
    Type(std::string(40, '\b') + "Sixteen letters+cut");
    EXPECT_EQ(table->GetTypedName(), "Sixteen letters+");
    EXPECT_NE(table->GetPromptLine().find("the rest was cut"), std::string::npos);
    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    EXPECT_FALSE(table->IsAskingName());
    EXPECT_EQ(table->GetMarkedLine(), 1);
    ASSERT_EQ(Screen<C_ScoreScreen>(), table);  // the table stays until asked
    ASSERT_EQ(scores.GetEntries().size(), 2u);
    const HighScore& entered = scores.GetEntries()[1];
    EXPECT_EQ(
        std::tie(entered.name, entered.score, entered.startingLevel, entered.rows, entered.date),
        std::make_tuple(std::string("Sixteen letters+"), score, 9, rows, C_HighScores::Today()));
    EXPECT_EQ(entered.replay, kept);
    EXPECT_FALSE(kept.empty());

    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    ASSERT_NE(Screen<C_PlayScreen>(), nullptr);

    C_HighScores reread([](const std::string&) {});
    reread.Load();
    ASSERT_EQ(reread.GetEntries().size(), 2u);
    EXPECT_EQ(reread.GetEntries()[1].name, "Sixteen letters+");
    EXPECT_EQ(Settings().GetLastName(), "Sixteen letters+");
    // From the menu the table only shows; Escape goes back.
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_F8));
    table = Screen<C_ScoreScreen>();
    ASSERT_NE(table, nullptr);
    EXPECT_FALSE(table->IsAskingName());
    EXPECT_EQ(table->GetMarkedLine(), -1);
    // A click on the game's line watches its replay; Escape comes back.
    EXPECT_EQ(table->GetPromptLine(), "Click a game to watch its replay.");
    const TextBox line = C_ScoreScreen::LineBox(1);
    ClickAt((line.left + line.right) / 2, (line.top + line.bottom) / 2);
    C_PlayScreen* watching = Screen<C_PlayScreen>();
    ASSERT_NE(watching, nullptr);
    ASSERT_NE(watching->watch, nullptr) << watching->watchLine;
    EXPECT_EQ(watching->watch->Watched().sides[0].name, "Sixteen letters+")
        << "the replay shows the name typed for the table";
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_NE(Screen<C_ScoreScreen>(), nullptr);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    EXPECT_NE(Screen<C_Menu>(), nullptr);
}

// The first key typed replaces the name offered, which is the name the table
// last took; only a first place that scored is greeted as a new high score.
TEST_F(SettingsAndScoresTest, TheOfferedNameIsTypedOverAndTheGreetingFitsThePlace) {
    struct Entry {
        int score;
        const char* typed;
        const char* offered;
        const char* entered;
        const char* greeting;
    };
    Settings().SetLastName("Ada");
    const Entry entries[] = {
        // Nothing scored is no high score, even alone in the table.
        {0, "Bo", "Ada", "Bo", "Your score is in the table!"},
        {300, "\b", "Bo", C_HighScores::kNoName, "New high score!"},
        {200, "", C_HighScores::kNoName, C_HighScores::kNoName, "Your score is in the table!"},
        {400, "\bX\bCy", C_HighScores::kNoName, "Cy", "New high score!"},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.score);
        C_ScoreScreen* table = OpenTableAfter(entry.score);
        ASSERT_TRUE(table != nullptr && table->IsAskingName());
        EXPECT_EQ(table->GetTypedName(), entry.offered);
        EXPECT_EQ(table->GetPromptLine().rfind(entry.greeting, 0), 0u) << table->GetPromptLine();
        Type(entry.typed);
        ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
        const auto& games = g_pModel->GetHighScores()->GetEntries();
        ASSERT_GE(table->GetMarkedLine(), 0);
        EXPECT_EQ(games[static_cast<size_t>(table->GetMarkedLine())].name, entry.entered);
        ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    }
}

// A scores file found damaged is told once, in one line under the table that
// fits it, however deep the data folder.
TEST_F(SettingsAndScoresTest, ADamagedScoresFileIsToldOnceUnderTheTable) {
    const std::filesystem::path deep = folders->root / std::string(120, 'd');
    setenv("XDG_DATA_HOME", deep.c_str(), 1);
    const std::filesystem::path path = deep / "tubrix" / "scores.txt";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "tubrix-scores 1\nplace.1 90 0 1 2 2024-01-01 Ann\n"
                           "place.2 80 0 1 2 2024-01-02 Bob\nplace.3 70";
    g_pModel->GetHighScores()->Load();
    ASSERT_TRUE(Tap(SDL_SCANCODE_F8));
    C_ScoreScreen* table = Screen<C_ScoreScreen>();
    ASSERT_NE(table, nullptr);
    const std::string line = table->GetPromptLine();
    const std::string said = "Scores file damaged: kept 2 entries; the original is ...";
    EXPECT_EQ(line.rfind(said, 0), 0u) << line;
    const std::string end = "/tubrix/scores.txt.bad";
    EXPECT_EQ(line.substr(line.size() - end.size()), end) << line;
    EXPECT_LT(line.size(), said.size() + path.string().size()) << "not cut to fit";
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_TRUE(Tap(SDL_SCANCODE_F8));
    table = Screen<C_ScoreScreen>();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetPromptLine(), "");
    EXPECT_EQ(g_pModel->GetHighScores()->GetEntries().size(), 2u);
}

// At volume 0 the effects and tunes are silent; at 1 heard again.
TEST_F(SettingsAndScoresTest, AtVolumeZeroNothingPlays) {
    C_SettingsScreen* screen = OpenSettings();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(g_pModel->GetMenuTune()->GetMusic()->IsPlaying());
    for (int step = 0; step < 12; ++step) {
        ClickBox(C_SettingsScreen::VolumeDownBox(0));
        ClickBox(C_SettingsScreen::VolumeDownBox(1));
    }
    EXPECT_EQ(Settings().GetMusicVolume(), 0);
    EXPECT_EQ(Settings().GetEffectsVolume(), 0);
    EXPECT_FALSE(platform::MusicPlaying());

    // Plays of a game's move, turn and landing sounds; whether its tune played.
    bool tunePlayed = false;
    auto playsOfAGame = [this, &tunePlayed]() {
        EXPECT_TRUE(Tap(SDL_SCANCODE_ESCAPE) && Tap(SDL_SCANCODE_F4));
        C_PlayScreen* play = Screen<C_PlayScreen>();
        int plays = 0;
        for (const GameSound sound : {GAME_SOUND_MOVE, GAME_SOUND_TURN, GAME_SOUND_LAND}) {
            plays -= play->sounds->GetWave(sound)->GetBuffer()->PlayCount();
        }
        EXPECT_TRUE(Tap(SDL_SCANCODE_SPACE));
        for (const SDL_Scancode key : {SDL_SCANCODE_LEFT, SDL_SCANCODE_X, SDL_SCANCODE_RIGHT}) {
            EXPECT_TRUE(Tap(key) && RunFrames(1));
        }
        for (int frame = 0; frame < 2000 && !play->round->board->cells[5][23].Taken() &&
                            !play->round->board->cells[4][23].Taken();
             ++frame) {
            EXPECT_TRUE(RunFrames(1));
        }
        for (const GameSound sound : {GAME_SOUND_MOVE, GAME_SOUND_TURN, GAME_SOUND_LAND}) {
            plays += play->sounds->GetWave(sound)->GetBuffer()->PlayCount();
        }
        tunePlayed = g_pModel->GetPlayTune()->GetMusic()->IsPlaying();
        EXPECT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
        return plays;
    };
    EXPECT_EQ(playsOfAGame(), 0);
    EXPECT_FALSE(tunePlayed);

    screen = OpenSettings();
    ASSERT_NE(screen, nullptr);
    ClickBox(C_SettingsScreen::VolumeUpBox(0));
    ClickBox(C_SettingsScreen::VolumeUpBox(1));
    EXPECT_TRUE(g_pModel->GetMenuTune()->GetMusic()->IsPlaying());
    EXPECT_GE(playsOfAGame(), 3);
    EXPECT_TRUE(tunePlayed);
}

}  // namespace
