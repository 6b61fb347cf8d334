#include "replay/replayshelf.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/userfiles.h"
#include "replay/replayfile.h"
#include "store/highscores.h"

namespace {

constexpr std::size_t kMaxNameBytes = 64;

}  // namespace

C_ReplayShelf::C_ReplayShelf(std::string where) : folder(std::move(where)) {}

C_ReplayShelf C_ReplayShelf::Player() {
    const std::string data = platform::UserFolderPath(platform::UserFolder::Data);
    return C_ReplayShelf(data.empty() ? std::string() : data + kFolderName);
}

bool C_ReplayShelf::IsReplayName(const std::string& name) {
    const std::string extension = kExtension;
    if (name.size() > kMaxNameBytes || name.size() <= extension.size() ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0 ||
        name[0] == '.') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    });
}

std::string C_ReplayShelf::NameFor(const Replay& replay) const {
    std::string stamp;
    for (char c : replay.date) {
        if (c >= '0' && c <= '9') {
            stamp += c;
        }
        if (stamp.size() == 8 && c == ' ') {
            stamp += '-';
        }
    }
    char seed[9] = {};
    std::snprintf(seed, sizeof seed, "%08x", static_cast<unsigned>(replay.seed & 0xFFFFFFFFu));
    static constexpr const char* kKinds[] = {"-game-", "-computer-", "-two-", "-network-"};
    const std::string base =
        stamp + kKinds[std::min<std::size_t>(replay.mode, std::size(kKinds) - 1)] + seed;
    const std::vector<std::string> present = platform::RegularFilesIn(folder, kExtension);
    std::string name = base + kExtension;
    for (int again = 2; std::binary_search(present.begin(), present.end(), name); ++again) {
        name = base + "-" + std::to_string(again) + kExtension;
    }
    return name;
}

std::string C_ReplayShelf::Keep(const Replay& replay, const std::set<std::string>& named,
                                std::string& why) {
    if (folder.empty()) {
        why = "No folder for replays: the home folder is unknown.";
        return "";
    }
    const std::string name = NameFor(replay);
    std::string reason;
    if (!platform::WriteFileAtomically(folder, name, WriteReplay(replay), reason)) {
        why = "The replay could not be kept: " + reason + ".";
        return "";
    }
    LetOldestGo(named);
    return name;
}

bool C_ReplayShelf::NamePlayer(const std::string& name, const std::string& player,
                               std::string& why) const {
    Replay replay;
    if (folder.empty() || !IsReplayName(name) || !ReadReplayFile(PathOf(name), replay, why) ||
        replay.sides.empty()) {
        why = "The replay " + name + " keeps its old name: " + why;
        return false;
    }
    replay.sides[0].name = player;
    std::string reason;
    if (!platform::WriteFileAtomically(folder, name, WriteReplay(replay), reason)) {
        why = "The replay " + name + " keeps its old name: " + reason + ".";
        return false;
    }
    return true;
}

void C_ReplayShelf::LetOldestGo(const std::set<std::string>& named) const {
    std::vector<std::string> present = platform::RegularFilesIn(folder, kExtension);
    // By the name before the extension: "...-2" came after the one without.
    const auto stem = [](const std::string& name) {
        return name.substr(0, name.size() - std::char_traits<char>::length(kExtension));
    };
    std::sort(present.begin(), present.end(),
              [&stem](const std::string& a, const std::string& b) { return stem(a) < stem(b); });
    int newer = 0;
    // Newest first: the first kKept stay, and so does any named.
    for (auto name = present.rbegin(); name != present.rend(); ++name) {
        if (!IsReplayName(*name) || named.count(*name) != 0) {
            continue;
        }
        if (++newer > kKept) {
            platform::RemoveFile(folder, *name);
        }
    }
}

std::set<std::string> NamedReplays(const C_HighScores& scores) {
    std::set<std::string> named;
    for (const HighScore& entry : scores.GetEntries()) {
        if (!entry.replay.empty()) {
            named.insert(entry.replay);
        }
    }
    return named;
}
