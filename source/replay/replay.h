#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "puzzle/round.h"
#include "puzzle/rulesversion.h"
#include "replay/framecoding.h"
#include "versus/match.h"
#include "versus/matchsetup.h"
#include "versus/netmatch.h"

// What a replay records: a single game, a match against the computer or
// between two players at one machine (both sides' commands), or one side of
// a network match (its commands and what it took from the other side).
enum ReplayMode : uint8_t { REPLAY_GAME, REPLAY_COMPUTER, REPLAY_TWO_PLAYERS, REPLAY_NETWORK };

// One side of a replay: who played it, what it ended with and its commands.
// The other side of a network match has no commands, and ends with the last
// snapshot taken of it: its score, and its cells as SeenHash tells them.
struct ReplaySide {
    std::string name;
    int score = 0;
    // The well it ended with, as WellHash tells it.
    uint64_t hash = 0;
    std::vector<CommandRun> commands;
};

// A recorded game or match: all it takes to play it again bit for bit, and
// what it ended with to check it by. The side of a game is the player's; a
// match's are SIDE_PLAYER's and SIDE_OPPONENT's; a network match's, the
// recording machine's and the other's.
struct Replay {
    int rules = kRulesVersion;
    ReplayMode mode = REPLAY_GAME;
    // The computer's, in a match against it.
    OpponentStrength strength = STRENGTH_MEDIUM;
    // The recording side's, in a network match: its rows' seeds and who wins
    // a tie follow from it.
    MatchRole role = MatchRole::Host;
    int level = 0;
    uint64_t seed = 0;
    // When it ended, "YYYY-MM-DD HH:MM:SS" local time.
    std::string date;
    // A match's winner (SIDE_PLAYER, SIDE_OPPONENT or kDraw).
    int winner = kNoWinner;
    uint32_t frames = 0;
    std::vector<TimeRun> times;
    std::vector<ReplaySide> sides;
    // What the recording side of a network match took from the other, each
    // in frame order.
    std::vector<ReplayNews> news;
    std::vector<ReplaySnapshot> snapshots;

    int Sides() const { return mode == REPLAY_GAME ? 1 : kMatchSides; }
    // The sides whose commands it holds and plays.
    int PlayedSides() const {
        return mode == REPLAY_GAME || mode == REPLAY_NETWORK ? 1 : kMatchSides;
    }
    // The game seconds its updates cover.
    float Seconds() const;
};

// A replay far longer than any match: a few hours at 75 frames a second.
constexpr uint32_t kMaxReplayFrames = 75u * 60u * 60u * 8u;

// What the player's name is worth when none is known yet.
constexpr const char* kReplayPlayerName = "Player";

// The replay of a single game from its round's record and the round as it
// ends; `name` is the player's.
Replay GameReplay(const RoundRecord& record, const C_Round& round, const std::string& name,
                  const std::string& date);
// The replay of a match against the computer from both sides' records, kept
// from the match's start on (the start the match gives its rounds is its
// own), and the match as it ends.
Replay ComputerMatchReplay(const std::array<const RoundRecord*, kMatchSides>& records,
                           const C_Match& match, OpponentStrength strength, const std::string& name,
                           const std::string& date);

// The replay of a match between two players at this machine, from both
// sides' records as ComputerMatchReplay takes them; `names` each side's.
Replay TwoPlayersReplay(const std::array<const RoundRecord*, kMatchSides>& records,
                        const C_Match& match, const std::array<std::string, kMatchSides>& names,
                        const std::string& date);
// The replay of one side of a network match from what it recorded and the
// match as it ends; `names` this side's player's and the other's.
Replay NetworkMatchReplay(const NetMatchRecord& record, const C_NetMatch& match,
                          const std::array<std::string, kMatchSides>& names,
                          const std::string& date);

// The hash of the cells a snapshot tells; the empty well's without one.
uint64_t SeenHash(const C_MatchMessage* snapshot);

// `when` as a replay's date, in local time.
std::string ReplayDate(std::time_t when);

// The strength's name as the match screen shows it, and back.
const char* StrengthName(OpponentStrength strength);
bool StrengthOfName(const std::string& name, OpponentStrength& strength);
