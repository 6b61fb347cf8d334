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
    Replay replay;
    replay.mode = REPLAY_COMPUTER;
    replay.strength = strength;
    replay.level = records[SIDE_PLAYER]->level;
    replay.seed = match.seed;
    replay.date = date;
    replay.winner = match.winner;
    // Both rounds update at one time in every frame.
    replay.times = TimesOf(*records[SIDE_PLAYER]);
    replay.sides.push_back(SideOf(*records[SIDE_PLAYER], match.Round(SIDE_PLAYER), name));
    replay.sides.push_back(
        SideOf(*records[SIDE_OPPONENT], match.Round(SIDE_OPPONENT), StrengthName(strength)));
    replay.frames = static_cast<uint32_t>(FramesIn(replay.times));
    return replay;
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
