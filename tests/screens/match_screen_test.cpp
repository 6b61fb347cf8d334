// A match on the real screens, against the computer, over the network and
// between two players at this machine: what the players hear, how the result
// is answered, the pause, the other well and the keys panels; two players'
// keys and controllers each steering their own seat.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/mp3.h"
#include "audio/wave.h"
#include "console/console.h"
#include "core/keycodes.h"
#include "model/model.h"
#include "net/net.h"
#include "platform/audio.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "replay/replayfile.h"
#include "replay/replayplayer.h"
#include "replay/replayshelf.h"
#include "replay/wellhash.h"
#include "screens/gamesounds.h"
#include "screens/keyhints.h"
#include "screens/matchscreen.h"
#include "screens/menu.h"
#include "screens/overlaylines.h"
#include "screens/playscreen.h"
#include "screens/replaywatch.h"
#include "screens/versusscreen.h"
#include "store/settings.h"
#include "support/puzzleboard.h"
#include "support/screentest.h"
#include "support/sessionrecorder.h"
#include "versus/match.h"
#include "versus/matchagainstcomputer.h"
#include "versus/matchtwoplayers.h"

namespace {

// The screens work with the test's own network and settings; over the
// network, the other machine is a second network in this process.
class MatchScreenTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        OwnNetworkAndSettings();
    }

    // The versus screen, then a match against the medium computer.
    C_MatchScreen* StartMatch() {
        EXPECT_TRUE(Tap(SDL_SCANCODE_F7));
        EXPECT_NE(Screen<C_VersusScreen>(), nullptr);
        EXPECT_TRUE(g_pModel->GetMenuTune()->GetMusic()->IsPlaying());
        EXPECT_TRUE(Tap(SDL_SCANCODE_2));
        return Screen<C_MatchScreen>();
    }

    // Runs the game's frames, and the other machine's network while there is
    // one, until `done`; the other machine's well goes in a snapshot each
    // frame, as a live game's would, so the link never finds it mute.
    bool Until(const std::function<bool()>& done) {
        return WaitFor([&] {
            if (other) {
                other->Update();
                if (other->Match() != nullptr) {
                    other->Match()->SendSnapshot(otherWell);
                }
            }
            return RunFrames(1) && done();
        });
    }

    // The match of both rounds on this machine: against the computer, or
    // between two players here.
    static C_Match& Game(C_MatchScreen* screen) {
        if (auto* two = dynamic_cast<C_MatchTwoPlayers*>(screen->match.get())) {
            return two->match;
        }
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

    std::unique_ptr<C_Net> other;
    // What the other machine shows of its well.
    C_MatchMessage otherWell;
};

TEST_F(MatchScreenTest, TheComputersRoundIsQuiet) {
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
}

TEST_F(MatchScreenTest, TheLevelAndStrengthChosenLastTheRunAndPlayAgainKeepsThem) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_F7) && Tap(SDL_SCANCODE_RIGHT) && Tap(SDL_SCANCODE_RIGHT));
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE) && Tap(SDL_SCANCODE_F7) && Tap(SDL_SCANCODE_3));
    C_MatchScreen* screen = Screen<C_MatchScreen>();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->match->PlayerRound().board->level, 2);
    EXPECT_EQ(screen->match->OtherLabel(), "HARD");
    ASSERT_TRUE(ToTheResult(screen));
    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    screen = Screen<C_MatchScreen>();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->match->PlayerRound().board->level, 2);
    EXPECT_EQ(screen->match->OtherLabel(), "HARD");
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE) && Tap(SDL_SCANCODE_F7) && Tap(SDL_SCANCODE_1));
    screen = Screen<C_MatchScreen>();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->match->PlayerRound().board->level, 2);
    EXPECT_EQ(screen->match->OtherLabel(), "EASY");
}

// The keys panels, the ready and paused pictures' lines and the result's
// line name the keys as bound, in a match and in a single game; the default
// keys fit their panels whole.
TEST_F(MatchScreenTest, EveryKeyHintNamesTheKeysAsBound) {
    auto uncut = [](const C_KeyPanel& panel) {
        const std::vector<KeyHint> shown = panel.Shown();
        for (size_t line = 0; line < shown.size(); ++line) {
            EXPECT_EQ(shown[line].keys, panel.Hints()[line].keys);
            EXPECT_EQ(shown[line].what, panel.Hints()[line].what);
        }
    };
    auto has = [](const C_KeyPanel& panel, const KeyHint& hint) {
        return std::any_of(panel.Hints().begin(), panel.Hints().end(), [&](const KeyHint& line) {
            return line.keys == hint.keys && line.what == hint.what;
        });
    };
    auto texts = [](const C_OverlayLines& lines) {
        std::vector<std::string> shown;
        for (const OverlayLine& line : lines.Lines()) {
            shown.push_back(line.text);
        }
        return shown;
    };
    C_MatchScreen* match = StartMatch();
    ASSERT_NE(match, nullptr);
    uncut(*match->seats[0].keyPanel);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE) && Tap(SDL_SCANCODE_F4));
    const C_PlayScreen* play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    uncut(*play->keyPanel);
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));

    ownSettings.SetKey(GameAction::RotateClockwise, DIK_C);
    ownSettings.SetKey(GameAction::Pause, DIK_O);
    ownSettings.SetKey(GameAction::Start, DIK_S);
    ownSettings.SetKey(GameAction::Menu, DIK_Q);
    const KeyHint rotate = {"Z C", "rotate"};
    const KeyHint pause = {"O", "pause"};
    const std::vector<std::string> paused = {"START or S to resume", "Q leaves the game"};
    match = StartMatch();
    ASSERT_NE(match, nullptr);
    EXPECT_TRUE(has(*match->seats[0].keyPanel, rotate));
    EXPECT_TRUE(has(*match->seats[0].keyPanel, pause));
    EXPECT_EQ(texts(*match->seats[0].pausedLines), paused);
    ASSERT_TRUE(ToTheResult(match));
    EXPECT_EQ(match->Note(), "ENTER: play again   Q: back");
    ASSERT_TRUE(Tap(SDL_SCANCODE_Q) && Tap(SDL_SCANCODE_F4));
    play = Screen<C_PlayScreen>();
    ASSERT_NE(play, nullptr);
    EXPECT_TRUE(has(*play->keyPanel, rotate));
    EXPECT_TRUE(has(*play->keyPanel, pause));
    EXPECT_EQ(texts(*play->readyLines), std::vector<std::string>{"Press START or S"});
    EXPECT_EQ(texts(*play->pausedLines), paused);
}

enum class Kind { Computer, Network, TwoPlayers };

// The cases every kind of match shares, run against the computer, over the
// network and between two players here.
class EveryMatchTest : public MatchScreenTest, public ::testing::WithParamInterface<Kind> {
protected:
    static bool Network() { return GetParam() == Kind::Network; }

    // From the menu or the versus screen, a match: against the medium
    // computer, hosted and joined by the other network, or for two players.
    C_MatchScreen* Start() {
        if (Screen<C_VersusScreen>() == nullptr) {
            EXPECT_TRUE(Tap(SDL_SCANCODE_F7));
        }
        if (!Network()) {
            EXPECT_TRUE(Tap(GetParam() == Kind::TwoPlayers ? SDL_SCANCODE_T : SDL_SCANCODE_2));
            return Screen<C_MatchScreen>();
        }
        other.reset();
        EXPECT_TRUE(Tap(SDL_SCANCODE_H) && Tap(SDL_SCANCODE_RETURN));
        other = std::make_unique<C_Net>(ownNetwork->GetHostPort());
        other->Init();
        other->Join("127.0.0.1");
        EXPECT_TRUE(Until([&] { return other->Match() != nullptr && other->Match()->Offered(); }));
        EXPECT_TRUE(other->Match() != nullptr && other->Match()->Ready());
        C_MatchScreen* screen = nullptr;
        EXPECT_TRUE(Until([&] {
            return (screen = Screen<C_MatchScreen>()) != nullptr &&
                   other->Match()->GetPhase() == C_MatchLink::Phase::Started;
        }));
        return screen;
    }

    // The other side stops playing: its round is held here, the other
    // network sends nothing unless told.
    static void HoldTheOther(C_MatchScreen* screen) {
        if (!Network()) {
            Game(screen).Round(SIDE_OPPONENT).Command(COMMAND_PAUSE);
        }
    }

    // The other side tops out; true once the result's keys are read.
    bool OtherLoses(C_MatchScreen* screen) {
        if (!Network()) {
            return ToTheResult(screen);
        }
        EXPECT_TRUE(other->Match()->SendLoss(0));
        return Until([&] { return screen->match->Over(); }) && RunFrames(1);
    }
};

INSTANTIATE_TEST_SUITE_P(Kinds, EveryMatchTest,
                         ::testing::Values(Kind::Computer, Kind::Network, Kind::TwoPlayers),
                         [](const ::testing::TestParamInfo<Kind>& kind) {
                             switch (kind.param) {
                                 case Kind::Computer:
                                     return "AgainstTheComputer";
                                 case Kind::Network:
                                     return "OverTheNetwork";
                                 case Kind::TwoPlayers:
                                     break;
                             }
                             return "TwoPlayersHere";
                         });

TEST_P(EveryMatchTest, EnterOrThePadsConfirmPlaysAgainAndEscOrThePadsBackGoesBack) {
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
        C_MatchScreen* screen = Start();
        ASSERT_NE(screen, nullptr);
        ASSERT_TRUE(OtherLoses(screen));
        EXPECT_EQ(screen->match->Winner(), SIDE_PLAYER);
        EXPECT_FALSE(screen->match->OtherLeft());
        EXPECT_EQ(screen->Note(), "ENTER: play again   ESC: back");
        c.press(true);
        ASSERT_TRUE(RunFrames(1));
        c.press(false);
        ASSERT_TRUE(RunFrames(2));
        if (Network()) {
            // The next match is offered from the lobby, either way.
            ASSERT_NE(Screen<C_VersusScreen>(), nullptr);
            EXPECT_EQ(ownNetwork->Match()->GetPhase(), C_MatchLink::Phase::Over);
            continue;
        }
        if (c.again) {
            C_MatchScreen* next = Screen<C_MatchScreen>();
            ASSERT_NE(next, nullptr);
            EXPECT_FALSE(next->match->Over());
            ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
        }
        ASSERT_NE(Screen<C_Menu>(), nullptr);
    }
}

TEST_P(EveryMatchTest, ThePauseKeyHoldsAMatchThatCanPauseAndSaysSoOfOneThatCannot) {
    C_MatchScreen* screen = Start();
    ASSERT_NE(screen, nullptr);
    const C_Round& player = screen->match->PlayerRound();
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    EXPECT_EQ(screen->paused, !Network());
    EXPECT_EQ(screen->Note(), Network() ? "A network match cannot be paused." : "");
    int row = player.currentShape->GetRow();
    if (Network()) {
        EXPECT_TRUE(Until([&] { return player.currentShape->GetRow() > row; }));
    } else {
        // Both wells and the match clock stand still.
        const C_Match& held = Game(screen);
        const float time = held.Time();
        const int cascade = held.Round(SIDE_OPPONENT).cascadeNumber;
        ASSERT_TRUE(RunFrames(300));
        EXPECT_EQ(player.currentShape->GetRow(), row);
        EXPECT_EQ(held.Round(SIDE_OPPONENT).cascadeNumber, cascade);
        EXPECT_EQ(held.Time(), time);
        ASSERT_TRUE(Tap(SDL_SCANCODE_P));
        EXPECT_FALSE(screen->paused);
    }
    // The console's pause holds a match that can pause, and not another: the
    // other machine plays on.
    g_pConsole->SetPaused(true);
    row = player.currentShape->GetRow();
    if (Network()) {
        EXPECT_TRUE(Until([&] { return player.currentShape->GetRow() > row; }));
    } else {
        ASSERT_TRUE(RunFrames(300));
        EXPECT_EQ(player.currentShape->GetRow(), row);
    }
}

TEST_P(EveryMatchTest, ThePlayersRoundSoundsAsAGameDoesWithRowsSentAndPushedIn) {
    C_MatchScreen* screen = Start();
    ASSERT_NE(screen, nullptr);
    HoldTheOther(screen);
    C_Round& player = screen->match->PlayerRound();
    const GameSound heard[] = {GAME_SOUND_MOVE, GAME_SOUND_TURN, GAME_SOUND_LAND, GAME_SOUND_SENT,
                               GAME_SOUND_ARRIVED};
    std::vector<int> before;
    for (const GameSound sound : heard) {
        before.push_back(Plays(*screen, sound));
    }
    EXPECT_TRUE(Tap(SDL_SCANCODE_LEFT) && RunFrames(1));
    EXPECT_TRUE(Tap(SDL_SCANCODE_X) && RunFrames(1));
    ASSERT_TRUE(Until([&] { return player.cascadeNumber > 1; }));
    EXPECT_GT(Plays(*screen, GAME_SOUND_MOVE), before[0]);
    EXPECT_GT(Plays(*screen, GAME_SOUND_TURN), before[1]);
    EXPECT_GT(Plays(*screen, GAME_SOUND_LAND), before[2]);

    // A cascade of two flows sends a row, and a row received is pushed in at
    // the next landing: each with its sound.
    ASSERT_EQ(screen->match->Incoming(SIDE_PLAYER), 0);
    Lay(*player.board, {
                           "RL .  .  .  .  .  .  .  .  .  .  .",
                           ".  RL RL RL RL RL RL RL RL RL RL RL",
                           "RL RL RL RL RL RL RL RL RL RL RL RL",
                       });
    GiveFlatI(player);
    PushKey(SDL_SCANCODE_DOWN, true);
    ASSERT_TRUE(Until([&] { return screen->match->RowsSent() > 0; }));
    EXPECT_EQ(Plays(*screen, GAME_SOUND_SENT), before[3] + 1);
    EXPECT_EQ(Plays(*screen, GAME_SOUND_ARRIVED), before[4]);
    player.Receive(7);
    EXPECT_EQ(screen->match->Arrived(SIDE_PLAYER), 1);
    ASSERT_TRUE(Until([&] { return player.rowsPushedIn > 0; }));
    PushKey(SDL_SCANCODE_DOWN, false);
    EXPECT_EQ(Plays(*screen, GAME_SOUND_ARRIVED), before[4] + 1);
}

// At half size beside the player's well; between two players here, at the
// same size as the first's, beside it.
TEST_P(EveryMatchTest, TheOtherWellIsDrawnAsItsSideSeesIt) {
    C_MatchScreen* screen = Start();
    ASSERT_NE(screen, nullptr);
    const int bottom = kBoardRows - 1;
    const bool two = GetParam() == Kind::TwoPlayers;
    EXPECT_EQ(screen->match->LocalSeats(), two ? 2 : 1);
    const BoardPlace place =
        two ? kSeatPlaces[1].well : BoardPlace{kSmallWellLeft, kSmallWellTop, kSmallCell};
    auto pixel = [&](int column) {
        return PixelAt(place.X(column) + place.pitch / 2, place.Y(bottom) + place.pitch / 2);
    };
    std::vector<uint32_t> empty;
    for (int column = 0; column < kBoardColumns; ++column) {
        empty.push_back(pixel(column));
    }
    // The bottom row of the other's well filled: by the computer's landings,
    // the second player's drops, or in a snapshot from the other machine.
    std::vector<int> filled;
    if (Network()) {
        for (int column = 0; column < kBoardColumns; column += 2) {
            otherWell.cells[static_cast<size_t>(bottom * kBoardColumns + column)] = 3;
            filled.push_back(column);
        }
        ASSERT_TRUE(Until(
            [&] { return screen->match->OtherWell().PieceAt(filled.front(), bottom) != nullptr; }));
    } else {
        C_Round& round = Game(screen).Round(SIDE_OPPONENT);
        const C_GameBoard& board = *round.board;
        ASSERT_TRUE(Until([&] {
            if (two) {
                round.Command(COMMAND_DROP_STEP);
            }
            filled.clear();
            for (int column = 0; column < kBoardColumns; ++column) {
                if (board.PieceAt(column, bottom) != nullptr) {
                    filled.push_back(column);
                }
            }
            return filled.size() >= 2;
        }));
        HoldTheOther(screen);
    }
    ASSERT_TRUE(RunFrames(1));
    for (const int column : filled) {
        EXPECT_NE(pixel(column), empty[static_cast<size_t>(column)]) << "column " << column;
    }
}

// The match is kept as a replay when it ends: against the computer and
// between two players here both sides' commands, over the network what this
// side played and took from the other. It plays to what the screen showed,
// and is watched on the match screen in the match's own layout, the players'
// keys doing nothing.
TEST_P(EveryMatchTest, TheEndedMatchIsKeptAsAReplayThatPlaysToWhatTheScreenShowed) {
    C_MatchScreen* screen = Start();
    ASSERT_NE(screen, nullptr);
    if (Network()) {
        for (int column = 0; column < kBoardColumns; column += 3) {
            otherWell.cells[static_cast<size_t>((kBoardRows - 1) * kBoardColumns + column)] = 5;
        }
        otherWell.score = 120;
        ASSERT_TRUE(Until([&] { return screen->match->OtherScore() == 120; }));
        ASSERT_TRUE(OtherLoses(screen));
    } else {
        // The player's shapes dropped as fast as a frame's keys can: the
        // player's well tops out.
        ASSERT_TRUE(Until([&] {
            for (int n = 0; n < 3; ++n) {
                screen->match->PlayerRound().Command(COMMAND_DROP_STEP);
            }
            return screen->match->Over();
        }));
        ASSERT_TRUE(RunFrames(1));
    }
    const int seats = screen->match->LocalSeats();
    const int winner = screen->match->Winner();
    const int otherScore = screen->match->OtherScore();
    const uint64_t own = WellHash(screen->match->PlayerRound());
    std::vector<std::string> kept;
    for (const auto& entry :
         std::filesystem::directory_iterator(C_ReplayShelf::Player().Folder())) {
        kept.push_back(entry.path().string());
    }
    ASSERT_EQ(kept.size(), 1u);
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReadReplayFile(kept[0], replay, why)) << why;
    EXPECT_EQ(replay.mode, Network()                        ? REPLAY_NETWORK
                           : GetParam() == Kind::TwoPlayers ? REPLAY_TWO_PLAYERS
                                                            : REPLAY_COMPUTER);
    C_ReplayPlayer played(replay);
    played.PlayToEnd();
    EXPECT_TRUE(played.EndsAsRecorded(why)) << why;
    EXPECT_EQ(WellHash(played.Round(SIDE_PLAYER)), own);
    EXPECT_EQ(replay.winner, winner);
    EXPECT_EQ(replay.sides[SIDE_OPPONENT].score, otherScore);

    g_pModel->WatchReplay(kept[0], STATE_MENU);
    ASSERT_TRUE(RunFrames(1));
    C_MatchScreen* watching = Screen<C_MatchScreen>();
    ASSERT_NE(watching, nullptr);
    C_ReplayWatch* watch = watching->Watching();
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(watching->match->LocalSeats(), seats);
    EXPECT_EQ(watching->Device(seats - 1), replay.sides[static_cast<size_t>(seats - 1)].name);
    ASSERT_TRUE(Tap(SDL_SCANCODE_5));
    PushKey(SDL_SCANCODE_DOWN, true);
    ASSERT_TRUE(Until([&] { return watch->Frame() == replay.frames; }));
    PushKey(SDL_SCANCODE_DOWN, false);
    EXPECT_EQ(watching->match->Winner(), winner);
    EXPECT_EQ(WellHash(watching->match->PlayerRound()), own);
    EXPECT_EQ(watching->match->OtherScore(), otherScore);
}

}  // namespace
