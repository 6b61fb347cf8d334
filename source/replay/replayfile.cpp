#include "replay/replayfile.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <iterator>
#include <map>

#include "platform/userfiles.h"
#include "store/playername.h"

namespace {

constexpr const char* kEndLine = "end";
constexpr const char* kModeNames[] = {"game", "computer", "two", "network"};
constexpr const char* kRoleNames[] = {"host", "joiner"};
// The first version of the format that holds each mode.
constexpr uint64_t kModeFormats[] = {1, 1, 2, 2};
constexpr const char* kWinnerNames[] = {"player", "opponent", "draw"};
constexpr std::size_t kMaxDateBytes = 32;

std::string SideKey(const char* key, int side) {
    return std::string(key) + "." + std::to_string(side);
}

std::string Hex(uint64_t value) {
    char text[17] = {};
    std::snprintf(text, sizeof text, "%" PRIx64, value);
    return text;
}

bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t& out, int base = 10) {
    if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) {
        return false;
    }
    uint64_t value = 0;
    for (char c : text) {
        uint64_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint64_t>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<uint64_t>(c - 'a' + 10);
        } else {
            return false;
        }
        if (value > (UINT64_MAX - digit) / static_cast<uint64_t>(base)) {
            return false;
        }
        value = value * static_cast<uint64_t>(base) + digit;
    }
    out = value;
    return value <= limit;
}

// Printable text without control characters, as a date is written.
bool IsDate(const std::string& text) {
    if (text.size() > kMaxDateBytes) {
        return false;
    }
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '-' || c == ':' || c == ' ')) {
            return false;
        }
    }
    return true;
}

// The file's lines after the header as `key value`, the header's version
// and whether it ended with "end"; false when not a replay at all.
class Fields {
public:
    bool Read(const std::string& bytes, std::string& why) {
        std::size_t start = 0;
        bool first = true;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string::npos) {
                why = "The replay is damaged: it is cut short.";
                return false;
            }
            const std::string line = bytes.substr(start, end - start);
            start = end + 1;
            if (first) {
                first = false;
                if (!Header(line, why)) {
                    return false;
                }
                continue;
            }
            if (line == kEndLine) {
                ended = start == bytes.size();
                why = ended ? "" : "The replay is damaged: there is more after its end.";
                return ended;
            }
            const std::size_t space = line.find(' ');
            if (space == std::string::npos ||
                !values.emplace(line.substr(0, space), line.substr(space + 1)).second) {
                why = "The replay is damaged: a line is not a field of it.";
                return false;
            }
        }
        why = first ? "This file is not a replay." : "The replay is damaged: it is cut short.";
        return false;
    }

    const std::string* Find(const std::string& key) const {
        const auto found = values.find(key);
        return found == values.end() ? nullptr : &found->second;
    }

    uint64_t version = 0;

private:
    bool Header(const std::string& line, std::string& why) {
        const std::string prefix = std::string(kReplayKind) + " ";
        if (line.rfind(prefix, 0) != 0 ||
            !ParseUnsigned(line.substr(prefix.size()), UINT32_MAX, version)) {
            why = "This file is not a replay.";
            return false;
        }
        if (version == 0) {
            why = "This file is not a replay.";
            return false;
        }
        if (version > static_cast<uint64_t>(kReplayFormat)) {
            why = "This replay is from a newer version of the game.";
            return false;
        }
        return true;
    }

    std::map<std::string, std::string> values;
    bool ended = false;
};

// Reads the fields of `fields` into `replay`; false with the damage in `why`.
class Reader {
public:
    Reader(const Fields& given, Replay& out) : fields(given), replay(out) {}

    bool Read(std::string& why) {
        uint64_t rules = 0;
        if (!Number("rules", UINT32_MAX, rules, why)) {
            return false;
        }
        if (rules != static_cast<uint64_t>(kRulesVersion)) {
            why = "This replay was played under other rules (version " + std::to_string(rules) +
                  "; this game plays version " + std::to_string(kRulesVersion) +
                  ") and cannot be shown.";
            return false;
        }
        replay.rules = kRulesVersion;
        return Head(why) && Sides(why);
    }

private:
    bool Damaged(const std::string& what, std::string& why) {
        why = "The replay is damaged: " + what + ".";
        return false;
    }

    const std::string* Field(const std::string& key, std::string& why) {
        const std::string* value = fields.Find(key);
        if (value == nullptr) {
            Damaged("its " + key + " is missing", why);
        }
        return value;
    }

    bool Number(const std::string& key, uint64_t limit, uint64_t& out, std::string& why,
                int base = 10) {
        const std::string* value = Field(key, why);
        return value != nullptr && (ParseUnsigned(*value, limit, out, base) ||
                                    Damaged("its " + key + " is wrong", why));
    }

    // One of `names`, by its index.
    template <std::size_t N>
    bool Name(const std::string& key, const char* const (&names)[N], int& out, std::string& why) {
        const std::string* value = Field(key, why);
        for (std::size_t i = 0; value != nullptr && i < N; ++i) {
            if (*value == names[i]) {
                out = static_cast<int>(i);
                return true;
            }
        }
        return value != nullptr && Damaged("its " + key + " is wrong", why);
    }

    bool Head(std::string& why) {
        int mode = 0;
        uint64_t level = 0;
        uint64_t frames = 0;
        if (!Name("mode", kModeNames, mode, why) || !Number("level", 99, level, why) ||
            !Number("seed", UINT64_MAX, replay.seed, why) ||
            !Number("frames", kMaxReplayFrames, frames, why)) {
            return false;
        }
        replay.mode = static_cast<ReplayMode>(mode);
        if (fields.version < kModeFormats[mode]) {
            return Damaged("its mode is wrong", why);
        }
        replay.level = static_cast<int>(level);
        replay.frames = static_cast<uint32_t>(frames);
        const std::string* date = Field("date", why);
        if (date == nullptr || !IsDate(*date)) {
            return date != nullptr && Damaged("its date is wrong", why);
        }
        replay.date = *date;
        if (replay.mode == REPLAY_COMPUTER) {
            const std::string* strength = Field("strength", why);
            if (strength == nullptr) {
                return false;
            }
            if (!StrengthOfName(*strength, replay.strength)) {
                return Damaged("its strength is wrong", why);
            }
        }
        if (replay.mode != REPLAY_GAME && !Name("winner", kWinnerNames, replay.winner, why)) {
            return false;
        }
        int role = 0;
        if (replay.mode == REPLAY_NETWORK && !Name("role", kRoleNames, role, why)) {
            return false;
        }
        replay.role = static_cast<MatchRole>(role);
        const std::string* time = Field("time", why);
        if (time == nullptr || !DecodeTimes(*time, replay.frames, replay.times, why)) {
            return time != nullptr && Damaged(why, why);
        }
        return FramesIn(replay.times) == replay.frames ||
               Damaged("its time has fewer frames than it says", why);
    }

    bool Sides(std::string& why) {
        replay.sides.assign(static_cast<std::size_t>(replay.Sides()), ReplaySide{});
        for (int side = 0; side < replay.Sides(); ++side) {
            ReplaySide& into = replay.sides[static_cast<std::size_t>(side)];
            const std::string* name = Field(SideKey("name", side), why);
            uint64_t score = 0;
            if (name == nullptr || !Number(SideKey("score", side), INT32_MAX, score, why) ||
                !Number(SideKey("hash", side), UINT64_MAX, into.hash, why, 16)) {
                return false;
            }
            into.name = SanitisePlayerName(*name);
            into.score = static_cast<int>(score);
            if (side >= replay.PlayedSides()) {
                continue;
            }
            const std::string* commands = Field(SideKey("commands", side), why);
            if (commands == nullptr ||
                !DecodeCommands(*commands, replay.frames, into.commands, why)) {
                return commands != nullptr && Damaged(why, why);
            }
            if (FramesIn(into.commands) != replay.frames) {
                return Damaged("a side has fewer frames than it says", why);
            }
        }
        return replay.mode != REPLAY_NETWORK || Heard(why);
    }

    // What the recording side of a network match took from the other.
    bool Heard(std::string& why) {
        const std::string* news = Field(SideKey("news", SIDE_OPPONENT), why);
        if (news == nullptr || !DecodeNews(*news, replay.frames, replay.news, why)) {
            return news != nullptr && Damaged(why, why);
        }
        const std::string* seen = Field(SideKey("seen", SIDE_OPPONENT), why);
        if (seen == nullptr || !DecodeSnapshots(*seen, replay.frames, replay.snapshots, why)) {
            return seen != nullptr && Damaged(why, why);
        }
        return true;
    }

    const Fields& fields;
    Replay& replay;
};

}  // namespace

std::string WriteReplay(const Replay& replay) {
    const auto mode = std::min<std::size_t>(replay.mode, std::size(kModeNames) - 1);
    // The oldest format that holds the mode, so that older games still read
    // the replays they can play.
    std::string out = std::string(kReplayKind) + " " + std::to_string(kModeFormats[mode]) + "\n";
    const auto line = [&out](const std::string& key, const std::string& value) {
        out += key + " " + value + "\n";
    };
    line("rules", std::to_string(replay.rules));
    line("mode", kModeNames[mode]);
    if (replay.mode == REPLAY_COMPUTER) {
        line("strength", StrengthName(replay.strength));
    }
    if (replay.mode == REPLAY_NETWORK) {
        line("role", kRoleNames[replay.role == MatchRole::Host ? 0 : 1]);
    }
    line("level", std::to_string(replay.level));
    line("seed", std::to_string(replay.seed));
    line("date", replay.date);
    if (replay.mode != REPLAY_GAME && replay.winner >= 0 &&
        replay.winner < static_cast<int>(std::size(kWinnerNames))) {
        line("winner", kWinnerNames[replay.winner]);
    }
    line("frames", std::to_string(replay.frames));
    line("time", EncodeTimes(replay.times));
    for (std::size_t side = 0; side < replay.sides.size(); ++side) {
        const ReplaySide& from = replay.sides[side];
        const int index = static_cast<int>(side);
        line(SideKey("name", index), from.name);
        line(SideKey("score", index), std::to_string(from.score));
        line(SideKey("hash", index), Hex(from.hash));
        if (index < replay.PlayedSides()) {
            line(SideKey("commands", index), EncodeCommands(from.commands));
        }
    }
    if (replay.mode == REPLAY_NETWORK) {
        line(SideKey("news", SIDE_OPPONENT), EncodeNews(replay.news));
        line(SideKey("seen", SIDE_OPPONENT), EncodeSnapshots(replay.snapshots));
    }
    return out + kEndLine + "\n";
}

bool ReadReplay(const std::string& bytes, Replay& replay, std::string& why) {
    replay = Replay{};
    why.clear();
    if (bytes.size() > kMaxReplayBytes) {
        why = "The file is too large to be a replay.";
        return false;
    }
    Fields fields;
    if (!fields.Read(bytes, why)) {
        return false;
    }
    Reader reader(fields, replay);
    if (!reader.Read(why)) {
        replay = Replay{};
        return false;
    }
    return true;
}

bool ReadReplayFile(const std::string& path, Replay& replay, std::string& why) {
    std::string bytes;
    std::string reason;
    switch (platform::ReadWholeFile(path, kMaxReplayBytes, bytes, reason)) {
        case platform::ReadStatus::Read:
            return ReadReplay(bytes, replay, why);
        case platform::ReadStatus::Missing:
            why = "There is no replay at " + path + ".";
            return false;
        case platform::ReadStatus::TooLarge:
            why = "The file is too large to be a replay.";
            return false;
        case platform::ReadStatus::Failed:
            break;
    }
    why = "The replay could not be read: " + reason + ".";
    return false;
}
