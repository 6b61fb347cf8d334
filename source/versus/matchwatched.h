#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/net.h"
#include "puzzle/round.h"
#include "puzzle/well.h"
#include "versus/matchend.h"
#include "versus/matchkind.h"

// A room at a relay, watched: both players' wells side by side as their
// snapshots show them (the room's maker on the left), their names and scores,
// the level the match began at, and the result once both ends are known.
// Nothing here plays: the keys move nothing, it cannot pause, and leaving
// leaves the room. A new match in the room starts the view over.
class C_MatchWatched : public C_MatchKind {
public:
    // The room `net` watches.
    explicit C_MatchWatched(C_Net& net);
    ~C_MatchWatched() override;

    // Takes the room's news.
    void Update(float gameTime) override;
    void DrawStep() override {}
    C_Round& PlayerRound() override { return *rounds[SIDE_PLAYER]; }
    int LocalSeats() const override { return kMatchSides; }
    C_Round& SeatRound(int seat) override;
    const C_Well& OtherWell() override;
    int OtherScore() const override;
    int Incoming(int side) const override;
    // A snapshot tells the rows on their way, not which have come.
    int Arrived(int side) const override {
        (void)side;
        return 0;
    }
    int RowsSent() const override { return 0; }
    int Winner() const override { return winner; }
    bool OtherLeft() const override { return end.left[SIDE_OPPONENT]; }
    bool CanPause() const override { return false; }
    bool StartsFromLobby() const override { return true; }
    std::string OtherLabel() const override { return SeatName(SIDE_OPPONENT); }
    const char* Picture() const override { return "match_two.png"; }
    void Leave() override;
    bool PlayedHere() const override { return false; }
    std::string SeatName(int seat) const override;

    // The snapshots seen of `seat`'s well since the view began.
    uint32_t SnapshotsSeen(int seat) const;

private:
    void Take(const C_Net::Watched& news);
    void Show(int seat, const C_MatchMessage& snapshot);
    void StartOver(int level);

    C_Net& net;
    std::array<std::unique_ptr<C_Round>, kMatchSides> rounds;
    std::array<std::string, kMatchSides> names;
    std::array<int, kMatchSides> incoming{};
    std::array<uint32_t, kMatchSides> snapshots{};
    // Each side's end: its loss, that it outlasted the other's, or that it left.
    std::array<bool, kMatchSides> ended{};
    MatchEnd end;
    int winner = kNoWinner;
    // One piece of each colour, as a snapshot tells colours only.
    std::vector<WellCell> pieces;
};
