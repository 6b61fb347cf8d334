#pragma once

#include "puzzle/well.h"
#include "versus/matchkind.h"
#include "versus/opponent.h"

// A match against the computer on this machine: both rounds live, the
// computer's played by an opponent of the chosen strength.
class C_MatchAgainstComputer : public C_MatchKind {
public:
    C_MatchAgainstComputer(const MatchSettings& settings, OpponentStrength strength);

    void Update(float gameTime) override;
    void DrawStep() override { match.DrawStep(); }
    C_Round& PlayerRound() override { return match.Round(SIDE_PLAYER); }
    int LocalSeats() const override { return 1; }
    C_Round& SeatRound(int seat) override {
        (void)seat;
        return PlayerRound();
    }
    const C_Well& OtherWell() override;
    int OtherScore() const override;
    int Incoming(int side) const override { return match.Incoming(side); }
    int Arrived(int side) const override;
    int RowsSent() const override { return match.rowsSent[SIDE_PLAYER]; }
    int Winner() const override { return match.winner; }
    bool OtherLeft() const override { return false; }
    bool CanPause() const override { return true; }
    bool StartsFromLobby() const override { return false; }
    std::string OtherLabel() const override;
    const char* Picture() const override { return "match.png"; }
    void Leave() override {}
    const C_Match* RecordedMatch() const override { return &match; }
    const std::array<RoundRecord, kMatchSides>* Records() const override { return &records; }

    // Before the match, which writes into them from its start.
    std::array<RoundRecord, kMatchSides> records;
    C_Match match;
    C_Opponent opponent;
    OpponentStrength strength;

private:
    C_Well seen;
};
