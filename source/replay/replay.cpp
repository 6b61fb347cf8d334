#include "replay/replay.h"

#include <cstring>
#include <iterator>

#include "puzzle/gameboard.h"
#include "replay/wellhash.h"

namespace {

constexpr const char* kStrengthNames[] = {"EASY", "MEDIUM", "HARD"};

// The commands of `record`, cut into frames at its draw steps; received rows
// are left out, as the match makes them again.
std::vector<CommandRun> CommandsOf(const RoundRecord& record) {
    std::vector<CommandRun> runs;
    std::string letters;
    for (const RoundInput& input : record.inputs) {
        if (input.kind == RoundInput::COMMAND) {
            letters += CommandLetter(input.command);
        } else if (input.kind == RoundInput::DRAW_STEP) {
            AppendCommands(runs, letters);
            letters.clear();
        }
    }
    return runs;
}

// The game time of each frame of `record`: its update's, or held.
std::vector<TimeRun> TimesOf(const RoundRecord& record) {
    std::vector<TimeRun> runs;
    float before = 0.0f;
    bool updated = false;
    for (const RoundInput& input : record.inputs) {
        if (input.kind == RoundInput::UPDATE) {
            AppendUpdate(runs, before, input.gameTime);
            before = input.gameTime;
            updated = true;
        } else if (input.kind == RoundInput::DRAW_STEP) {
            if (!updated) {
                AppendTime(runs, TimeRun::HELD, 0);
            }
            updated = false;
        }
    }
    return runs;
}

ReplaySide SideOf(const RoundRecord& record, const C_Round& round, const std::string& name) {
    ReplaySide side;
    side.name = name;
    side.score = round.board->score;
    side.hash = WellHash(round);
    side.commands = CommandsOf(record);
    return side;
}

// A match of two rounds on this machine: both sides' commands, and the
// times of the first, as both rounds update at one time in every frame.
Replay LocalMatchReplay(const std::array<const RoundRecord*, kMatchSides>& records,
                        const C_Match& match, const std::array<std::string, kMatchSides>& names,
                        const std::string& date) {
    Replay replay;
    replay.level = records[SIDE_PLAYER]->level;
    replay.seed = match.seed;
    replay.date = date;
    replay.winner = match.winner;
    replay.times = TimesOf(*records[SIDE_PLAYER]);
    for (int side = 0; side < kMatchSides; ++side) {
        const auto at = static_cast<std::size_t>(side);
        replay.sides.push_back(SideOf(*records[at], match.Round(side), names[at]));
    }
    replay.frames = static_cast<uint32_t>(FramesIn(replay.times));
    return replay;
}

}  // namespace

float Replay::Seconds() const {
    float time = 0.0f;
    for (const TimeRun& run : times) {
        for (uint32_t i = 0; run.kind == TimeRun::STEP && i < run.count; ++i) {
            time = StepTime(time, run.value);
        }
        if (run.kind == TimeRun::AT) {
            std::memcpy(&time, &run.value, sizeof time);
        }
    }
    return time;
}

Replay GameReplay(const RoundRecord& record, const C_Round& round, const std::string& name,
                  const std::string& date) {
    Replay replay;
    replay.mode = REPLAY_GAME;
    replay.level = record.level;
    replay.seed = record.seed;
    replay.date = date;
    replay.times = TimesOf(record);
    replay.sides.push_back(SideOf(record, round, name));
    replay.frames = static_cast<uint32_t>(FramesIn(replay.times));
    return replay;
}

Replay ComputerMatchReplay(const std::array<const RoundRecord*, kMatchSides>& records,
                           const C_Match& match, OpponentStrength strength, const std::string& name,
                           const std::string& date) {
    Replay replay = LocalMatchReplay(records, match, {name, StrengthName(strength)}, date);
    replay.mode = REPLAY_COMPUTER;
    replay.strength = strength;
    return replay;
}

Replay TwoPlayersReplay(const std::array<const RoundRecord*, kMatchSides>& records,
                        const C_Match& match, const std::array<std::string, kMatchSides>& names,
                        const std::string& date) {
    Replay replay = LocalMatchReplay(records, match, names, date);
    replay.mode = REPLAY_TWO_PLAYERS;
    return replay;
}

Replay NetworkMatchReplay(const NetMatchRecord& record, const C_NetMatch& match,
                          const std::array<std::string, kMatchSides>& names,
                          const std::string& date) {
    Replay replay;
    replay.mode = REPLAY_NETWORK;
    replay.role = match.role;
    replay.level = record.round.level;
    replay.seed = match.seed;
    replay.date = date;
    replay.winner = match.winner;
    float before = 0.0f;
    for (const std::optional<float>& update : record.frames) {
        if (update) {
            AppendUpdate(replay.times, before, *update);
            before = *update;
        } else {
            AppendTime(replay.times, TimeRun::HELD, 0);
        }
    }
    replay.sides.push_back(SideOf(record.round, match.Round(), names[SIDE_PLAYER]));
    SeenCells seen{};
    for (const NetMatchRecord::Heard& heard : record.heard) {
        const C_MatchMessage& message = heard.event.message;
        switch (heard.event.kind) {
            case C_MatchLink::Event::SNAPSHOT: {
                ReplaySnapshot snapshot{heard.frame, message.gameTime, message.score,
                                        message.incoming, EncodeCells(seen, message.cells)};
                replay.snapshots.push_back(std::move(snapshot));
                seen = message.cells;
                break;
            }
            case C_MatchLink::Event::ATTACK:
                replay.news.push_back({ReplayNews::ATTACK, heard.frame, message.rows});
                break;
            case C_MatchLink::Event::PEER_LOSS:
                replay.news.push_back({ReplayNews::LOSS, heard.frame, message.gameTime});
                break;
            case C_MatchLink::Event::DECIDED:
                replay.news.push_back({ReplayNews::DECIDED, heard.frame, 0});
                break;
            case C_MatchLink::Event::PEER_GONE:
                replay.news.push_back({ReplayNews::GONE, heard.frame, 0});
                break;
            case C_MatchLink::Event::OFFERED:
            case C_MatchLink::Event::BEGAN:
                // The lobby's: nothing of the match.
                break;
        }
    }
    ReplaySide other;
    other.name = names[SIDE_OPPONENT];
    const std::optional<C_MatchMessage>& last = match.PeerWell();
    other.score = last ? static_cast<int>(last->score) : 0;
    other.hash = SeenHash(last ? &*last : nullptr);
    replay.sides.push_back(other);
    replay.frames = static_cast<uint32_t>(FramesIn(replay.times));
    return replay;
}

uint64_t SeenHash(const C_MatchMessage* snapshot) {
    // FNV-1a over the cells.
    uint64_t hash = 0xCBF29CE484222325ULL;
    for (std::size_t cell = 0; cell < C_MatchMessage::kCells; ++cell) {
        hash = (hash ^ (snapshot != nullptr ? snapshot->cells[cell] : 0u)) * 0x100000001B3ULL;
    }
    return hash;
}

const char* StrengthName(OpponentStrength strength) {
    const auto index = static_cast<std::size_t>(strength);
    return index < std::size(kStrengthNames) ? kStrengthNames[index] : kStrengthNames[0];
}

bool StrengthOfName(const std::string& name, OpponentStrength& strength) {
    for (std::size_t i = 0; i < std::size(kStrengthNames); ++i) {
        if (name == kStrengthNames[i]) {
            strength = static_cast<OpponentStrength>(i);
            return true;
        }
    }
    return false;
}

std::string ReplayDate(std::time_t when) {
    std::tm local{};
    char text[32] = {};
    if (localtime_r(&when, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
        return "2000-01-01 00:00:00";
    }
    return text;
}
