#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Where a per-user file lives: saved results, or chosen preferences.
enum class UserFolder { Data, Config };

// The folder's path with a trailing '/', not created: $XDG_DATA_HOME/tubrix/
// or $XDG_CONFIG_HOME/tubrix/, each falling back to ~/.local/share/tubrix/ and
// ~/.config/tubrix/. Empty when no home folder can be found.
std::string UserFolderPath(UserFolder folder);

// The login name of the account the game runs under; empty if unknown.
std::string AccountName();

enum class ReadStatus { Read, Missing, TooLarge, Failed };

// Reads the whole file into `bytes` if it holds at most `maxBytes`; no more
// than that is ever allocated. On TooLarge `bytes` holds the first `maxBytes`,
// for what can be saved from them. Missing covers a path through something
// that is not a folder, since nothing can be there either. Anything but a
// regular file (a pipe, a device, a folder) is Failed without being opened,
// so it can neither block nor be disturbed; on Failed, `reason` says why.
ReadStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                         std::string& reason);

// Replaces `folder`/`name` with `bytes` so that a crash at any moment leaves
// either the old file or the new one: a temporary file in the same folder is
// written and synced, renamed over the old one, and the folder is synced.
// Creates the folder and its parents first. On false, `reason` says why and
// the old file is untouched.
bool WriteFileAtomically(const std::string& folder, const std::string& name,
                         const std::string& bytes, std::string& reason);

// Removes what saves of `folder`/`name` killed midway left behind: regular
// files named as WriteFileAtomically names its temporary ones, and only those
// old enough that no save can still be writing them.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name);

// The names of the regular files in `folder` that end in `suffix`, in
// byte order; none when the folder cannot be read.
std::vector<std::string> RegularFilesIn(const std::string& folder, const std::string& suffix);

// Removes `folder`/`name`; false when it could not be.
bool RemoveFile(const std::string& folder, const std::string& name);

// Renames `path` to `path`.bad, replacing an older one, so a file the game
// could not read is kept for its owner rather than overwritten.
bool MoveAside(const std::string& path, std::string& reason);

}  // namespace platform
