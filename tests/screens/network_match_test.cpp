// A match over the network begun from the versus screen's keys, against a
// second network in the same process.
#include <SDL.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "console/console.h"
#include "net/net.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "screens/matchscreen.h"
#include "screens/versusscreen.h"
#include "support/screentest.h"
#include "support/sessionrecorder.h"
#include "versus/netmatch.h"

namespace {

class NetworkMatchTest : public ScreenTest {
protected:
    // Runs the game's frames and the other side's network until `done`.
    bool Until(const std::function<bool()>& done) {
        return WaitFor([&] {
            if (other) {
                other->Update();
            }
            return RunFrames(1) && done();
        });
    }

    std::unique_ptr<C_Net> other;
};

TEST_F(NetworkMatchTest, HostAndEnterStartTheMatchWhenAPlayerJoinsAndThePauseDoesNotHoldIt) {
    // The game's own port is left to the tests of the whole program.
    delete g_pNet;
    g_pNet = new C_Net(0);
    versusLevel = 3;
    ASSERT_TRUE(Tap(SDL_SCANCODE_F7));
    ASSERT_NE(Screen<C_VersusScreen>(), nullptr);
    // Enter before anyone is there: the offer goes when a player joins.
    ASSERT_TRUE(Tap(SDL_SCANCODE_H));
    ASSERT_TRUE(Tap(SDL_SCANCODE_RETURN));
    ASSERT_EQ(g_pNet->GetLinkState(), C_Net::LinkState::Hosting);
    // What the host's screen gives the other player to type: the host name,
    // after a dotted address other than the loopback's where there is one.
    std::array<char, 256> name{};
    ASSERT_EQ(gethostname(name.data(), name.size() - 1), 0);
    const std::string at = g_pNet->GetHostedAt();
    const std::string address = at.substr(0, at.find(' '));
    in_addr parsed{};
    EXPECT_TRUE(at == name.data() || (at == address + " (" + name.data() + ")" &&
                                      inet_pton(AF_INET, address.c_str(), &parsed) == 1 &&
                                      address.rfind("127.", 0) != 0))
        << at;

    other = std::make_unique<C_Net>(g_pNet->GetHostPort());
    other->Init();
    other->Join("127.0.0.1");
    ASSERT_TRUE(Until([&] { return other->Match() != nullptr && other->Match()->Offered(); }));
    EXPECT_EQ(other->Match()->GetLevel(), 3);
    ASSERT_TRUE(other->Match()->Ready());
    C_MatchScreen* screen = nullptr;
    ASSERT_TRUE(Until([&] { return (screen = Screen<C_MatchScreen>()) != nullptr; }));
    ASSERT_NE(screen->netMatch, nullptr);
    EXPECT_EQ(screen->netMatch->seed, other->Match()->GetSeed());
    EXPECT_EQ(screen->netMatch->Round().board->level, 3);
    // The pause key cannot hold the other machine: it says so.
    ASSERT_TRUE(Tap(SDL_SCANCODE_P));
    EXPECT_FALSE(screen->paused);
    EXPECT_EQ(screen->Note(), "A network match cannot be paused.");

    // The other machine plays on: the console's pause holds nothing here.
    g_pConsole->SetPaused(true);
    const int row = screen->netMatch->Round().currentShape->GetRow();
    EXPECT_TRUE(Until([&] { return screen->netMatch->Round().currentShape->GetRow() > row; }));
    EXPECT_TRUE(Until([&] { return other->Match()->GetSnapshotsReceived() > 2; }));
}

}  // namespace
