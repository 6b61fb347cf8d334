#include "replay/framecoding.h"

#include <algorithm>
#include <cstring>

namespace {

// Each command's letter, in the order of RoundCommand.
constexpr char kLetters[] = "LRCADSP";
constexpr char kNoLetters = '.';
constexpr char kStepMark = '*';
constexpr char kAtMark = '@';
constexpr char kHeldMark = 'h';
constexpr char kFirstCell = 'a';
constexpr char kNewsLetters[] = "aldg";
constexpr char kSnapshotMark = '/';
// A count or a step beyond this is no replay of ours.
constexpr uint64_t kMaxNumber = 0xFFFFFFFFu;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal without sign from `at`, at most kMaxNumber; false when none.
bool ReadNumber(const std::string& text, std::size_t& at, uint32_t& out) {
    uint64_t value = 0;
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + static_cast<uint64_t>(text[at] - '0');
        if (value > kMaxNumber || at - start > 10) {
            return false;
        }
        ++at;
    }
    out = static_cast<uint32_t>(value);
    return at > start;
}

// Adds `count` frames to `total`, or false when that passes `maxFrames`.
bool Count(uint64_t& total, uint32_t count, uint32_t maxFrames, std::string& why) {
    total += count;
    if (count == 0 || total > maxFrames) {
        why = count == 0 ? "a run of no frames" : "more frames than the replay says";
        return false;
    }
    return true;
}

// A decimal with an optional '-' from `at`.
bool ReadSigned(const std::string& text, std::size_t& at, int64_t& out) {
    const bool negative = at < text.size() && text[at] == '-';
    at += negative ? 1 : 0;
    uint32_t magnitude = 0;
    if (!ReadNumber(text, at, magnitude)) {
        return false;
    }
    out = negative ? -int64_t{magnitude} : int64_t{magnitude};
    return true;
}

// Past the space after a word, or at the end; false for anything else, or a
// space that ends the text.
bool NextWord(const std::string& text, std::size_t& at) {
    if (at == text.size()) {
        return true;
    }
    if (text[at] != ' ' || at + 1 == text.size()) {
        return false;
    }
    ++at;
    return true;
}

// `before` moved on by `delta` frames, within `frames`.
bool FrameAfter(uint32_t before, uint32_t delta, uint32_t frames, uint32_t& out) {
    const uint64_t frame = uint64_t{before} + delta;
    out = static_cast<uint32_t>(frame);
    return frame < frames;
}

bool IsHex(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f');
}

uint32_t HexValue(const std::string& text) {
    uint32_t value = 0;
    for (char c : text) {
        value = value * 16 + static_cast<uint32_t>(IsDigit(c) ? c - '0' : c - 'a' + 10);
    }
    return value;
}

std::string Hex(uint32_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return out;
}

uint32_t BitsOf(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

char CommandLetter(RoundCommand command) {
    return command < sizeof kLetters - 1 ? kLetters[command] : '?';
}

bool CommandOfLetter(char letter, RoundCommand& command) {
    const char* found = letter == '\0' ? nullptr : std::strchr(kLetters, letter);
    if (found == nullptr) {
        return false;
    }
    command = static_cast<RoundCommand>(found - kLetters);
    return true;
}

float StepTime(float before, uint32_t ticks) {
    return before + static_cast<float>(ticks) / static_cast<float>(kTicksPerSecond);
}

void AppendCommands(std::vector<CommandRun>& runs, const std::string& letters) {
    if (!runs.empty() && runs.back().letters == letters) {
        runs.back().count += 1;
    } else {
        runs.push_back({1, letters});
    }
}

void AppendTime(std::vector<TimeRun>& runs, TimeRun::Kind kind, uint32_t value) {
    if (!runs.empty() && runs.back().kind == kind && runs.back().value == value) {
        runs.back().count += 1;
    } else {
        runs.push_back({kind, 1, value});
    }
}

void AppendUpdate(std::vector<TimeRun>& runs, float before, float gameTime) {
    const double ticks = (static_cast<double>(gameTime) - before) * kTicksPerSecond;
    if (ticks >= 0.0 && ticks < static_cast<double>(kMaxNumber)) {
        const auto near = static_cast<uint32_t>(ticks + 0.5);
        for (uint32_t tried : {near, near - 1, near + 1}) {
            if (tried <= near + 1 && StepTime(before, tried) == gameTime) {
                AppendTime(runs, TimeRun::STEP, tried);
                return;
            }
        }
    }
    AppendTime(runs, TimeRun::AT, BitsOf(gameTime));
}

std::string EncodeCommands(const std::vector<CommandRun>& runs) {
    std::string out;
    for (const CommandRun& run : runs) {
        out += std::to_string(run.count);
        out += run.letters.empty() ? std::string(1, kNoLetters) : run.letters;
    }
    return out;
}

std::string EncodeTimes(const std::vector<TimeRun>& runs) {
    std::string out;
    for (const TimeRun& run : runs) {
        if (!out.empty()) {
            out += ' ';
        }
        out += std::to_string(run.count);
        switch (run.kind) {
            case TimeRun::STEP:
                out += kStepMark + std::to_string(run.value);
                break;
            case TimeRun::HELD:
                out += std::string(1, kStepMark) + kHeldMark;
                break;
            case TimeRun::AT:
                out += kAtMark + Hex(run.value);
                break;
        }
    }
    return out;
}

bool DecodeCommands(const std::string& text, uint32_t maxFrames, std::vector<CommandRun>& runs,
                    std::string& why) {
    runs.clear();
    uint64_t total = 0;
    for (std::size_t at = 0; at < text.size();) {
        CommandRun run;
        if (!ReadNumber(text, at, run.count)) {
            why = "a run of commands without its count";
            return false;
        }
        if (!Count(total, run.count, maxFrames, why)) {
            return false;
        }
        if (at < text.size() && text[at] == kNoLetters) {
            ++at;
        } else {
            RoundCommand command{};
            while (at < text.size() && CommandOfLetter(text[at], command)) {
                run.letters += text[at++];
            }
            if (run.letters.empty() || run.letters.size() > kMaxFrameCommands) {
                why = run.letters.empty() ? "a run of commands without its letters"
                                          : "a frame of too many commands";
                return false;
            }
        }
        if (at < text.size() && !IsDigit(text[at])) {
            why = "a command that is none";
            return false;
        }
        runs.push_back(std::move(run));
    }
    return true;
}

bool DecodeTimes(const std::string& text, uint32_t maxFrames, std::vector<TimeRun>& runs,
                 std::string& why) {
    runs.clear();
    uint64_t total = 0;
    why = "a time that is not a count and a step";
    for (std::size_t at = 0; at < text.size(); ++at) {
        TimeRun run;
        if (!ReadNumber(text, at, run.count) || at >= text.size()) {
            return false;
        }
        const char mark = text[at++];
        if (mark == kStepMark && at < text.size() && text[at] == kHeldMark) {
            run.kind = TimeRun::HELD;
            ++at;
        } else if (mark == kStepMark) {
            run.kind = TimeRun::STEP;
            if (!ReadNumber(text, at, run.value)) {
                return false;
            }
        } else if (mark == kAtMark) {
            run.kind = TimeRun::AT;
            const std::size_t start = at;
            while (at < text.size() && IsHex(text[at]) && at - start < 8) {
                ++at;
            }
            if (at == start) {
                return false;
            }
            run.value = HexValue(text.substr(start, at - start));
        } else {
            return false;
        }
        if (at < text.size() && text[at] != ' ') {
            return false;
        }
        if (!Count(total, run.count, maxFrames, why)) {
            return false;
        }
        runs.push_back(run);
    }
    why.clear();
    return true;
}

std::string EncodeCells(const SeenCells& before, const SeenCells& after) {
    std::string out;
    uint32_t alike = 0;
    for (std::size_t cell = 0; cell < after.size(); ++cell) {
        if (after[cell] == before[cell]) {
            ++alike;
            continue;
        }
        if (alike > 0) {
            out += std::to_string(alike);
            alike = 0;
        }
        out += static_cast<char>(kFirstCell + std::min<int>(after[cell], C_MatchMessage::kMaxCell));
    }
    return out;
}

bool ApplyCells(const std::string& text, SeenCells& cells, std::string& why) {
    SeenCells changed = cells;
    std::size_t cell = 0;
    for (std::size_t at = 0; at < text.size();) {
        uint32_t count = 0;
        if (IsDigit(text[at])) {
            if (text[at] == '0' || !ReadNumber(text, at, count) || count > changed.size() - cell) {
                why = "a snapshot's cells beyond its well";
                return false;
            }
            cell += count;
        } else if (text[at] >= kFirstCell && text[at] <= kFirstCell + C_MatchMessage::kMaxCell &&
                   cell < changed.size()) {
            changed[cell++] = static_cast<uint8_t>(text[at++] - kFirstCell);
        } else {
            why = "a snapshot's cell that is none";
            return false;
        }
    }
    cells = changed;
    return true;
}

std::string EncodeNews(const std::vector<ReplayNews>& news) {
    std::string out;
    uint32_t before = 0;
    for (const ReplayNews& heard : news) {
        if (!out.empty()) {
            out += ' ';
        }
        out += std::to_string(heard.frame - before) + kNewsLetters[heard.kind];
        before = heard.frame;
        if (heard.kind == ReplayNews::ATTACK || heard.kind == ReplayNews::LOSS) {
            out += std::to_string(heard.value);
        }
    }
    return out;
}

std::string EncodeSnapshots(const std::vector<ReplaySnapshot>& snapshots) {
    std::string out;
    ReplaySnapshot before;
    // The steps from the snapshot before it; a field alike is left empty.
    uint32_t frameStep = 0;
    int64_t timeStep = 0;
    for (const ReplaySnapshot& snapshot : snapshots) {
        if (!out.empty()) {
            out += ' ';
        }
        const uint32_t frames = snapshot.frame - before.frame;
        const int64_t time = int64_t{snapshot.gameTime} - int64_t{before.gameTime};
        const int64_t score = int64_t{snapshot.score} - int64_t{before.score};
        out += frames == frameStep ? "" : std::to_string(frames);
        out += kSnapshotMark;
        out += time == timeStep ? "" : std::to_string(time);
        out += kSnapshotMark;
        out += score == 0 ? "" : std::to_string(score);
        out += kSnapshotMark;
        out += snapshot.incoming == before.incoming ? "" : std::to_string(snapshot.incoming);
        out += kSnapshotMark + snapshot.cells;
        frameStep = frames;
        timeStep = time;
        before = snapshot;
    }
    return out;
}

bool DecodeNews(const std::string& text, uint32_t frames, std::vector<ReplayNews>& news,
                std::string& why) {
    news.clear();
    why = "news that is not a frame, a kind and its number";
    uint32_t frame = 0;
    for (std::size_t at = 0; at < text.size();) {
        ReplayNews heard;
        uint32_t delta = 0;
        if (!ReadNumber(text, at, delta) || !FrameAfter(frame, delta, frames, heard.frame) ||
            at >= text.size()) {
            return false;
        }
        frame = heard.frame;
        const char* kind = std::strchr(kNewsLetters, text[at++]);
        if (text[at - 1] == '\0' || kind == nullptr) {
            return false;
        }
        heard.kind = static_cast<ReplayNews::Kind>(kind - kNewsLetters);
        if (heard.kind == ReplayNews::ATTACK &&
            (!ReadNumber(text, at, heard.value) || heard.value == 0 || heard.value > UINT8_MAX)) {
            return false;
        }
        if (heard.kind == ReplayNews::LOSS &&
            (!ReadNumber(text, at, heard.value) || heard.value > C_MatchMessage::kMaxGameTime)) {
            return false;
        }
        if (!NextWord(text, at)) {
            return false;
        }
        news.push_back(heard);
    }
    why.clear();
    return true;
}

bool DecodeSnapshots(const std::string& text, uint32_t frames,
                     std::vector<ReplaySnapshot>& snapshots, std::string& why) {
    snapshots.clear();
    ReplaySnapshot before;
    uint32_t frameStep = 0;
    int64_t timeStep = 0;
    SeenCells cells{};
    // A field and the mark after it; an empty field keeps `out`.
    const auto field = [&text](std::size_t& at, auto read, auto& out) {
        if (at < text.size() && text[at] != kSnapshotMark && !read(text, at, out)) {
            return false;
        }
        return at < text.size() && text[at++] == kSnapshotMark;
    };
    const auto unsignedField = [&field](std::size_t& at, uint32_t& out) {
        return field(at, ReadNumber, out);
    };
    const auto signedField = [&field](std::size_t& at, int64_t& out) {
        return field(at, ReadSigned, out);
    };
    for (std::size_t at = 0; at < text.size();) {
        why = "a snapshot that is not a frame, a time, a score, rows and cells";
        ReplaySnapshot snapshot;
        int64_t score = 0;
        uint32_t incoming = before.incoming;
        if (!unsignedField(at, frameStep) || !signedField(at, timeStep) ||
            !signedField(at, score) || !unsignedField(at, incoming) ||
            !FrameAfter(before.frame, frameStep, frames, snapshot.frame)) {
            return false;
        }
        const int64_t time = before.gameTime + timeStep;
        score += before.score;
        if (time < 0 || time > C_MatchMessage::kMaxGameTime || score < 0 ||
            score > C_MatchMessage::kMaxScore || incoming > UINT8_MAX) {
            why = "a snapshot's time, score or rows beyond a match's";
            return false;
        }
        const std::size_t start = at;
        while (at < text.size() && text[at] != ' ') {
            ++at;
        }
        snapshot.cells = text.substr(start, at - start);
        if (!ApplyCells(snapshot.cells, cells, why)) {
            return false;
        }
        if (!NextWord(text, at)) {
            return false;
        }
        snapshot.gameTime = static_cast<uint32_t>(time);
        snapshot.score = static_cast<uint32_t>(score);
        snapshot.incoming = static_cast<uint8_t>(incoming);
        snapshots.push_back(std::move(snapshot));
        before = snapshots.back();
    }
    why.clear();
    return true;
}
