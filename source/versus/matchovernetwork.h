#pragma once

#include <memory>
#include <string>
#include <vector>

#include "puzzle/well.h"
#include "versus/matchkind.h"
#include "versus/netmatch.h"

// A match over the network, seen from this machine: the player's round
// played here, the other player's well, score and meter as their snapshots
// show them. It cannot pause (the other machine plays on), leaving loses it,
// and the next match starts from the lobby.
class C_MatchOverNetwork : public C_MatchKind {
public:
    // The match `net`'s link has begun.
    explicit C_MatchOverNetwork(C_Net& net);
    ~C_MatchOverNetwork() override;

    void Update(float gameTime) override;
    void DrawStep() override { match.DrawStep(); }
    C_Round& PlayerRound() override { return match.Round(); }
    int LocalSeats() const override { return 1; }
    C_Round& SeatRound(int seat) override {
        (void)seat;
        return PlayerRound();
    }
    const C_Well& OtherWell() override;
    int OtherScore() const override;
    int Incoming(int side) const override;
    int Arrived(int side) const override;
    int RowsSent() const override { return match.rowsSent; }
    int Winner() const override { return match.winner; }
    bool OtherLeft() const override { return match.peerGone; }
    bool CanPause() const override { return false; }
    bool StartsFromLobby() const override { return true; }
    // The other player's name; while the link is slow, that it is.
    std::string OtherLabel() const override;
    const char* Picture() const override { return "match_net.png"; }
    void Leave() override;
    const C_NetMatch* RecordedNetMatch() const override { return &match; }
    const NetMatchRecord* NetRecord() const override { return &record; }

    C_Net& net;
    // Before the match, which writes into it from its start.
    NetMatchRecord record;
    C_NetMatch match;

private:
    // Kept: the name goes with the player, and the screen still shows it.
    std::string peerName;
    // One piece per colour, as a snapshot tells colours only.
    std::vector<WellCell> pieces;
    C_Well seen;
};
