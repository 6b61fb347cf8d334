#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "versus/match.h"
#include "versus/matchsetup.h"

class C_Net;
class C_NetMatch;
class C_Well;
struct NetMatchRecord;

// A match as its screen drives it, whoever plays the other side: the
// player's round, what is seen of the other's, the rows on their way to each
// side, and who won. A kind of match answers for itself whatever differs
// (its picture, the label of the other side, whether it can pause), so the
// screen never asks which kind it has.
class C_MatchKind {
public:
    virtual ~C_MatchKind() = default;

    // The match against the computer or the second player at this machine,
    // or the network's when `setup` asks for it and `net`'s link has begun
    // one.
    static std::unique_ptr<C_MatchKind> Start(const MatchSetup& setup, C_Net* net);

    // Moves the match to `gameTime`, the game time the match runs on (a held
    // match's time held out); nothing moves once it is over.
    virtual void Update(float gameTime) = 0;
    virtual void DrawStep() = 0;
    // The round this machine's player plays: it takes the player's commands.
    virtual C_Round& PlayerRound() = 0;
    // How many players play at this machine: 1, or 2 when both sides are
    // played here. Seat 0 is the player; seat N plays side N.
    virtual int LocalSeats() const = 0;
    // The round seat `seat` plays (seat 0's is PlayerRound()).
    virtual C_Round& SeatRound(int seat) = 0;
    // The other side's well as this side sees it: its grid with the falling
    // shape's cells laid in, or the grid a snapshot tells; its `boardAlpha`
    // is how opaque its flowed pieces are.
    virtual const C_Well& OtherWell() = 0;
    virtual int OtherScore() const = 0;
    // Rows on their way to `side` (SIDE_PLAYER or SIDE_OPPONENT), and of
    // those the rows arrived and waiting for its next landing.
    virtual int Incoming(int side) const = 0;
    virtual int Arrived(int side) const = 0;
    // The rows the players at this machine have sent so far.
    virtual int RowsSent() const = 0;
    // SIDE_PLAYER, SIDE_OPPONENT or kDraw once over; kNoWinner until then.
    virtual int Winner() const = 0;
    bool Over() const { return Winner() != kNoWinner; }
    // The other player left before the match was decided.
    virtual bool OtherLeft() const = 0;
    // Whether the pause key can hold the match.
    virtual bool CanPause() const = 0;
    // Whether the next match starts from the versus screen's lobby rather
    // than straight from the result, and leaving goes back there.
    virtual bool StartsFromLobby() const = 0;
    // Who plays the other side, as the screen names it.
    virtual std::string OtherLabel() const = 0;
    // The match screen's picture.
    virtual const char* Picture() const = 0;
    // The player leaves the match: a match that can be lost by it is.
    virtual void Leave() = 0;
    // Whether anyone at this machine plays it: of a match only watched, the
    // keys move nothing and the only one heard is the one that leaves.
    virtual bool PlayedHere() const { return true; }
    // Who plays `seat`, where the screen names each seat's player rather
    // than the device that plays it; empty where it does not.
    virtual std::string SeatName(int seat) const {
        (void)seat;
        return "";
    }
    // The match played on this machine and what each side's round took,
    // kept from the match's start for its replay; null for a kind that
    // keeps none.
    virtual const C_Match* RecordedMatch() const { return nullptr; }
    virtual const std::array<RoundRecord, kMatchSides>* Records() const { return nullptr; }
    // A network match played on this machine and what this side played and
    // heard in it, for its replay; null for the other kinds.
    virtual const C_NetMatch* RecordedNetMatch() const { return nullptr; }
    virtual const NetMatchRecord* NetRecord() const { return nullptr; }
};
