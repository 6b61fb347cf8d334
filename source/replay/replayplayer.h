#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "puzzle/roundsnapshot.h"
#include "replay/replay.h"
#include "versus/match.h"
#include "versus/netmatch.h"

class C_Round;

// Plays a replay again frame by frame, as the screen that recorded it drove
// its round or match: each side's commands, the update at the frame's game
// time unless held, the draw step. One side of a network match is played
// with what it took from the other in each frame handed to its update in
// place of a link's. The rounds are quiet; whoever shows them
// listens. The replay must outlive the player. It keeps a keyframe, a copy
// of the rounds, every kKeyframeSeconds of game time it plays, so that
// seeking back is a copy and a few seconds of play.
class C_ReplayPlayer {
public:
    explicit C_ReplayPlayer(const Replay& replay);
    // Plays a single game's replay into `round`, a fresh round of its seed
    // and level that a screen shows; the round must outlive the player.
    C_ReplayPlayer(const Replay& replay, C_Round* round);
    ~C_ReplayPlayer();
    C_ReplayPlayer(const C_ReplayPlayer&) = delete;
    C_ReplayPlayer& operator=(const C_ReplayPlayer&) = delete;

    // Plays the next frame; false when every frame was played already.
    bool Step();
    void PlayToEnd();

    // Plays the whole replay once for its keyframes, then goes back to its
    // start: any seek after that is quick.
    void Index();
    // Goes to the moment after `frame` frames (at most the last), exactly as
    // playing straight there reaches it.
    void Seek(uint32_t frame);
    std::size_t Keyframes() const { return keyframes.size(); }

    static constexpr float kKeyframeSeconds = 5.0f;

    // Frames played so far, and the game time of the last update.
    uint32_t Frame() const { return frame; }
    float GameTime() const { return gameTime; }
    bool AtEnd() const { return frame >= replay.frames; }

    // The round of a side it plays; the recording side's for any side of a
    // network match.
    const C_Round& Round(int side) const;
    // The match being played, or null for a single game or a network match.
    const C_Match* Match() const { return match.get(); }
    C_Match* Match() { return match.get(); }
    // The network match being played, or null for any other.
    const C_NetMatch* NetMatch() const { return net.get(); }
    C_NetMatch* NetMatch() { return net.get(); }

    // Whether the end reached is the one recorded (each side's score and
    // well, a match's winner); false with what differs in `why`.
    bool EndsAsRecorded(std::string& why) const;

private:
    // Where one line of runs is read from.
    struct Cursor {
        std::size_t run = 0;
        uint32_t used = 0;
    };
    template <typename Run>
    static const Run& Next(const std::vector<Run>& runs, Cursor& cursor);
    struct Keyframe {
        uint32_t frame = 0;
        float gameTime = 0.0f;
        Cursor time;
        std::array<Cursor, kMatchSides> commands{};
        std::optional<RoundSnapshot> round;
        std::optional<MatchSnapshot> match;
        std::optional<NetMatchSnapshot> net;
        std::size_t news = 0;
        uint32_t attacks = 0;
        std::size_t snapshots = 0;
        SeenCells seen{};
    };
    void Keep();
    void Restore(const Keyframe& keyframe);
    // What the network match took in this frame, in the order taken:
    // snapshots, attacks and the other's loss, then the decision or that the
    // other left, after which it takes nothing more.
    const std::vector<C_MatchLink::Event>& Heard(bool taken);

    const Replay& replay;
    std::unique_ptr<C_Round> ownRound;
    // The single game's round, its own or a screen's.
    C_Round* round = nullptr;
    std::unique_ptr<C_Match> match;
    std::unique_ptr<C_NetMatch> net;
    // The next news and snapshot of a network match, and the cells of the
    // last snapshot, which the next one's changes apply to.
    std::size_t news = 0;
    // Attacks taken so far: the link numbers them from 1.
    uint32_t attacks = 0;
    std::size_t snapshots = 0;
    SeenCells seen{};
    std::vector<C_MatchLink::Event> heard;
    Cursor time;
    std::array<Cursor, kMatchSides> commands{};
    uint32_t frame = 0;
    float gameTime = 0.0f;
    // In the order of their frames, the first at the start.
    std::vector<Keyframe> keyframes;
};
