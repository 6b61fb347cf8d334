#pragma once

#include <memory>
#include <string>
#include <vector>

#include "puzzle/well.h"
#include "screens/replaywatch.h"
#include "versus/matchkind.h"

class C_NetMatch;

// A match's replay as the match screen drives a match: the rounds are the
// replay's, moved on by its watch once per drawn frame, and nothing the
// players press reaches them. Two players at one machine are shown in the
// two seats; a network match as its recording side saw it, the other's well
// drawn from the snapshots it took.
class C_WatchedMatch : public C_MatchKind {
public:
    explicit C_WatchedMatch(Replay replay);

    C_ReplayWatch& Watch() { return watch; }

    void Update(float) override {}
    void DrawStep() override { watch.Advance(); }
    C_Round& PlayerRound() override;
    // Watched, not played: one seat shows the recorded player, two the two
    // players of a match between them.
    int LocalSeats() const override;
    C_Round& SeatRound(int seat) override;
    const C_Well& OtherWell() override;
    int OtherScore() const override;
    int Incoming(int side) const override;
    int Arrived(int side) const override;
    int RowsSent() const override;
    int Winner() const override;
    bool OtherLeft() const override;
    bool CanPause() const override { return false; }
    bool StartsFromLobby() const override { return false; }
    std::string OtherLabel() const override;
    const char* Picture() const override;
    void Leave() override {}

private:
    // The match being played again: a local one or a network one.
    const C_Match* Played() const;
    const C_NetMatch* Net() const;
    ReplayMode Mode() const { return watch.Watched().mode; }

    C_ReplayWatch watch;
    C_Well seen;
    std::vector<WellCell> pieces;
};
