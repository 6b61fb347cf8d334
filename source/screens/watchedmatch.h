#pragma once

#include <memory>
#include <string>

#include "puzzle/well.h"
#include "screens/replaywatch.h"
#include "versus/matchkind.h"

// A match's replay as the match screen drives a match: the rounds are the
// replay's, moved on by its watch once per drawn frame, and nothing the
// player presses reaches them.
class C_WatchedMatch : public C_MatchKind {
public:
    explicit C_WatchedMatch(Replay replay);

    C_ReplayWatch& Watch() { return watch; }

    void Update(float) override {}
    void DrawStep() override { watch.Advance(); }
    C_Round& PlayerRound() override { return Played().Round(SIDE_PLAYER); }
    // Watched, not played: the one seat only shows the recorded player.
    int LocalSeats() const override { return 1; }
    C_Round& SeatRound(int seat) override {
        (void)seat;
        return PlayerRound();
    }
    const C_Well& OtherWell() override;
    int OtherScore() const override;
    int Incoming(int side) const override { return Played().Incoming(side); }
    int Arrived(int side) const override;
    int RowsSent() const override { return Played().rowsSent[SIDE_PLAYER]; }
    int Winner() const override { return Played().winner; }
    bool OtherLeft() const override { return false; }
    bool CanPause() const override { return false; }
    bool StartsFromLobby() const override { return false; }
    std::string OtherLabel() const override;
    const char* Picture() const override { return "match.png"; }
    void Leave() override {}

private:
    C_Match& Played();
    const C_Match& Played() const;

    C_ReplayWatch watch;
    C_Well seen;
};
