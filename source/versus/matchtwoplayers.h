#pragma once

#include <array>
#include <memory>
#include <string>

#include "puzzle/well.h"
#include "versus/match.h"
#include "versus/matchkind.h"

class C_BoardSounds;

// Two players at this machine: both rounds live, from one seed, each played
// from a seat of its own (seat N plays side N), with the match's rules as
// against the computer. Both are heard, and it can pause.
class C_MatchTwoPlayers : public C_MatchKind {
public:
    // Unless `settings` are quiet, the second round's flows sound as the
    // first's do.
    explicit C_MatchTwoPlayers(const MatchSettings& settings);
    ~C_MatchTwoPlayers() override;

    void Update(float gameTime) override { match.Update(gameTime); }
    void DrawStep() override { match.DrawStep(); }
    C_Round& PlayerRound() override { return match.Round(SIDE_PLAYER); }
    int LocalSeats() const override { return kMatchSides; }
    C_Round& SeatRound(int seat) override { return match.Round(seat); }
    const C_Well& OtherWell() override;
    int OtherScore() const override;
    int Incoming(int side) const override { return match.Incoming(side); }
    int Arrived(int side) const override;
    int RowsSent() const override {
        return match.rowsSent[SIDE_PLAYER] + match.rowsSent[SIDE_OPPONENT];
    }
    int Winner() const override { return match.winner; }
    bool OtherLeft() const override { return false; }
    bool CanPause() const override { return true; }
    bool StartsFromLobby() const override { return false; }
    std::string OtherLabel() const override { return "PLAYER 2"; }
    const char* Picture() const override { return "match_two.png"; }
    void Leave() override {}
    const C_Match* RecordedMatch() const override { return &match; }
    const std::array<RoundRecord, kMatchSides>* Records() const override { return &records; }

    // Before the match, which writes into them from its start.
    std::array<RoundRecord, kMatchSides> records;
    C_Match match;

private:
    std::unique_ptr<C_BoardSounds> flowSounds;
    C_Well seen;
};
