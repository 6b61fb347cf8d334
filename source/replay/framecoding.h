#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "net/matchmessage.h"
#include "puzzle/round.h"

// Like frames of one side, in a row: the commands given in each, as letters
// in the order given (none for an empty string).
struct CommandRun {
    uint32_t count = 0;
    std::string letters;
};

// Like frames of the game time, in a row. A frame's update takes the time
// before it plus `value` ticks (STEP), takes none (HELD: the console's pause
// held it, the draw step still ran), or takes exactly the float whose bits
// are `value` (AT: a time no whole number of ticks reaches).
struct TimeRun {
    enum Kind : uint8_t { STEP, HELD, AT };
    Kind kind = STEP;
    uint32_t count = 0;
    uint32_t value = 0;
};

// What one side of a network match took from the other in a frame, besides
// its snapshots: an attack of `value` rows, the other's loss at `value`
// milliseconds of its game, the decision, or that the other left.
struct ReplayNews {
    enum Kind : uint8_t { ATTACK, LOSS, DECIDED, GONE };
    Kind kind = ATTACK;
    // The frame it was taken in, counted from 0.
    uint32_t frame = 0;
    uint32_t value = 0;
};

// A snapshot of the other's well as one side of a network match took it: its
// cells as the changes from the snapshot before (the empty well before the
// first), in the coding of EncodeCells.
struct ReplaySnapshot {
    uint32_t frame = 0;
    uint32_t gameTime = 0;
    uint32_t score = 0;
    uint8_t incoming = 0;
    std::string cells;
};

using SeenCells = std::array<uint8_t, C_MatchMessage::kCells>;

// Game time is kept in ticks so that the frames of a steady rate repeat:
// 75, 60, 120 and 150 frames a second are whole numbers of them.
constexpr int kTicksPerSecond = 1200;
// The most commands one frame of a replay may hold; a keyboard gives a few.
constexpr std::size_t kMaxFrameCommands = 16;

// A command's letter and back; false for a letter that is none.
char CommandLetter(RoundCommand command);
bool CommandOfLetter(char letter, RoundCommand& command);

// The time after `before` by `ticks`, exactly as every reader computes it.
float StepTime(float before, uint32_t ticks);

// Adds one frame at the end of the runs, in the run before when alike.
void AppendCommands(std::vector<CommandRun>& runs, const std::string& letters);
void AppendTime(std::vector<TimeRun>& runs, TimeRun::Kind kind, uint32_t value);
// The frame that updates at `gameTime` after an update at `before`: a step
// when one reproduces it bit for bit, else the time itself.
void AppendUpdate(std::vector<TimeRun>& runs, float before, float gameTime);

// Runs as text: each a count, then the frame's letters or '.' for none, so
// "40.3D1LD" is 40 frames without a command, 3 with D and one with L and D.
std::string EncodeCommands(const std::vector<CommandRun>& runs);
// Runs of time as words: "4500*16" frames of 16 ticks each, "3*h" held
// frames, "1@3c888889" a frame at the float of those bits.
std::string EncodeTimes(const std::vector<TimeRun>& runs);

// The cells of `after` that differ from `before`, in order: a count for
// cells alike, a letter for a cell's new value ('a' for 0, empty, to 'p' for
// 15), so "140aaaa8dddd" empties four cells after 140 and fills four after 8
// more.
std::string EncodeCells(const SeenCells& before, const SeenCells& after);
// Applies those changes to `cells`; false, with one line in `why`, when
// `text` is not such text, changing nothing.
bool ApplyCells(const std::string& text, SeenCells& cells, std::string& why);

// News and snapshots as words, each frame counted from the one before:
// "130a2 400a1 55l12345 3d" is an attack of 2 rows at frame 130, of 1 at
// 530, the other's loss at its 12,345th millisecond at 585 and the decision
// at 588 ('g' the other gone); "18/250/40/2/140aaaa8dddd" a snapshot 18
// frames, 250 ms and 40 points on from the one before, 2 rows waiting, and
// its cells. A field left empty is as before: the same steps of frames and
// time as the snapshot before took, no points, the same rows waiting.
std::string EncodeNews(const std::vector<ReplayNews>& news);
std::string EncodeSnapshots(const std::vector<ReplaySnapshot>& snapshots);
// Never a frame at or beyond `frames`; false, with one line in `why`, when
// `text` is not such words.
bool DecodeNews(const std::string& text, uint32_t frames, std::vector<ReplayNews>& news,
                std::string& why);
bool DecodeSnapshots(const std::string& text, uint32_t frames,
                     std::vector<ReplaySnapshot>& snapshots, std::string& why);

// The runs `text` holds, never more than `maxFrames` frames in all and never
// more runs than its bytes; false, with one line in `why`, when it is not
// such text.
bool DecodeCommands(const std::string& text, uint32_t maxFrames, std::vector<CommandRun>& runs,
                    std::string& why);
bool DecodeTimes(const std::string& text, uint32_t maxFrames, std::vector<TimeRun>& runs,
                 std::string& why);

// The frames the runs hold, in all.
template <typename Run>
uint64_t FramesIn(const std::vector<Run>& runs) {
    uint64_t frames = 0;
    for (const Run& run : runs) {
        frames += run.count;
    }
    return frames;
}
