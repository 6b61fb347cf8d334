#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "replay/framecoding.h"
#include "replay/replay.h"
#include "replay/replayclock.h"
#include "replay/replayfile.h"
#include "replay/replayplayer.h"
#include "replay/replayshelf.h"
#include "replay/wellhash.h"
#include "support/userfolders.h"
#include "versus/matchagainstcomputer.h"
#include "versus/matchtwoplayers.h"
#include "versus/netmatch.h"
#include "versus/opponent.h"

namespace {

template <typename Run, typename Value>
std::vector<Value> Expand(const std::vector<Run>& runs,
                          const std::function<Value(const Run&)>& of) {
    std::vector<Value> frames;
    for (const Run& run : runs) {
        frames.insert(frames.end(), run.count, of(run));
    }
    return frames;
}

// The timer's game times as the frame limiter gives them: a 75th of a
// second and a few microseconds more, never the same twice, and now and
// then a frame late by milliseconds.
class JitteryTimer {
public:
    explicit JitteryTimer(unsigned seed) : random(seed) {}
    float Next() {
        const float late = random() % 200 == 0 ? 0.005f : 0.0f;
        time += 1.0f / 75 + late + std::uniform_real_distribution<float>(0.0f, 0.00003f)(random);
        return time;
    }

private:
    std::mt19937 random;
    float time = 3.25f;
};

TEST(ReplayFrames, RandomFramesComeBackFromTheirTextAsTheSameFramesAndTimes) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto roll = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
        const unsigned frames = roll(3000);
        std::vector<std::string> letters;
        std::vector<std::pair<int, uint32_t>> times;
        std::vector<CommandRun> commandRuns;
        std::vector<TimeRun> timeRuns;
        for (unsigned frame = 0; frame < frames; ++frame) {
            std::string given;
            for (unsigned n = roll(5) < 4 ? 0 : 1 + roll(3); n > 0; --n) {
                given += CommandLetter(static_cast<RoundCommand>(roll(COMMAND_PAUSE + 1)));
            }
            const unsigned kind = roll(10);
            const auto time = kind < 7   ? std::make_pair(int{TimeRun::STEP}, uint32_t{16})
                              : kind < 8 ? std::make_pair(int{TimeRun::STEP}, uint32_t{roll(40)})
                              : kind < 9 ? std::make_pair(int{TimeRun::HELD}, uint32_t{0})
                                         : std::make_pair(int{TimeRun::AT}, uint32_t(random()));
            letters.push_back(given);
            times.push_back(time);
            AppendCommands(commandRuns, given);
            AppendTime(timeRuns, static_cast<TimeRun::Kind>(time.first), time.second);
        }
        std::vector<CommandRun> commandsRead;
        std::vector<TimeRun> timesRead;
        std::string why;
        ASSERT_TRUE(DecodeCommands(EncodeCommands(commandRuns), frames, commandsRead, why)) << why;
        ASSERT_TRUE(DecodeTimes(EncodeTimes(timeRuns), frames, timesRead, why)) << why;
        const auto lettersOf = [](const CommandRun& run) { return run.letters; };
        EXPECT_EQ((Expand<CommandRun, std::string>(commandsRead, lettersOf)), letters);
        EXPECT_EQ((Expand<TimeRun, std::pair<int, uint32_t>>(
                      timesRead,
                      [](const TimeRun& run) { return std::make_pair(int{run.kind}, run.value); })),
                  times);
        // No more frames than the replay says.
        if (frames > 0) {
            EXPECT_FALSE(
                DecodeCommands(EncodeCommands(commandRuns), frames - 1, commandsRead, why));
            EXPECT_FALSE(DecodeTimes(EncodeTimes(timeRuns), frames - 1, timesRead, why));
        }

        // Any rising times, the replay clock's or the timer's own, come back
        // bit for bit; the clock's need no time of their own.
        C_ReplayClock clock;
        JitteryTimer timer(seed);
        for (bool ticked : {true, false}) {
            std::vector<float> updates;
            std::vector<TimeRun> runs;
            float before = 0.0f;
            for (unsigned frame = 0; frame < frames; ++frame) {
                updates.push_back(ticked ? clock.Advance(timer.Next()) : timer.Next());
                AppendUpdate(runs, before, updates.back());
                before = updates.back();
            }
            float time = 0.0f;
            std::vector<float> played;
            for (const TimeRun& run : runs) {
                EXPECT_TRUE(run.kind == TimeRun::STEP || !ticked);
                for (uint32_t i = 0; i < run.count; ++i) {
                    if (run.kind == TimeRun::AT) {
                        std::memcpy(&time, &run.value, sizeof time);
                    } else {
                        time = StepTime(time, run.value);
                    }
                    played.push_back(time);
                }
            }
            EXPECT_EQ(played, updates);
        }
    }
}

// A single game the computer plays, and a match it plays against itself, on
// the replay clock over the timer's uneven frames, the console's pause
// holding some; each replay is written, read back and played again.
class ReplayTest : public ::testing::Test {
protected:
    static constexpr const char* kDate = "2026-12-08 10:00:00";
    static constexpr int kMaxFrames = 75 * 60 * 10;

    static Replay ThroughItsFile(const Replay& replay, size_t* bytes) {
        const std::string text = WriteReplay(replay);
        *bytes = text.size();
        Replay read;
        std::string why;
        EXPECT_TRUE(ReadReplay(text, read, why)) << why;
        EXPECT_EQ(WriteReplay(read), text);
        return read;
    }

    static Replay PlayGame(uint64_t seed, C_Round** ended, std::unique_ptr<C_Round>& owner,
                           RoundRecord& record) {
        RoundSettings settings;
        settings.seed = seed;
        settings.level = 4;
        settings.quiet = true;
        settings.record = &record;
        owner = std::make_unique<C_Round>(settings);
        C_Round& round = *owner;
        round.Command(COMMAND_START);
        C_ReplayClock clock;
        JitteryTimer timer(static_cast<unsigned>(seed));
        C_Opponent player(STRENGTH_MEDIUM);
        for (int frame = 0; frame < kMaxFrames && round.mode != MODE_GAMEOVER; ++frame) {
            const float time = clock.Advance(timer.Next());
            player.Play(&round, time, 0);
            if (frame % 97 != 50) {
                round.Update(time);
            }
            round.DrawStep();
        }
        *ended = &round;
        return GameReplay(record, round, "Ada", kDate);
    }
};

TEST_F(ReplayTest, AGameAComputerMatchAndATwoPlayerMatchPlayBackFromTheirFilesToTheirEnds) {
    RoundRecord record;
    std::unique_ptr<C_Round> owner;
    C_Round* round = nullptr;
    size_t bytes = 0;
    const Replay game = ThroughItsFile(PlayGame(11, &round, owner, record), &bytes);
    C_ReplayPlayer gamePlayer(game);
    gamePlayer.PlayToEnd();
    std::string why;
    EXPECT_TRUE(gamePlayer.EndsAsRecorded(why)) << why;
    EXPECT_EQ(WellHash(gamePlayer.Round(0)), WellHash(*round));
    EXPECT_EQ(gamePlayer.Round(0).board->score, round->board->score);
    EXPECT_GT(round->board->score, 0);

    // Against the computer, and two players here (each played by the computer).
    C_MatchAgainstComputer computer(MatchSettings{21, 5, true, {}}, STRENGTH_MEDIUM);
    C_MatchTwoPlayers two(MatchSettings{22, 5, true, {}});
    for (C_MatchKind* kind :
         {static_cast<C_MatchKind*>(&computer), static_cast<C_MatchKind*>(&two)}) {
        SCOPED_TRACE(kind->OtherLabel());
        std::vector<C_Opponent> players = {C_Opponent(STRENGTH_HARD), C_Opponent(STRENGTH_MEDIUM)};
        C_ReplayClock clock;
        JitteryTimer timer(21);
        for (int frame = 0; frame < kMaxFrames && !kind->Over(); ++frame) {
            const float time = clock.Advance(timer.Next());
            for (int seat = 0; seat < kind->LocalSeats(); ++seat) {
                players[static_cast<size_t>(seat)].Play(&kind->SeatRound(seat), time,
                                                        kind->Incoming(seat));
            }
            kind->Update(time);
            kind->DrawStep();
        }
        ASSERT_TRUE(kind->Over());
        const C_Match& played = *kind->RecordedMatch();
        const auto& records = *kind->Records();
        const Replay match = ThroughItsFile(
            kind->LocalSeats() > 1
                ? TwoPlayersReplay({&records[0], &records[1]}, played, {"Ada", "Bo"}, kDate)
                : ComputerMatchReplay({&records[0], &records[1]}, played, STRENGTH_MEDIUM, "Ada",
                                      kDate),
            &bytes);
        C_ReplayPlayer matchPlayer(match);
        matchPlayer.PlayToEnd();
        EXPECT_TRUE(matchPlayer.EndsAsRecorded(why)) << why;
        EXPECT_EQ(matchPlayer.Match()->winner, kind->Winner());
        for (int side = 0; side < kMatchSides; ++side) {
            EXPECT_EQ(WellHash(matchPlayer.Round(side)), WellHash(played.Round(side)));
            EXPECT_EQ(matchPlayer.Round(side).board->score, played.Round(side).board->score);
        }
        // Both sides, at most 8 KB a minute.
        EXPECT_LE(static_cast<double>(bytes) / (match.Seconds() / 60.0), 8192.0);
    }
}

// Two computer players over links joined directly, each message on its way
// for a few frames: the reliable in order, snapshots in any order and one in
// ten lost. Each side's replay plays to what that side saw: its own well,
// the other's as last seen, and the result; a seek lands where playing
// straight there does.
TEST_F(ReplayTest, EachSideOfANetworkMatchReplaysFromItsFileToWhatItSaw) {
    struct Side {
        std::unique_ptr<C_MatchLink> link;
        // Messages on their way to this side: the frame each arrives at.
        std::vector<std::pair<int, std::vector<uint8_t>>> coming;
        int lastReliable = 0;
        NetMatchRecord record;
        std::unique_ptr<C_NetMatch> match;
        C_ReplayClock clock;
    };
    std::array<Side, 2> sides;
    std::mt19937 random(3);
    int frame = 0;
    for (int n = 0; n < 2; ++n) {
        Side& to = sides[static_cast<size_t>(1 - n)];
        sides[static_cast<size_t>(n)].link = std::make_unique<C_MatchLink>(
            n == 0 ? MatchRole::Host : MatchRole::Joiner,
            [&to, &random, &frame](const std::vector<uint8_t>& bytes, bool reliable) {
                int due = frame + 1 + static_cast<int>(random() % 6);
                if (reliable) {
                    due = to.lastReliable = std::max(due, to.lastReliable);
                } else if (random() % 10 == 0) {
                    return;
                }
                to.coming.emplace_back(due, bytes);
            });
    }
    const auto deliver = [&sides, &frame] {
        for (Side& side : sides) {
            // In the order sent, among those due.
            std::string fault;
            auto& coming = side.coming;
            for (auto it = coming.begin(); it != coming.end();) {
                if (it->first <= frame) {
                    ASSERT_TRUE(side.link->Receive(it->second, fault)) << fault;
                    it = coming.erase(it);
                } else {
                    ++it;
                }
            }
        }
    };
    ASSERT_TRUE(sides[0].link->Offer(41, 6));
    for (; sides[1].link->GetPhase() == C_MatchLink::Phase::Lobby && frame < 20; ++frame) {
        deliver();
        sides[1].link->Ready();
    }
    for (; sides[0].link->GetPhase() == C_MatchLink::Phase::Lobby && frame < 40; ++frame) {
        deliver();
    }
    ASSERT_EQ(sides[0].link->GetPhase(), C_MatchLink::Phase::Started);
    for (Side& side : sides) {
        side.match = std::make_unique<C_NetMatch>(*side.link, true, &side.record);
    }
    std::array<C_Opponent, 2> players = {C_Opponent(STRENGTH_HARD), C_Opponent(STRENGTH_MEDIUM)};
    JitteryTimer timer(41);
    for (; frame < kMaxFrames && !(sides[0].match->Over() && sides[1].match->Over()); ++frame) {
        ASSERT_NO_FATAL_FAILURE(deliver());
        const float now = timer.Next();
        for (size_t n = 0; n < sides.size(); ++n) {
            Side& side = sides[n];
            const float time = side.clock.Advance(now);
            players[n].Play(&side.match->Round(), time, side.match->Incoming());
            side.match->Update(time, side.link.get());
            side.match->DrawStep();
        }
    }
    ASSERT_TRUE(sides[0].match->Over() && sides[1].match->Over());
    EXPECT_NE(sides[0].match->winner, sides[1].match->winner);
    for (const Side& side : sides) {
        SCOPED_TRACE(side.match->role == MatchRole::Host ? "host" : "joiner");
        size_t bytes = 0;
        const Replay replay = ThroughItsFile(
            NetworkMatchReplay(side.record, *side.match, {"Ada", "Bo"}, kDate), &bytes);
        EXPECT_GT(replay.snapshots.size(), 10u);
        EXPECT_TRUE(std::any_of(replay.news.begin(), replay.news.end(), [](const ReplayNews& news) {
            return news.kind == ReplayNews::ATTACK;
        }));
        C_ReplayPlayer player(replay);
        player.PlayToEnd();
        std::string why;
        EXPECT_TRUE(player.EndsAsRecorded(why)) << why;
        const C_NetMatch& replayed = *player.NetMatch();
        EXPECT_EQ(WellHash(replayed.Round()), WellHash(side.match->Round()));
        EXPECT_EQ(replayed.Round().board->score, side.match->Round().board->score);
        EXPECT_EQ(SeenHash(&*replayed.PeerWell()), SeenHash(&*side.match->PeerWell()));
        EXPECT_EQ(replayed.winner, side.match->winner);
        EXPECT_EQ(replayed.rowsSent, side.match->rowsSent);

        C_ReplayPlayer seeking(replay);
        seeking.Index();
        for (const uint32_t target : {replay.frames / 3, replay.frames / 5, replay.frames - 1}) {
            C_ReplayPlayer straight(replay);
            while (straight.Frame() < target && straight.Step()) {
            }
            seeking.Seek(target);
            const auto seen = [](const C_ReplayPlayer& at) {
                const C_NetMatch& net = *at.NetMatch();
                return std::vector<uint64_t>{
                    WellHash(net.Round()), static_cast<uint64_t>(net.Incoming()),
                    SeenHash(net.PeerWell() ? &*net.PeerWell() : nullptr),
                    static_cast<uint64_t>(net.rowsSent), static_cast<uint64_t>(net.winner + 1)};
            };
            EXPECT_EQ(seen(seeking), seen(straight)) << target;
        }
    }
}

TEST_F(ReplayTest, AnotherRulesVersionAndEveryDamagedFileGiveOneLineEach) {
    RoundRecord record;
    std::unique_ptr<C_Round> owner;
    C_Round* round = nullptr;
    const std::string good = WriteReplay(PlayGame(5, &round, owner, record));
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string bytes = good;
        const size_t at = bytes.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
    };
    const std::string frames =
        "frames " + std::to_string(PlayGame(5, &round, owner, record).frames);
    struct Case {
        const char* what;
        std::string bytes;
        const char* line;
    };
    const Case cases[] = {
        {"other rules", replaced("rules 1\n", "rules 2\n"),
         "This replay was played under other rules (version 2; this game plays version 1) and "
         "cannot be shown."},
        {"empty", "", "This file is not a replay."},
        {"a picture", "\x89PNG\r\n\x1a\n", "This file is not a replay."},
        {"newer format", replaced("tubrix-replay 1", "tubrix-replay 3"),
         "This replay is from a newer version of the game."},
        {"cut short", good.substr(0, good.size() / 2), "The replay is damaged: it is cut short."},
        {"no end", replaced("end\n", ""), "The replay is damaged: it is cut short."},
        {"more after the end", good + "x\n", "The replay is damaged: there is more after its end."},
        {"more frames than played", replaced(frames, frames + "0"),
         "The replay is damaged: its time has fewer frames than it says."},
        {"a run beyond the frames", replaced("commands.0 ", "commands.0 4294967295."),
         "The replay is damaged: more frames than the replay says."},
        {"a letter that is no command", replaced("commands.0 ", "commands.0 1X"),
         "The replay is damaged: a run of commands without its letters."},
        {"no seed", replaced("seed 5\n", ""), "The replay is damaged: its seed is missing."},
        {"a mode newer than its format", replaced("mode game", "mode network"),
         "The replay is damaged: its mode is wrong."},
        {"a seed beyond 64 bits", replaced("seed 5\n", "seed 18446744073709551616\n"),
         "The replay is damaged: its seed is wrong."},
        {"a line twice", replaced("level 4\n", "level 4\nlevel 4\n"),
         "The replay is damaged: a line is not a field of it."},
    };
    for (const Case& c : cases) {
        Replay replay;
        std::string why;
        EXPECT_FALSE(ReadReplay(c.bytes, replay, why)) << c.what;
        EXPECT_EQ(why, c.line) << c.what;
    }
    // Cut anywhere, it is refused with a line and never read in part.
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        Replay replay;
        std::string why;
        EXPECT_FALSE(ReadReplay(good.substr(0, cut), replay, why)) << cut;
        EXPECT_FALSE(why.empty() || why.find('\n') != std::string::npos) << cut;
        EXPECT_TRUE(replay.sides.empty() && replay.times.empty()) << cut;
    }
}

// What a straight replay and a seeking one must agree on at a frame.
std::vector<uint64_t> Seen(const C_ReplayPlayer& player, int sides) {
    std::vector<uint64_t> seen = {player.Frame(), static_cast<uint64_t>(player.GameTime() * 1e6)};
    for (int side = 0; side < sides; ++side) {
        const C_Round& round = player.Round(side);
        seen.insert(seen.end(), {WellHash(round), static_cast<uint64_t>(round.board->score),
                                 round.incoming.size(), static_cast<uint64_t>(round.chain)});
    }
    if (const C_Match* match = player.Match()) {
        seen.insert(seen.end(), {static_cast<uint64_t>(match->winner + 1),
                                 static_cast<uint64_t>(match->Incoming(SIDE_PLAYER)),
                                 static_cast<uint64_t>(match->Incoming(SIDE_OPPONENT))});
    }
    return seen;
}

TEST(ReplaySeek, ASeekLandsOnTheFrameAStraightReplayReachesAndPlaysOnAlike) {
    for (const char* name : {"tests/corpus/game-001.tbreplay", "tests/corpus/match-003.tbreplay"}) {
        SCOPED_TRACE(name);
        Replay replay;
        std::string why;
        ASSERT_TRUE(ReadReplayFile(name, replay, why)) << why;
        C_ReplayPlayer seeking(replay);
        seeking.Index();
        EXPECT_GT(seeking.Keyframes(), 10u);
        EXPECT_EQ(seeking.Frame(), 0u);
        std::mt19937 random(7);
        std::vector<uint32_t> targets = {replay.frames, 1, replay.frames / 2, 0};
        for (int n = 0; n < 12; ++n) {
            targets.push_back(static_cast<uint32_t>(random() % (replay.frames + 1)));
        }
        for (uint32_t target : targets) {
            C_ReplayPlayer straight(replay);
            while (straight.Frame() < target && straight.Step()) {
            }
            seeking.Seek(target);
            ASSERT_EQ(Seen(seeking, replay.Sides()), Seen(straight, replay.Sides())) << target;
        }
        // From the last seek on, both play alike to the recorded end.
        seeking.PlayToEnd();
        EXPECT_TRUE(seeking.EndsAsRecorded(why)) << why;
    }
}

using ReplayShelfTest = UserFoldersTest;

TEST_F(ReplayShelfTest, TheNewestFiftyAndEveryNamedReplayAreKept) {
    C_ReplayShelf shelf = C_ReplayShelf::Player();
    ASSERT_EQ(shelf.Folder(), (DataFolder() / "replays").string() + "/");
    Replay replay;
    replay.sides.emplace_back();
    std::vector<std::string> names;
    std::set<std::string> named;
    for (int n = 0; n < C_ReplayShelf::kKept + 5; ++n) {
        // Two in one second get names of their own.
        replay.date = "2026-12-08 10:" + std::to_string(10 + n / 2) + ":00";
        std::string why;
        names.push_back(shelf.Keep(replay, named, why));
        ASSERT_TRUE(C_ReplayShelf::IsReplayName(names.back())) << names.back() << why;
        if (n == 1) {
            named.insert(names.back());
        }
    }
    EXPECT_EQ(names[0], "20261208-101000-game-00000000.tbreplay");
    EXPECT_EQ(names[1], "20261208-101000-game-00000000-2.tbreplay");
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(shelf.Folder())) {
        present.insert(entry.path().filename().string());
    }
    std::set<std::string> expected(names.end() - C_ReplayShelf::kKept, names.end());
    expected.insert(names[1]);
    EXPECT_EQ(present, expected);
}

}  // namespace
