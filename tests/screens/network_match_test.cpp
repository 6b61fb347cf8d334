// A match over the network begun from the versus screen's keys, against a
// second network in the same process.
#include <SDL.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <memory>
#include <string>

#include "console/console.h"
#include "net/net.h"
#include "net/relaymessage.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "relay/relayserver.h"
#include "screens/matchscreen.h"
#include "screens/versusscreen.h"
#include "store/settings.h"
#include "support/screentest.h"
#include "support/sessionrecorder.h"
#include "versus/matchovernetwork.h"
#include "versus/matchwatched.h"
#include "versus/netmatch.h"

namespace {

constexpr int kScreenWidth = 713;

class NetworkMatchTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        OwnNetworkAndSettings();
    }

    // Runs the game's frames and the other side's network until `done`.
    bool Until(const std::function<bool()>& done) {
        return WaitFor([&] {
            if (other) {
                other->Update();
            }
            return RunFrames(1) && done();
        });
    }

    // The match over the network on `screen`.
    static C_NetMatch& Game(C_MatchScreen* screen) {
        return dynamic_cast<C_MatchOverNetwork&>(*screen->match).match;
    }

    // Typed text, as the keyboard sends it.
    void Type(const std::string& text) {
        SDL_Event typed{};
        typed.type = SDL_TEXTINPUT;
        std::copy(text.begin(), text.end(), typed.text.text);
        typed.text.text[text.size()] = '\0';
        SDL_PushEvent(&typed);
        EXPECT_TRUE(RunFrames(1));
    }

    // A relay on the loopback, set as the game's.
    std::string StartRelay() {
        EXPECT_TRUE(relay.Start(0));
        const std::string at = "127.0.0.1:" + std::to_string(relay.Port());
        EXPECT_TRUE(ownSettings.SetRelay(at));
        return at;
    }

    // Pixels of a room code's warm yellow in the left of the network window.
    int CodeInk() const {
        const std::vector<uint32_t> pixels = Pixels();
        int ink = 0;
        for (int y = kVersusNetWindow.y0; y < kVersusNetWindow.y1; ++y) {
            for (int x = kVersusNetWindow.x0; x < kVersusNetWindow.x0 + 160; ++x) {
                const uint32_t pixel = pixels[static_cast<size_t>(y * kScreenWidth + x)];
                const uint32_t red = (pixel >> 16) & 0xFF;
                const uint32_t green = (pixel >> 8) & 0xFF;
                const uint32_t blue = pixel & 0xFF;
                ink += red > 200 && green > 160 && blue > 60 && blue < 170 ? 1 : 0;
            }
        }
        return ink;
    }

    C_RelayServer relay{RelayLimits{}, [](const std::string&) {}};
    std::unique_ptr<C_Net> other;
};

TEST_F(NetworkMatchTest, HostAndEnterStartTheMatchAtTheChosenLevelWhenAPlayerJoins) {
    ownSettings.SetLastName("Host Player");
    ASSERT_TRUE(Tap(SDL_SCANCODE_F7));
    ASSERT_NE(Screen<C_VersusScreen>(), nullptr);
    ASSERT_TRUE(Tap(SDL_SCANCODE_RIGHT) && Tap(SDL_SCANCODE_RIGHT) && Tap(SDL_SCANCODE_RIGHT));
    // Enter before anyone is there: the offer goes when a player joins.
    ASSERT_TRUE(Tap(SDL_SCANCODE_H));
    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    ASSERT_EQ(ownNetwork->GetLinkState(), C_Net::LinkState::Hosting);
    // What the host's screen gives the other player to type: the host name,
    // after a dotted address other than the loopback's where there is one.
    std::array<char, 256> name{};
    ASSERT_EQ(gethostname(name.data(), name.size() - 1), 0);
    const std::string at = ownNetwork->GetHostedAt();
    const std::string address = at.substr(0, at.find(' '));
    in_addr parsed{};
    EXPECT_TRUE(at == name.data() || (at == address + " (" + name.data() + ")" &&
                                      inet_pton(AF_INET, address.c_str(), &parsed) == 1 &&
                                      address.rfind("127.", 0) != 0))
        << at;

    other = std::make_unique<C_Net>(ownNetwork->GetHostPort());
    other->SetPlayerName("Zo\xC3\xAB");
    other->Init();
    other->Join("127.0.0.1");
    ASSERT_TRUE(Until([&] { return other->Match() != nullptr && other->Match()->Offered(); }));
    // Each knows the other by the name from their settings, not the address.
    EXPECT_TRUE(Until([&] { return ownNetwork->PeerName() == "Zo\xC3\xAB"; }))
        << ownNetwork->PeerName();
    EXPECT_EQ(other->PeerName(), "Host Player");
    EXPECT_EQ(other->Match()->GetLevel(), 3);
    ASSERT_TRUE(other->Match()->Ready());
    C_MatchScreen* screen = nullptr;
    ASSERT_TRUE(Until([&] { return (screen = Screen<C_MatchScreen>()) != nullptr; }));
    ASSERT_NE(dynamic_cast<C_MatchOverNetwork*>(screen->match.get()), nullptr);
    EXPECT_EQ(Game(screen).seed, other->Match()->GetSeed());
    EXPECT_EQ(Game(screen).Round().board->level, 3);
    const int row = Game(screen).Round().currentShape->GetRow();
    EXPECT_TRUE(Until([&] { return Game(screen).Round().currentShape->GetRow() > row; }));
    EXPECT_TRUE(Until([&] { return other->Match()->GetSnapshotsReceived() > 2; }));
}

TEST_F(NetworkMatchTest, AMutePlayerIsGoneFiveSecondsAfterItsLastSnapshotOnScreenOrLeft) {
    ASSERT_TRUE(Tap(SDL_SCANCODE_F7));
    for (const bool leaveFirst : {false, true}) {
        SCOPED_TRACE(leaveFirst ? "left the match first" : "stayed on the match");
        other.reset();
        ASSERT_TRUE(Tap(SDL_SCANCODE_H));
        ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
        other = std::make_unique<C_Net>(ownNetwork->GetHostPort());
        other->Init();
        other->Join("127.0.0.1");
        ASSERT_TRUE(Until([&] { return other->Match() != nullptr && other->Match()->Offered(); }));
        ASSERT_TRUE(other->Match()->Ready());
        C_MatchScreen* screen = nullptr;
        ASSERT_TRUE(Until([&] { return (screen = Screen<C_MatchScreen>()) != nullptr; }));
        ASSERT_TRUE(other->Match()->SendSnapshot(C_MatchMessage{}));
        ASSERT_TRUE(Until([&] { return Game(screen).PeerWell().has_value(); }));
        if (leaveFirst) {
            // Leaving loses the match; the other side never answers it.
            ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
            ASSERT_NE(Screen<C_VersusScreen>(), nullptr);
            screen = nullptr;
        }

        // Its game stops while its network still answers: `other` is no
        // longer updated, and it sends nothing more.
        clock.Advance(4.0);
        ASSERT_TRUE(RunFrames(2));
        EXPECT_EQ(ownNetwork->GetLinkState(), C_Net::LinkState::Connected);
        EXPECT_TRUE(screen == nullptr || !Game(screen).Over());
        clock.Advance(1.5);
        ASSERT_TRUE(WaitFor([&] {
            return RunFrames(1) && ownNetwork->GetLinkState() == C_Net::LinkState::PeerLost;
        }));
        const auto lines = g_pConsole->GetLines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(),
                             "Dropped the other player: no word from them in 5 seconds of the "
                             "match."),
                  leaveFirst ? 2 : 1);
        if (screen != nullptr) {
            ASSERT_TRUE(RunFrames(1));
            EXPECT_TRUE(Game(screen).peerGone);
            EXPECT_EQ(Game(screen).winner, SIDE_PLAYER);
            ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
            ASSERT_NE(Screen<C_VersusScreen>(), nullptr);
        }
        // Out of the match, where hosting again can begin the next.
        EXPECT_EQ(ownNetwork->Match()->GetPhase(), C_MatchLink::Phase::Over);
    }
}

// C makes a room at the relay the settings name and shows its code large.
// (Joining by it is the network's test, and the relay's under X.)
TEST_F(NetworkMatchTest, ARoomMadeShowsItsCodeLarge) {
    StartRelay();
    ASSERT_TRUE(Tap(SDL_SCANCODE_F7));
    EXPECT_EQ(CodeInk(), 0);
    ASSERT_TRUE(Tap(SDL_SCANCODE_C));
    ASSERT_TRUE(Until([&] { return ownNetwork->GetLinkState() == C_Net::LinkState::InRoom; }));
    // Its ink fills the left of the network window.
    EXPECT_GT(CodeInk(), 400);
}

// W and a code typed as it may be read out (small letters, a space, a dash)
// show a room's two wells side by side from its players' snapshots, and the
// result once both ends are in; the watcher's keys move nothing, and Escape
// leaves the room.
TEST_F(NetworkMatchTest, AWatcherSeesBothWellsAndTheResultAndLeavesWithEscape) {
    const std::string at = StartRelay();
    C_Net maker(0);
    other = std::make_unique<C_Net>(0);
    maker.Init();
    other->Init();
    maker.SetPlayerName("Maker");
    other->SetPlayerName("Joiner");
    maker.CreateRoom(at);
    ASSERT_TRUE(Until([&] {
        maker.Update();
        return maker.GetLinkState() == C_Net::LinkState::InRoom;
    }));
    std::string typed = maker.GetRoomCode();
    for (char& c : typed) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    typed.insert(2, " -");

    ASSERT_TRUE(Tap(SDL_SCANCODE_F7));
    ASSERT_TRUE(Tap(SDL_SCANCODE_W));
    Type(typed);
    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    C_MatchScreen* screen = nullptr;
    ASSERT_TRUE(Until([&] { return (screen = Screen<C_MatchScreen>()) != nullptr; }));
    auto* watched = dynamic_cast<C_MatchWatched*>(screen->match.get());
    ASSERT_NE(watched, nullptr);
    EXPECT_EQ(ownNetwork->GetRoomCode(), maker.GetRoomCode());

    other->JoinRoom(at, maker.GetRoomCode());
    ASSERT_TRUE(Until([&] {
        maker.Update();
        return maker.Match() != nullptr && other->Match() != nullptr &&
               other->GetLinkState() == C_Net::LinkState::Connected;
    }));
    ASSERT_TRUE(maker.Match()->Offer(11, 4));
    ASSERT_TRUE(Until([&] {
        maker.Update();
        return other->Match()->Offered();
    }));
    ASSERT_TRUE(other->Match()->Ready());
    ASSERT_TRUE(Until([&] {
        maker.Update();
        return maker.Match()->GetPhase() == C_MatchLink::Phase::Started;
    }));
    for (C_MatchLink* side : {maker.Match(), other->Match()}) {
        C_MatchMessage snapshot;
        snapshot.score = side == maker.Match() ? 120 : 340;
        snapshot.cells[C_MatchMessage::kCells - 1] = side == maker.Match() ? 1 : 2;
        ASSERT_TRUE(side->SendSnapshot(snapshot));
    }
    ASSERT_TRUE(Until([&] {
        maker.Update();
        return watched->SnapshotsSeen(SIDE_PLAYER) > 0 && watched->SnapshotsSeen(SIDE_OPPONENT) > 0;
    }));
    for (int seat = 0; seat < kMatchSides; ++seat) {
        const C_Round& round = watched->SeatRound(seat);
        EXPECT_EQ(round.board->level, 4);
        EXPECT_EQ(round.board->score, seat == SIDE_PLAYER ? 120 : 340);
        const WellCell& corner = round.board->cells[kBoardColumns - 1][kBoardRows - 1];
        EXPECT_EQ(corner.colourIndex, seat);
        EXPECT_EQ(screen->Device(seat), seat == SIDE_PLAYER ? "Maker" : "Joiner");
    }
    // A watcher's moves and pause reach nobody.
    ASSERT_TRUE(Tap(SDL_SCANCODE_LEFT) && Tap(SDL_SCANCODE_P) && Tap(SDL_SCANCODE_SPACE));
    EXPECT_FALSE(screen->paused);
    EXPECT_EQ(watched->SeatRound(SIDE_PLAYER).mode, MODE_IDLE);

    ASSERT_TRUE(maker.Match()->SendLoss(2000));
    ASSERT_TRUE(Until([&] {
        maker.Update();
        return !other->Match()->PeerPlaying();
    }));
    EXPECT_EQ(watched->Winner(), kNoWinner);
    ASSERT_TRUE(other->Match()->SendOutlasted(2000));
    ASSERT_TRUE(Until([&] {
        maker.Update();
        return watched->Winner() == SIDE_OPPONENT;
    }));
    EXPECT_EQ(screen->Note(0), "ESC: leave the room");
    ASSERT_TRUE(Tap(SDL_SCANCODE_ESCAPE));
    ASSERT_NE(Screen<C_VersusScreen>(), nullptr);
    EXPECT_EQ(ownNetwork->GetLinkState(), C_Net::LinkState::Idle);
}

}  // namespace
