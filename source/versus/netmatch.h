#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "net/matchlink.h"
#include "puzzle/roundsnapshot.h"
#include "versus/match.h"

// What one side of a network match took from the other, frame by frame, and
// the game time of each frame: with its own round's record, all its replay
// needs to show the match again as this side saw it.
struct NetMatchRecord {
    struct Heard {
        // The frame it was taken in, counted from 0.
        uint32_t frame = 0;
        C_MatchLink::Event event;
    };
    RoundRecord round;
    // Each frame's update time; none for a frame without an update.
    std::vector<std::optional<float>> frames;
    std::vector<Heard> heard;
    // The update of the frame under way.
    std::optional<float> updated;
};

// Everything one side of a network match is at one moment, as a value.
struct NetMatchSnapshot {
    RoundSnapshot round;
    std::vector<Attack> waiting;
    CascadeCredit credit;
    std::optional<C_MatchMessage> peerWell;
    MatchEnd end;
    bool ended = false;
    C_MatchClock clock;
    float nextSnapshot = 0.0f;
    int winner = kNoWinner;
    bool peerGone = false;
    int rowsSent = 0;
};

// A match over the network, seen from one side: this side's round, played
// here, and the other side's well as its snapshots show it. The rows this
// side's cascades earn cancel the rows waiting for it first, as in a match on
// one machine, and the rest travel as attacks; an attack that comes waits in
// the meter and then pushes in the same junk rows a match on one machine
// would, the host playing the first side. The match is decided when the link
// has both sides' ends, by the losses both machines heard, so they agree.
class C_NetMatch {
public:
    // Game seconds between snapshots of this side's well: enough for the
    // other's view to look live, a few hundred bytes a second.
    static constexpr float kSnapshotPeriod = 0.25f;
    // Rows on their way to this side are kept up to a well's depth: more
    // could only top it out, and one landing pushes in no more.
    static constexpr int kMaxIncoming = C_MatchMessage::kRows;

    // The match the link has begun: its seed and level, this side's role.
    // `quiet` as MatchSettings'.
    // `quiet` as MatchSettings'. Takes down what it plays and hears in
    // `record`, if given.
    C_NetMatch(const C_MatchLink& link, bool quiet, NetMatchRecord* record = nullptr);
    // The same match played again from its record, with no link: `role` is
    // the side the record was taken on.
    C_NetMatch(uint64_t seed, int level, MatchRole role, bool quiet,
               NetMatchRecord* record = nullptr);

    // Takes the link's news, then moves this side's round to `gameTime` and
    // sends what it earned: attacks, snapshots, and its loss or that it
    // outlasted the other's. A link gone, or back in its lobby (another
    // player in place of this match's), ends the match as this side's win.
    void Update(float gameTime, C_MatchLink* link);
    // A frame of a replay: the news this side took in it, as recorded, then
    // this side's round as Update moves it; what it would send goes nowhere.
    void Replayed(float gameTime, const std::vector<C_MatchLink::Event>& heard);
    void DrawStep();
    // This side ends the match early by losing now (the player left it).
    void Forfeit(C_MatchLink* link);

    C_Round& Round() { return *round; }
    const C_Round& Round() const { return *round; }
    // Rows on their way to this side: waiting, and arrived but not yet in.
    int Incoming() const;
    // The other side's newest snapshot; none before the first.
    const std::optional<C_MatchMessage>& PeerWell() const { return peerWell; }
    bool Over() const { return winner != kNoWinner; }
    // The other side has topped out and sends nothing more.
    bool PeerEnded() const { return end.losses[SIDE_OPPONENT].has_value(); }
    // Milliseconds of this side's game since the match began, up to the
    // longest a message carries.
    uint32_t Millis() const;

    uint64_t seed;
    MatchRole role;
    // SIDE_PLAYER (this side) or SIDE_OPPONENT once decided.
    int winner = kNoWinner;
    // The other side left or was dropped before the match was decided.
    bool peerGone = false;
    int rowsSent = 0;
    // A test that runs the game faster than the clock sends fewer.
    float snapshotPeriod = kSnapshotPeriod;

    // This side's well, its score and incoming rows, for the other's view.
    static C_MatchMessage Snapshot(const C_Round& round, int incoming, uint32_t millis);

    // The match as a value, and back to it: seeking in a replay.
    NetMatchSnapshot Keep() const;
    void Restore(const NetMatchSnapshot& snapshot);

private:
    void Take(const C_MatchLink::Event& event, float gameTime);
    // Moves the round and sends what it earned through `link`; with none
    // (a replay) every send is taken as made, as the link makes each one
    // the match asks for while it plays.
    void Play(float gameTime, C_MatchLink* link);
    void Lose(C_MatchLink* link);
    void Heard(const C_MatchLink::Event& event);
    void PeerLeft();

    std::unique_ptr<C_Round> round;
    // Attacks from the other side.
    std::vector<Attack> waiting;
    CascadeCredit credit;
    std::optional<C_MatchMessage> peerWell;
    // Each side's loss in milliseconds of its game, whether the other left,
    // and the host's side winning a tie.
    MatchEnd end;
    // This side has sent its loss or that it outlasted the other.
    bool ended = false;
    C_MatchClock clock;
    float nextSnapshot = 0.0f;
    NetMatchRecord* record = nullptr;
};

// A snapshot's well drawn with `pieces`, one a colour (SnapshotPieces());
// empty without a snapshot.
std::vector<WellCell> SnapshotPieces();
void DrawSnapshot(const C_MatchMessage* snapshot, const std::vector<WellCell>& pieces,
                  C_Well* seen);
