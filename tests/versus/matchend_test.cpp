#include "versus/matchend.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "net/matchlink.h"
#include "versus/netmatch.h"

namespace {

TEST(MatchEnd, TheEarlierLossLosesATieGoesToTheTieSideAndASideGoneLoses) {
    const std::nullopt_t none = std::nullopt;
    const struct {
        const char* what;
        std::optional<double> player, opponent;
        int left;
        int tie;
        int winner;
    } cases[] = {
        {"neither lost", none, none, kNoWinner, kDraw, kNoWinner},
        {"the player lost", 4.5, none, kNoWinner, kDraw, SIDE_OPPONENT},
        {"the opponent lost", none, 4.5, kNoWinner, kDraw, SIDE_PLAYER},
        {"both in one frame", 4.5, 4.5, kNoWinner, kDraw, kDraw},
        {"the player first", 61000, 61999, kNoWinner, SIDE_PLAYER, SIDE_OPPONENT},
        {"the opponent first", 61999, 61000, kNoWinner, SIDE_PLAYER, SIDE_PLAYER},
        {"equal, the player hosts", 61500, 61500, kNoWinner, SIDE_PLAYER, SIDE_PLAYER},
        {"equal, the opponent hosts", 61500, 61500, kNoWinner, SIDE_OPPONENT, SIDE_OPPONENT},
        {"the opponent gone", none, none, SIDE_OPPONENT, SIDE_PLAYER, SIDE_PLAYER},
        {"gone after the player lost", 30000, none, SIDE_OPPONENT, SIDE_PLAYER, SIDE_PLAYER},
        {"the player gone", none, 30000, SIDE_PLAYER, SIDE_PLAYER, SIDE_OPPONENT},
    };
    for (const auto& c : cases) {
        MatchEnd end;
        end.losses = {c.player, c.opponent};
        if (c.left != kNoWinner) {
            end.left[static_cast<size_t>(c.left)] = true;
        }
        end.tie = c.tie;
        EXPECT_EQ(end.Winner(), c.winner) << c.what;
    }
}

// A network match decided on one machine, its link fed by hand.
struct NetSide {
    explicit NetSide(MatchRole role) : link(role, nullptr) {
        std::string fault;
        C_MatchMessage message;
        if (role == MatchRole::Host) {
            EXPECT_TRUE(link.Offer(5, 0));
            message.kind = C_MatchMessage::READY;
            EXPECT_TRUE(link.Receive(message.Encode(), fault)) << fault;
        } else {
            message.kind = C_MatchMessage::START;
            message.seed = 5;
            EXPECT_TRUE(link.Receive(message.Encode(), fault)) << fault;
            EXPECT_TRUE(link.Ready());
        }
        match = std::make_unique<C_NetMatch>(link, true);
        match->Update(0.0f, &link);
    }

    void PeerLoses(uint32_t millis) {
        std::string fault;
        C_MatchMessage loss;
        loss.kind = C_MatchMessage::LOSS;
        loss.gameTime = millis;
        EXPECT_TRUE(link.Receive(loss.Encode(), fault)) << fault;
    }

    C_MatchLink link;
    std::unique_ptr<C_NetMatch> match;
};

TEST(MatchEnd, OverTheNetworkBothMachinesNameTheHostForEqualLosses) {
    for (const MatchRole role : {MatchRole::Host, MatchRole::Joiner}) {
        const int host = role == MatchRole::Host ? SIDE_PLAYER : SIDE_OPPONENT;
        NetSide equal(role);
        equal.match->Update(1.0f, &equal.link);
        // Both lose one second in, their losses crossing.
        equal.match->Forfeit(&equal.link);
        equal.PeerLoses(1000);
        EXPECT_FALSE(equal.match->Over());
        equal.match->Update(1.5f, &equal.link);
        EXPECT_EQ(equal.match->winner, host);

        NetSide earlier(role);
        earlier.match->Update(1.0f, &earlier.link);
        earlier.match->Forfeit(&earlier.link);
        earlier.PeerLoses(1001);
        earlier.match->Update(1.5f, &earlier.link);
        EXPECT_EQ(earlier.match->winner, SIDE_OPPONENT);
    }
}

}  // namespace
