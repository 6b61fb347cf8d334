// The rules' guard: recorded single games and computer-against-computer
// matches, each a replay file in tests/corpus/ with what it ended in (the
// scores, the winner and a hash of each final well). Every one must play
// back to the same end. A change that moves any of them changes the rules:
// bump kRulesVersion (puzzle/rulesversion.h) and record the corpus anew in
// the same commit, from the repository root:
//   TUBRIX_RECORD_CORPUS=1 build/tests/tubrix_tests --gtest_filter='Corpus.*'

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "replay/replay.h"
#include "replay/replayfile.h"
#include "replay/replayplayer.h"
#include "replay/replayshelf.h"
#include "replay/wellhash.h"
#include "support/roundplayer.h"
#include "versus/match.h"
#include "versus/opponent.h"

namespace {

constexpr float kFrame = 1.0f / 75;
constexpr const char* kCorpusFolder = "tests/corpus/";
constexpr int kGames = 200;
constexpr int kMatches = 20;
// A game is cut after a minute, and its well then is its end; a match runs
// to its end, at most ten minutes.
constexpr int kGameFrames = 75 * 60;
constexpr int kMatchFrames = 75 * 600;
// Recorded anew, a file is the same bytes.
constexpr const char* kCorpusDate = "2026-01-01 00:00:00";

std::string FileName(const char* kind, int index) {
    char number[8] = {};
    std::snprintf(number, sizeof number, "%03d", index);
    return std::string(kind) + "-" + number + C_ReplayShelf::kExtension;
}

// Half the games press at random, half steer for full rows (with a shape in
// ten left to random presses), so flows, cycles and chains are played too.
Replay RecordGame(int index) {
    const auto seed = static_cast<uint64_t>(index) * 7919u + 1u;
    RoundRecord record;
    RoundSettings settings;
    settings.seed = seed;
    settings.level = index % 10;
    settings.quiet = true;
    settings.record = &record;
    C_Round round(settings);
    RoundPlayer player(seed ^ 0x5EEDu, index % 2 == 1, kFrame);
    for (int frame = 0; frame < kGameFrames && player.Frame(round);) {
        ++frame;
    }
    return GameReplay(record, round, "corpus", kCorpusDate);
}

Replay RecordMatch(int index) {
    static constexpr OpponentStrength kPairs[][2] = {
        {STRENGTH_HARD, STRENGTH_HARD},
        {STRENGTH_MEDIUM, STRENGTH_HARD},
        {STRENGTH_EASY, STRENGTH_MEDIUM},
        {STRENGTH_HARD, STRENGTH_EASY},
    };
    const auto seed = static_cast<uint64_t>(index) * 104729u + 3u;
    const int level = 2 + index % 7;
    std::array<RoundRecord, kMatchSides> records;
    C_Match match(MatchSettings{seed, level, true, {&records[0], &records[1]}});
    // The start the match gave each round is the match's own, not a command.
    for (RoundRecord& record : records) {
        record.inputs.clear();
    }
    const auto& pair = kPairs[index % 4];
    C_Opponent left(pair[0]);
    C_Opponent right(pair[1]);
    float gameTime = 0.0f;
    for (int frame = 0; frame < kMatchFrames && !match.Over(); ++frame) {
        left.Play(&match.Round(SIDE_PLAYER), gameTime + kFrame, match.Incoming(SIDE_PLAYER));
        right.Play(&match.Round(SIDE_OPPONENT), gameTime + kFrame, match.Incoming(SIDE_OPPONENT));
        gameTime += kFrame;
        match.Update(gameTime);
        match.DrawStep();
    }
    return ComputerMatchReplay({&records[0], &records[1]}, match, pair[1], StrengthName(pair[0]),
                               kCorpusDate);
}

bool Recording() {
    const char* value = std::getenv("TUBRIX_RECORD_CORPUS");
    return value != nullptr && std::string(value) == "1";
}

void Write(const std::string& name, const Replay& replay) {
    std::ofstream out(kCorpusFolder + name, std::ios::binary);
    out << WriteReplay(replay);
    ASSERT_TRUE(out.good()) << name;
}

// The corpus's replays of `mode`, each played back to its end and checked.
std::vector<Replay> PlayCorpus(ReplayMode mode) {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpusFolder)) {
        if (entry.path().extension() == C_ReplayShelf::kExtension) {
            paths.push_back(entry.path());
        }
    }
    std::vector<Replay> played;
    for (const std::filesystem::path& path : paths) {
        Replay replay;
        std::string why;
        EXPECT_TRUE(ReadReplayFile(path.string(), replay, why)) << path << ": " << why;
        if (replay.mode != mode || !why.empty()) {
            continue;
        }
        C_ReplayPlayer player(replay);
        player.PlayToEnd();
        EXPECT_TRUE(player.EndsAsRecorded(why)) << path << ": " << why;
        played.push_back(std::move(replay));
    }
    return played;
}

TEST(Corpus, EveryRecordedGamePlaysBackToItsEnd) {
    if (Recording()) {
        for (int index = 0; index < kGames; ++index) {
            Write(FileName("game", index), RecordGame(index));
        }
    }
    const std::vector<Replay> games = PlayCorpus(REPLAY_GAME);
    ASSERT_EQ(games.size(), size_t{kGames});
    int scored = 0;
    for (const Replay& game : games) {
        scored += game.sides[0].score > 0 ? 1 : 0;
    }
    // A corpus of games that never score would guard nothing of the flow.
    EXPECT_GT(scored, kGames / 4);
}

TEST(Corpus, EveryRecordedComputerMatchPlaysBackToItsEnd) {
    if (Recording()) {
        for (int index = 0; index < kMatches; ++index) {
            Write(FileName("match", index), RecordMatch(index));
        }
    }
    const std::vector<Replay> matches = PlayCorpus(REPLAY_COMPUTER);
    ASSERT_EQ(matches.size(), size_t{kMatches});
    for (const Replay& match : matches) {
        EXPECT_NE(match.winner, kNoWinner) << "seed " << match.seed << " never ended";
    }
}

}  // namespace
