#pragma once

#include <set>
#include <string>

#include "replay/replay.h"

class C_HighScores;

// The folder every finished game and match is kept in as a replay file:
// $XDG_DATA_HOME/tubrix/replays/. It keeps the newest kKept and every one
// the score table names; older ones go as new ones come.
class C_ReplayShelf {
public:
    // `folder` with its trailing '/'; empty keeps nothing.
    explicit C_ReplayShelf(std::string folder);
    // The shelf in the player's data folder.
    static C_ReplayShelf Player();

    // Writes `replay` atomically under a name of its own, then lets the
    // oldest go beyond kKept, none of those in `named`. The name, or empty
    // with one line in `why` when it could not be written.
    std::string Keep(const Replay& replay, const std::set<std::string>& named, std::string& why);
    // Writes `player` into the replay `name` as its first side's name, once
    // the score table has taken the name typed after the game. False, with
    // one line in `why`, when it cannot be read or written again.
    bool NamePlayer(const std::string& name, const std::string& player, std::string& why) const;
    // Where the replay of that name is.
    std::string PathOf(const std::string& name) const { return folder + name; }
    const std::string& Folder() const { return folder; }

    // A name of the shelf's own: its letters, and the extension.
    static bool IsReplayName(const std::string& name);

    static constexpr int kKept = 50;
    static constexpr const char* kExtension = ".tbreplay";
    static constexpr const char* kFolderName = "replays/";

private:
    // "20261208-161013-game-00c0ffee.tbreplay": by date, so names sort by age.
    std::string NameFor(const Replay& replay) const;
    void LetOldestGo(const std::set<std::string>& named) const;

    std::string folder;
};

// The replays the score table names, which the shelf keeps however old.
std::set<std::string> NamedReplays(const C_HighScores& scores);
