// Replays headless: every replay of the corpus (tests/corpus/, run from the
// repository root) read and played to its end, as fast as one core plays
// them. Prints the game-seconds played per wall-second, and the bytes per
// minute of game time of each kind of replay, with matches between two
// players here and over the network (both played by the computer, the
// network's over two links joined in this process) recorded for the kinds
// the corpus lacks. Then a 30-minute game the
// computer plays is recorded on the replay clock, indexed for its keyframes,
// and sought at random: the seek's p50, p99 and worst.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "audio/wave.h"
#include "platform/prompt.h"
#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "replay/replay.h"
#include "replay/replayclock.h"
#include "replay/replayfile.h"
#include "replay/replayplayer.h"
#include "replay/replayshelf.h"
#include "unattended.h"
#include "versus/matchtwoplayers.h"
#include "versus/netmatch.h"
#include "versus/opponent.h"

namespace {

using Clock = std::chrono::steady_clock;

struct KindFigures {
    std::vector<double> bytesPerMinute;
    double seconds = 0.0;
};

constexpr int kLongFrames = 75 * 60 * 30;
constexpr int kMatchFrames = 75 * 60 * 15;
constexpr int kRecordedMatches = 4;
constexpr const char* kDate = "2026-12-08 12:00:00";

// The timer as the frame limiter gives it: a 75th of a second and a few
// microseconds more in each frame.
class Timer {
public:
    explicit Timer(unsigned seed) : random(seed) {}
    float Next() {
        time += 1.0f / 75 + std::uniform_real_distribution<float>(0.0f, 0.00002f)(random);
        return time;
    }

private:
    std::mt19937 random;
    float time = 0.0f;
};
constexpr int kSeeks = 2000;

// Thirty minutes of a single game the hard computer plays at level 0, on
// the replay clock over a timer a few microseconds late in each frame; the
// frames before it topped out in `alive`.
Replay LongGame(uint32_t* alive) {
    RoundRecord record;
    RoundSettings settings;
    settings.seed = 30;
    settings.quiet = true;
    settings.record = &record;
    C_Round round(settings);
    round.Command(COMMAND_START);
    C_Opponent player(STRENGTH_HARD);
    C_ReplayClock clock;
    std::mt19937 random(30);
    float timer = 0.0f;
    int frame = 0;
    for (; frame < kLongFrames; ++frame) {
        timer += 1.0f / 75 + std::uniform_real_distribution<float>(0.0f, 0.00002f)(random);
        const float time = clock.Advance(timer);
        if (round.mode != MODE_GAMEOVER) {
            player.Play(&round, time, 0);
            *alive = static_cast<uint32_t>(frame);
        }
        round.Update(time);
        round.DrawStep();
    }
    return GameReplay(record, round, "HARD", "2026-12-08 12:00:00");
}

// A match between two players here, a hard and a medium computer.
Replay TwoPlayersMatch(uint64_t seed) {
    C_MatchTwoPlayers match(MatchSettings{seed, 4, true, {}});
    std::array<C_Opponent, kMatchSides> players = {C_Opponent(STRENGTH_HARD),
                                                   C_Opponent(STRENGTH_MEDIUM)};
    C_ReplayClock clock;
    Timer timer(static_cast<unsigned>(seed));
    for (int frame = 0; frame < kMatchFrames && !match.Over(); ++frame) {
        const float time = clock.Advance(timer.Next());
        for (int seat = 0; seat < kMatchSides; ++seat) {
            players[static_cast<size_t>(seat)].Play(&match.SeatRound(seat), time,
                                                    match.Incoming(seat));
        }
        match.Update(time);
        match.DrawStep();
    }
    return TwoPlayersReplay({&match.records[0], &match.records[1]}, match.match, {"A", "B"}, kDate);
}

// A network match between a hard and a medium computer, each message
// arriving the frame after it was sent: both sides' replays.
std::array<Replay, kMatchSides> NetworkMatch(uint64_t seed) {
    struct Side {
        std::unique_ptr<C_MatchLink> link;
        std::vector<std::vector<uint8_t>> coming;
        NetMatchRecord record;
        std::unique_ptr<C_NetMatch> match;
    };
    std::array<Side, kMatchSides> sides;
    for (int n = 0; n < kMatchSides; ++n) {
        auto& to = sides[static_cast<size_t>(OtherSide(n))].coming;
        sides[static_cast<size_t>(n)].link = std::make_unique<C_MatchLink>(
            n == 0 ? MatchRole::Host : MatchRole::Joiner,
            [&to](const std::vector<uint8_t>& bytes, bool) { to.push_back(bytes); });
    }
    const auto deliver = [&sides] {
        for (Side& side : sides) {
            std::string fault;
            for (const auto& bytes : side.coming) {
                side.link->Receive(bytes, fault);
            }
            side.coming.clear();
        }
    };
    sides[0].link->Offer(seed, 4);
    deliver();
    sides[1].link->Ready();
    deliver();
    for (Side& side : sides) {
        side.match = std::make_unique<C_NetMatch>(*side.link, true, &side.record);
    }
    std::array<C_Opponent, kMatchSides> players = {C_Opponent(STRENGTH_HARD),
                                                   C_Opponent(STRENGTH_MEDIUM)};
    C_ReplayClock clock;
    Timer timer(static_cast<unsigned>(seed));
    for (int frame = 0; frame < kMatchFrames && !(sides[0].match->Over() && sides[1].match->Over());
         ++frame) {
        deliver();
        const float time = clock.Advance(timer.Next());
        for (size_t n = 0; n < sides.size(); ++n) {
            C_NetMatch& match = *sides[n].match;
            players[n].Play(&match.Round(), time, match.Incoming());
            match.Update(time, sides[n].link.get());
            match.DrawStep();
        }
    }
    return {NetworkMatchReplay(sides[0].record, *sides[0].match, {"A", "B"}, kDate),
            NetworkMatchReplay(sides[1].record, *sides[1].match, {"B", "A"}, kDate)};
}

void AddSize(KindFigures& kind, const Replay& replay) {
    kind.seconds += replay.Seconds();
    kind.bytesPerMinute.push_back(static_cast<double>(WriteReplay(replay).size()) /
                                  (replay.Seconds() / 60.0));
}

// Random seeks over the first `frames` frames; the milliseconds each took,
// sorted.
std::vector<double> Seeks(C_ReplayPlayer& player, uint32_t frames, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<double> seeks;
    for (int n = 0; n < kSeeks; ++n) {
        const auto target = static_cast<uint32_t>(random() % (frames + 1));
        const Clock::time_point start = Clock::now();
        player.Seek(target);
        seeks.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(seeks.begin(), seeks.end());
    return seeks;
}

void PrintSeeks(const char* where, const std::vector<double>& seeks) {
    std::printf("%d random seeks %s: p50 %.2f ms, p99 %.2f ms, worst %.2f ms\n", kSeeks, where,
                seeks[seeks.size() / 2], seeks[seeks.size() * 99 / 100], seeks.back());
}

void MeasureSeeks() {
    uint32_t alive = 0;
    const Replay replay = LongGame(&alive);
    C_ReplayPlayer player(replay);
    Clock::time_point start = Clock::now();
    player.Index();
    const double index = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "a %.0f-minute game (played for %.1f minutes, %zu bytes): indexed in %.0f ms, "
        "%zu keyframes\n",
        replay.Seconds() / 60.0, alive / 75.0 / 60.0, WriteReplay(replay).size(), index * 1000.0,
        player.Keyframes());
    // A seek plays at most a keyframe's distance: the frames in play cost
    // the most, the minutes after the game ended the least.
    PrintSeeks("over the whole replay", Seeks(player, replay.frames, 31));
    PrintSeeks("while the game was in play", Seeks(player, alive, 32));
}

}  // namespace

int main(int argc, char** argv) {
    const int& reports = RunUnattended();
    const std::string folder = argc > 1 ? argv[1] : "tests/corpus";
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == C_ReplayShelf::kExtension) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::map<std::string, KindFigures> kinds;
    double played = 0.0;
    double wall = 0.0;
    int failed = 0;
    for (const auto& path : paths) {
        Replay replay;
        std::string why;
        if (!ReadReplayFile(path.string(), replay, why)) {
            std::printf("%s: %s\n", path.c_str(), why.c_str());
            ++failed;
            continue;
        }
        const Clock::time_point start = Clock::now();
        C_ReplayPlayer player(replay);
        player.PlayToEnd();
        wall += std::chrono::duration<double>(Clock::now() - start).count();
        failed += player.EndsAsRecorded(why) ? 0 : 1;
        const double seconds = replay.Seconds();
        played += seconds;
        KindFigures& kind = kinds[replay.mode == REPLAY_GAME ? "single game" : "computer match"];
        kind.seconds += seconds;
        kind.bytesPerMinute.push_back(static_cast<double>(std::filesystem::file_size(path)) /
                                      (seconds / 60.0));
    }
    std::printf("%zu replays, %.0f game-seconds in %.2f s: %.0f game-seconds per wall-second\n",
                paths.size(), played, wall, played / wall);
    for (int n = 0; n < kRecordedMatches; ++n) {
        const auto seed = static_cast<uint64_t>(n) * 7907u + 5u;
        AddSize(kinds["two players here"], TwoPlayersMatch(seed));
        for (const Replay& side : NetworkMatch(seed)) {
            AddSize(kinds["network match, one side"], side);
        }
    }
    for (auto& [name, kind] : kinds) {
        std::sort(kind.bytesPerMinute.begin(), kind.bytesPerMinute.end());
        const auto& sizes = kind.bytesPerMinute;
        std::printf("%s: %zu replays, %.0f game-minutes, bytes a minute: median %.0f, max %.0f\n",
                    name.c_str(), sizes.size(), kind.seconds / 60.0, sizes[sizes.size() / 2],
                    sizes.back());
    }
    MeasureSeeks();
    if (failed > 0) {
        std::printf("%d replays did not read or did not end as recorded\n", failed);
    }
    if (reports > 0) {
        std::printf("(%d error reports answered No)\n", reports);
    }
    ReleaseAllWaves();
    platform::SetPromptHook(nullptr);
    return failed == 0 ? 0 : 1;
}
