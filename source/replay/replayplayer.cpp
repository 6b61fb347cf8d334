#include "replay/replayplayer.h"

#include <algorithm>
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
        ownRound = std::make_unique<C_Round>(settings);
        round = ownRound.get();
    } else if (replay.mode == REPLAY_NETWORK) {
        net = std::make_unique<C_NetMatch>(replay.seed, replay.level, replay.role, true);
    } else {
        match = std::make_unique<C_Match>(MatchSettings{replay.seed, replay.level, true, {}});
    }
    Keep();
}

C_ReplayPlayer::C_ReplayPlayer(const Replay& given, C_Round* into) : replay(given), round(into) {
    Keep();
}

void C_ReplayPlayer::Keep() {
    Keyframe keyframe;
    keyframe.frame = frame;
    keyframe.gameTime = gameTime;
    keyframe.time = time;
    keyframe.commands = commands;
    if (match) {
        keyframe.match = match->Snapshot();
    } else if (net) {
        keyframe.net = net->Keep();
        keyframe.news = news;
        keyframe.attacks = attacks;
        keyframe.snapshots = snapshots;
        keyframe.seen = seen;
    } else {
        keyframe.round = round->Snapshot();
    }
    keyframes.push_back(std::move(keyframe));
}

void C_ReplayPlayer::Restore(const Keyframe& keyframe) {
    frame = keyframe.frame;
    gameTime = keyframe.gameTime;
    time = keyframe.time;
    commands = keyframe.commands;
    if (match) {
        match->Restore(*keyframe.match);
    } else if (net) {
        net->Restore(*keyframe.net);
        news = keyframe.news;
        attacks = keyframe.attacks;
        snapshots = keyframe.snapshots;
        seen = keyframe.seen;
    } else {
        // A screen's round keeps its listeners and its text measure.
        round->Restore(*keyframe.round);
    }
}

void C_ReplayPlayer::Index() {
    Seek(keyframes.back().frame);
    PlayToEnd();
    Seek(0);
}

void C_ReplayPlayer::Seek(uint32_t target) {
    target = std::min(target, replay.frames);
    // The last keyframe at or before the target; from there, or from here
    // when here is nearer, play on.
    auto from =
        std::upper_bound(keyframes.begin(), keyframes.end(), target,
                         [](uint32_t at, const Keyframe& keyframe) { return at < keyframe.frame; });
    --from;
    if (frame > target || frame < from->frame) {
        Restore(*from);
    }
    while (frame < target && Step()) {
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
    for (int side = 0; side < replay.PlayedSides(); ++side) {
        const auto index = static_cast<std::size_t>(side);
        const CommandRun& run = Next(replay.sides[index].commands, commands[index]);
        C_Round& into = match ? match->Round(side) : net ? net->Round() : *round;
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
    } else if (net) {
        // A frame without an update took nothing.
        const std::vector<C_MatchLink::Event>& taken = Heard(step.kind != TimeRun::HELD);
        if (step.kind != TimeRun::HELD) {
            net->Replayed(gameTime, taken);
        }
        net->DrawStep();
    } else {
        if (step.kind != TimeRun::HELD) {
            round->Update(gameTime);
        }
        round->DrawStep();
    }
    frame += 1;
    const float due = kKeyframeSeconds * static_cast<float>(keyframes.size());
    if (frame > keyframes.back().frame && gameTime >= due) {
        Keep();
    }
    return true;
}

const std::vector<C_MatchLink::Event>& C_ReplayPlayer::Heard(bool taken) {
    heard.clear();
    C_MatchLink::Event event;
    for (; snapshots < replay.snapshots.size() && replay.snapshots[snapshots].frame <= frame;
         ++snapshots) {
        const ReplaySnapshot& snapshot = replay.snapshots[snapshots];
        std::string why;
        // Read whole already: the changes apply.
        ApplyCells(snapshot.cells, seen, why);
        event.kind = C_MatchLink::Event::SNAPSHOT;
        event.message.kind = C_MatchMessage::SNAPSHOT;
        event.message.gameTime = snapshot.gameTime;
        event.message.score = snapshot.score;
        event.message.incoming = snapshot.incoming;
        event.message.cells = seen;
        heard.push_back(event);
    }
    // Attacks are numbered from 1 in the order taken.
    event.message = C_MatchMessage{};
    for (; news < replay.news.size() && replay.news[news].frame <= frame; ++news) {
        const ReplayNews& told = replay.news[news];
        event.message.kind = C_MatchMessage::ATTACK;
        switch (told.kind) {
            case ReplayNews::ATTACK:
                event.kind = C_MatchLink::Event::ATTACK;
                event.message.rows = static_cast<uint8_t>(told.value);
                event.message.sequence = ++attacks;
                break;
            case ReplayNews::LOSS:
                event.kind = C_MatchLink::Event::PEER_LOSS;
                event.message.kind = C_MatchMessage::LOSS;
                event.message.gameTime = told.value;
                break;
            case ReplayNews::DECIDED:
                event.kind = C_MatchLink::Event::DECIDED;
                break;
            case ReplayNews::GONE:
                event.kind = C_MatchLink::Event::PEER_GONE;
                break;
        }
        heard.push_back(event);
    }
    if (!taken) {
        heard.clear();
    }
    return heard;
}

void C_ReplayPlayer::PlayToEnd() {
    while (Step()) {
    }
}

const C_Round& C_ReplayPlayer::Round(int side) const {
    return match ? match->Round(side) : net ? net->Round() : *round;
}

bool C_ReplayPlayer::EndsAsRecorded(std::string& why) const {
    if (net) {
        const std::optional<C_MatchMessage>& last = net->PeerWell();
        const ReplaySide& other = replay.sides[SIDE_OPPONENT];
        if ((last ? static_cast<int>(last->score) : 0) != other.score ||
            SeenHash(last ? &*last : nullptr) != other.hash) {
            why = "the other side was last seen otherwise";
            return false;
        }
        if (net->winner != replay.winner) {
            why = "the match was won by " + std::to_string(net->winner) + ", not " +
                  std::to_string(replay.winner);
            return false;
        }
    }
    for (int side = 0; side < replay.PlayedSides(); ++side) {
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
