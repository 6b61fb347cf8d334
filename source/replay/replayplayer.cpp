#include "replay/replayplayer.h"

#include <cstring>

#include "puzzle/gameboard.h"
#include "replay/wellhash.h"
#include "versus/match.h"

C_ReplayPlayer::C_ReplayPlayer(const Replay& given) : replay(given) {
    if (replay.mode == REPLAY_GAME) {
        RoundSettings settings;
        settings.seed = replay.seed;
        settings.level = replay.level;
        settings.quiet = true;
        round = std::make_unique<C_Round>(settings);
    } else {
        match = std::make_unique<C_Match>(MatchSettings{replay.seed, replay.level, true, {}});
    }
}

C_ReplayPlayer::~C_ReplayPlayer() = default;

template <typename Run>
const Run& C_ReplayPlayer::Next(const std::vector<Run>& runs, Cursor& cursor) {
    const Run& run = runs[cursor.run];
    cursor.used += 1;
    if (cursor.used == run.count) {
        cursor.run += 1;
        cursor.used = 0;
    }
    return run;
}

bool C_ReplayPlayer::Step() {
    if (AtEnd()) {
        return false;
    }
    for (int side = 0; side < replay.Sides(); ++side) {
        const auto index = static_cast<std::size_t>(side);
        const CommandRun& run = Next(replay.sides[index].commands, commands[index]);
        C_Round& into = match ? match->Round(side) : *round;
        for (char letter : run.letters) {
            RoundCommand command{};
            if (CommandOfLetter(letter, command)) {
                into.Command(command);
            }
        }
    }
    const TimeRun& step = Next(replay.times, time);
    if (step.kind == TimeRun::STEP) {
        gameTime = StepTime(gameTime, step.value);
    } else if (step.kind == TimeRun::AT) {
        std::memcpy(&gameTime, &step.value, sizeof gameTime);
    }
    if (match) {
        if (step.kind != TimeRun::HELD) {
            match->Update(gameTime);
        }
        match->DrawStep();
    } else {
        if (step.kind != TimeRun::HELD) {
            round->Update(gameTime);
        }
        round->DrawStep();
    }
    frame += 1;
    return true;
}

void C_ReplayPlayer::PlayToEnd() {
    while (Step()) {
    }
}

const C_Round& C_ReplayPlayer::Round(int side) const {
    return match ? match->Round(side) : *round;
}

bool C_ReplayPlayer::EndsAsRecorded(std::string& why) const {
    for (int side = 0; side < replay.Sides(); ++side) {
        const ReplaySide& recorded = replay.sides[static_cast<std::size_t>(side)];
        const C_Round& played = Round(side);
        if (played.board->score != recorded.score) {
            why = "side " + std::to_string(side) + " scored " +
                  std::to_string(played.board->score) + ", not " + std::to_string(recorded.score);
            return false;
        }
        if (WellHash(played) != recorded.hash) {
            why = "side " + std::to_string(side) + " ended with another well";
            return false;
        }
    }
    if (match && match->winner != replay.winner) {
        why = "the match was won by " + std::to_string(match->winner) + ", not " +
              std::to_string(replay.winner);
        return false;
    }
    return true;
}
