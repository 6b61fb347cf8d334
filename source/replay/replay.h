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

// What a replay records: a single game, or a match against the computer (two
// players at one machine and over the network are yet to come).
enum ReplayMode : uint8_t { REPLAY_GAME, REPLAY_COMPUTER };

// One side of a replay: who played it, what it ended with and its commands.
struct ReplaySide {
    std::string name;
    int score = 0;
    // The well it ended with, as WellHash tells it.
    uint64_t hash = 0;
    std::vector<CommandRun> commands;
};

// A recorded game or match: all it takes to play it again bit for bit, and
// what it ended with to check it by. The side of a game is the player's; a
// match's are SIDE_PLAYER's and SIDE_OPPONENT's.
struct Replay {
    int rules = kRulesVersion;
    ReplayMode mode = REPLAY_GAME;
    // The computer's, in a match against it.
    OpponentStrength strength = STRENGTH_MEDIUM;
    int level = 0;
    uint64_t seed = 0;
    // When it ended, "YYYY-MM-DD HH:MM:SS" local time.
    std::string date;
    // A match's winner (SIDE_PLAYER, SIDE_OPPONENT or kDraw).
    int winner = kNoWinner;
    uint32_t frames = 0;
    std::vector<TimeRun> times;
    std::vector<ReplaySide> sides;

    int Sides() const { return mode == REPLAY_GAME ? 1 : kMatchSides; }
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

// `when` as a replay's date, in local time.
std::string ReplayDate(std::time_t when);

// The strength's name as the match screen shows it, and back.
const char* StrengthName(OpponentStrength strength);
bool StrengthOfName(const std::string& name, OpponentStrength& strength);
