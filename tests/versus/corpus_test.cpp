// The rules' guard: recorded single games and computer-against-computer
// matches, each kept as its seed, level and the commands of every frame with
// what it ended in (the frames played, the scores, the winner and a hash of
// each final well). Every one must play back to the same end. A change that
// moves any of them changes the rules: record the corpus anew in the same
// commit, from the repository root:
//   TUBRIX_RECORD_CORPUS=1 build/tests/tubrix_tests --gtest_filter='Corpus.*'

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "puzzle/gameboard.h"
#include "puzzle/round.h"
#include "puzzle/tetromino.h"
#include "puzzle/well.h"
#include "support/roundplayer.h"
#include "versus/match.h"
#include "versus/opponent.h"

namespace {

constexpr float kFrame = 1.0f / 75;
constexpr const char* kGamesFile = "tests/corpus/games.txt";
constexpr const char* kMatchesFile = "tests/corpus/matches.txt";
constexpr int kGames = 200;
constexpr int kMatches = 20;
// A game is cut after a minute, and its well then is its end; a match runs
// to its end, at most ten minutes.
constexpr int kGameFrames = 75 * 60;
constexpr int kMatchFrames = 75 * 600;
// A frame whose update the console's pause held: only its draw step ran.
constexpr char kHeld = 'H';

// Each command's letter, in the order of RoundCommand.
constexpr char kLetters[] = "LRCADSP";

char LetterOf(RoundCommand command) {
    return kLetters[command];
}

// The letters of each frame, in order.
using Frames = std::vector<std::string>;

// A round's record cut into frames at its draw steps; a frame without an
// update is marked held. Received rows are left out: the match makes them.
Frames FramesOf(const RoundRecord& record) {
    Frames frames;
    std::string frame;
    bool updated = false;
    for (const RoundInput& input : record.inputs) {
        switch (input.kind) {
            case RoundInput::COMMAND:
                frame += LetterOf(input.command);
                break;
            case RoundInput::UPDATE:
                updated = true;
                break;
            case RoundInput::DRAW_STEP:
                frames.push_back(updated ? frame : frame + kHeld);
                frame.clear();
                updated = false;
                break;
            case RoundInput::RECEIVE:
                break;
        }
    }
    return frames;
}

// Runs of like frames: a count, then the frame's letters or '.' for none;
// "40.3D1LD" is 40 frames without a command, 3 with D, one with L and D.
constexpr char kNoLetters = '.';

std::string Encode(const Frames& frames) {
    std::string out;
    for (size_t at = 0; at < frames.size();) {
        size_t run = 1;
        while (at + run < frames.size() && frames[at + run] == frames[at]) {
            run += 1;
        }
        out += std::to_string(run) + (frames[at].empty() ? std::string(1, kNoLetters) : frames[at]);
        at += run;
    }
    return out;
}

Frames Decode(const std::string& text) {
    Frames frames;
    for (size_t at = 0; at < text.size();) {
        size_t run = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0) {
            run = run * 10 + static_cast<size_t>(text[at++] - '0');
        }
        std::string frame;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) == 0) {
            frame += text[at++];
        }
        frames.insert(frames.end(), run, frame == std::string(1, kNoLetters) ? "" : frame);
    }
    return frames;
}

// FNV-1a over what the rules leave in the well: every cell's piece as the
// rules see it, the falling shape, the level and the rows cleared.
class WellHash {
public:
    explicit WellHash(const C_Round& round) {
        const C_GameBoard& board = *round.board;
        for (int x = 0; x < kBoardColumns; ++x) {
            for (int y = 0; y < kBoardRows; ++y) {
                const WellCell* piece = board.PieceAt(x, y);
                Add(piece != nullptr);
                if (piece != nullptr) {
                    AddPiece(*piece);
                }
            }
        }
        Add(round.mode);
        Add(board.level);
        Add(board.rowsCleared);
        if (const C_Tetromino* shape = round.currentShape.get()) {
            Add(shape->GetColumn());
            Add(shape->GetRow());
            for (int i = 0; i < shape->GetBoxSize(); ++i) {
                for (int j = 0; j < shape->GetBoxSize(); ++j) {
                    const WellCell* piece = shape->PieceInBox(i, j);
                    Add(piece != nullptr);
                    if (piece != nullptr) {
                        AddPiece(*piece);
                    }
                }
            }
        }
    }
    uint64_t Value() const { return value; }

private:
    void AddPiece(const WellCell& piece) {
        Add(piece.colourIndex);
        Add(piece.pipeShape);
        Add(piece.rotation);
        Add(piece.flowed);
        Add(piece.marked);
        Add(piece.onCycle);
        for (int d = 0; d < kDirections; ++d) {
            Add(Has(piece.connected, d) ? 1 : 0);
        }
    }
    void Add(int number) {
        auto bits = static_cast<uint32_t>(number);
        for (int byte = 0; byte < 4; ++byte) {
            value = (value ^ (bits & 0xFFu)) * 0x100000001B3ULL;
            bits >>= 8u;
        }
    }

    uint64_t value = 0xCBF29CE484222325ULL;
};

// Gives `round` one frame's commands; false when the frame's update is held.
bool Give(C_Round* round, const std::string& frame) {
    bool held = false;
    for (char letter : frame) {
        const char* found = std::strchr(kLetters, letter);
        if (letter == kHeld) {
            held = true;
        } else if (letter != '\0' && found != nullptr) {
            round->Command(static_cast<RoundCommand>(found - kLetters));
        } else {
            ADD_FAILURE() << "not a command: " << letter;
        }
    }
    return !held;
}

struct GameEntry {
    uint64_t seed = 0;
    int level = 0;
    int frames = 0;
    int score = 0;
    uint64_t hash = 0;
    std::string commands;
};

struct MatchEntry {
    uint64_t seed = 0;
    int level = 0;
    int frames = 0;
    int winner = kNoWinner;
    std::array<int, kMatchSides> scores{};
    std::array<uint64_t, kMatchSides> hashes{};
    std::array<std::string, kMatchSides> commands;
};

// A single game played back as the play screen drives one.
GameEntry PlayGame(uint64_t seed, int level, const Frames& frames) {
    RoundSettings settings;
    settings.seed = seed;
    settings.level = level;
    settings.quiet = true;
    C_Round round(settings);
    float gameTime = 0.0f;
    for (const std::string& frame : frames) {
        const bool update = Give(&round, frame);
        gameTime += kFrame;
        if (update) {
            round.Update(gameTime);
        }
        round.DrawStep();
    }
    return {
        seed, level, static_cast<int>(frames.size()), round.board->score, WellHash(round).Value(),
        ""};
}

// A match played back as the match screen drives one; both sides' frames
// are as many.
MatchEntry PlayMatch(uint64_t seed, int level, const std::array<Frames, kMatchSides>& frames) {
    C_Match match(MatchSettings{seed, level, true, {}});
    float gameTime = 0.0f;
    for (size_t frame = 0; frame < frames[0].size(); ++frame) {
        for (int side = 0; side < kMatchSides; ++side) {
            Give(&match.Round(side), frames[static_cast<size_t>(side)][frame]);
        }
        gameTime += kFrame;
        match.Update(gameTime);
        match.DrawStep();
    }
    MatchEntry entry;
    entry.seed = seed;
    entry.level = level;
    entry.frames = static_cast<int>(frames[0].size());
    entry.winner = match.winner;
    for (int side = 0; side < kMatchSides; ++side) {
        entry.scores[static_cast<size_t>(side)] = match.Round(side).board->score;
        entry.hashes[static_cast<size_t>(side)] = WellHash(match.Round(side)).Value();
    }
    return entry;
}

// Half the games press at random, half steer for full rows (with a shape in
// ten left to random presses), so flows, cycles and chains are played too.
GameEntry RecordGame(int index) {
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
    GameEntry entry = PlayGame(seed, settings.level, FramesOf(record));
    entry.commands = Encode(FramesOf(record));
    EXPECT_EQ(entry.hash, WellHash(round).Value()) << "game " << index << " plays back otherwise";
    return entry;
}

MatchEntry RecordMatch(int index) {
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
    const std::array<Frames, kMatchSides> frames = {FramesOf(records[0]), FramesOf(records[1])};
    MatchEntry entry = PlayMatch(seed, level, frames);
    for (int side = 0; side < kMatchSides; ++side) {
        entry.commands[static_cast<size_t>(side)] = Encode(frames[static_cast<size_t>(side)]);
    }
    EXPECT_EQ(entry.winner, match.winner) << "match " << index << " plays back otherwise";
    EXPECT_EQ(entry.hashes[0], WellHash(match.Round(SIDE_PLAYER)).Value()) << "match " << index;
    return entry;
}

bool Recording() {
    const char* value = std::getenv("TUBRIX_RECORD_CORPUS");
    return value != nullptr && std::string(value) == "1";
}

std::string Hex(uint64_t value) {
    std::ostringstream out;
    out << std::hex << value;
    return out.str();
}

// A corpus file's entries of `kind`, each the rest of its line.
std::vector<std::string> EntryLines(const char* path, const std::string& kind) {
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path << " (run from the repository root)";
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(kind + ' ', 0) == 0) {
            lines.push_back(line.substr(kind.size() + 1));
        }
    }
    return lines;
}

TEST(Corpus, EveryRecordedGamePlaysBackToItsEnd) {
    if (Recording()) {
        std::ofstream out(kGamesFile);
        out << "# game SEED LEVEL FRAMES SCORE WELL-HASH COMMANDS\n";
        for (int index = 0; index < kGames; ++index) {
            const GameEntry entry = RecordGame(index);
            out << "game " << entry.seed << ' ' << entry.level << ' ' << entry.frames << ' '
                << entry.score << ' ' << Hex(entry.hash) << ' ' << entry.commands << '\n';
        }
        ASSERT_TRUE(out.good()) << kGamesFile;
    }
    const std::vector<std::string> games = EntryLines(kGamesFile, "game");
    ASSERT_EQ(games.size(), size_t{kGames});
    int scored = 0;
    for (const std::string& line : games) {
        GameEntry recorded;
        std::istringstream(line) >> recorded.seed >> recorded.level >> recorded.frames >>
            recorded.score >> std::hex >> recorded.hash >> std::dec >> recorded.commands;
        const GameEntry played = PlayGame(recorded.seed, recorded.level, Decode(recorded.commands));
        EXPECT_EQ(played.frames, recorded.frames) << "seed " << recorded.seed;
        EXPECT_EQ(played.score, recorded.score) << "seed " << recorded.seed;
        EXPECT_EQ(played.hash, recorded.hash) << "seed " << recorded.seed;
        scored += recorded.score > 0 ? 1 : 0;
    }
    // A corpus of games that never score would guard nothing of the flow.
    EXPECT_GT(scored, kGames / 4);
}

TEST(Corpus, EveryRecordedComputerMatchPlaysBackToItsEnd) {
    if (Recording()) {
        std::ofstream out(kMatchesFile);
        out << "# match SEED LEVEL FRAMES WINNER SCORE SCORE WELL-HASH WELL-HASH COMMANDS "
               "COMMANDS\n";
        for (int index = 0; index < kMatches; ++index) {
            const MatchEntry entry = RecordMatch(index);
            out << "match " << entry.seed << ' ' << entry.level << ' ' << entry.frames << ' '
                << entry.winner << ' ' << entry.scores[0] << ' ' << entry.scores[1] << ' '
                << Hex(entry.hashes[0]) << ' ' << Hex(entry.hashes[1]) << ' ' << entry.commands[0]
                << ' ' << entry.commands[1] << '\n';
        }
        ASSERT_TRUE(out.good()) << kMatchesFile;
    }
    const std::vector<std::string> matches = EntryLines(kMatchesFile, "match");
    ASSERT_EQ(matches.size(), size_t{kMatches});
    for (const std::string& line : matches) {
        MatchEntry recorded;
        std::istringstream(line) >> recorded.seed >> recorded.level >> recorded.frames >>
            recorded.winner >> recorded.scores[0] >> recorded.scores[1] >> std::hex >>
            recorded.hashes[0] >> recorded.hashes[1] >> std::dec >> recorded.commands[0] >>
            recorded.commands[1];
        const std::array<Frames, kMatchSides> frames = {Decode(recorded.commands[0]),
                                                        Decode(recorded.commands[1])};
        ASSERT_EQ(frames[0].size(), frames[1].size()) << "seed " << recorded.seed;
        const MatchEntry played = PlayMatch(recorded.seed, recorded.level, frames);
        EXPECT_EQ(played.frames, recorded.frames) << "seed " << recorded.seed;
        EXPECT_NE(recorded.winner, kNoWinner) << "seed " << recorded.seed << " never ended";
        EXPECT_EQ(played.winner, recorded.winner) << "seed " << recorded.seed;
        EXPECT_EQ(played.scores, recorded.scores) << "seed " << recorded.seed;
        EXPECT_EQ(played.hashes, recorded.hashes) << "seed " << recorded.seed;
    }
}

}  // namespace
