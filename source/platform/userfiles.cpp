#include "platform/userfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace platform {
namespace {

constexpr const char* kAppFolder = "tubrix/";
constexpr mode_t kFolderMode = 0700;
constexpr const char* kNotRegular = "not a regular file";
// mkostemp's pattern: six letters or digits take the X's place.
constexpr const char* kTemporaryMark = "XXXXXX";
// A save takes milliseconds; a temporary file this old was left by one
// that was killed, and no other copy of the game is still writing it.
constexpr time_t kStaleSeconds = 10 * 60;

// `found` is `prefix` and a temporary file's six letters or digits.
bool IsTemporaryName(const std::string& found, const std::string& prefix) {
    const std::size_t marks = std::strlen(kTemporaryMark);
    return found.size() == prefix.size() + marks && found.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(found.begin() + static_cast<std::ptrdiff_t>(prefix.size()), found.end(),
                       [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9');
                       });
}

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// The environment is read here, and only here, because these variables are
// the desktop's convention for where per-user files go (SDL_GetPrefPath
// follows the same rule for the data folder); the game has no variable of its
// own. A relative path is ignored, as the convention asks.
std::string Absolute(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] == '/' ? value : "";
}

// The account's entry in the password database: its home folder or its name.
std::string AccountField(char* passwd::*field) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->*field != nullptr) {
        return found->*field;
    }
    return "";
}

std::string Home() {
    std::string home = Absolute("HOME");
    if (home.empty()) {
        home = AccountField(&passwd::pw_dir);
        if (home.empty() || home[0] != '/') {
            home.clear();
        }
    }
    return home;
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

// Creates `path` and every missing parent.
bool MakeFolders(const std::string& path, std::string& reason) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), kFolderMode) != 0 && errno != EEXIST) {
            reason = Reason(("cannot create " + part).c_str());
            return false;
        }
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        reason = path + " is not a folder";
        return false;
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The rename is only lasting once the folder's entry is on the disk too.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

std::string AccountName() {
    return AccountField(&passwd::pw_name);
}

std::string UserFolderPath(UserFolder folder) {
    const bool data = folder == UserFolder::Data;
    std::string base = Absolute(data ? "XDG_DATA_HOME" : "XDG_CONFIG_HOME");
    if (base.empty()) {
        const std::string home = Home();
        if (home.empty()) {
            return "";
        }
        base = WithSlash(home) + (data ? ".local/share" : ".config");
    }
    return WithSlash(base) + kAppFolder;
}

ReadStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                         std::string& reason) {
    bytes.clear();
    // Looked at before it is opened: opening a pipe waits for a writer, and
    // opening a device may do something. A link to a regular file is fine.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return ReadStatus::Missing;
        }
        reason = Reason("cannot look at it");
        return ReadStatus::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = kNotRegular;
        return ReadStatus::Failed;
    }
    // Without blocking in case it was swapped for a pipe since.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return ReadStatus::Missing;
        }
        reason = Reason("cannot open");
        return ReadStatus::Failed;
    }
    ReadStatus status = ReadStatus::Read;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = kNotRegular;
        status = ReadStatus::Failed;
    } else {
        // Room for the size the file gives and one byte more, grown only if
        // the file did, up to one byte past the limit: that byte tells a file
        // too large, whatever its size said. A small file under a large
        // limit never costs the limit.
        const std::size_t room = maxBytes + 1;
        const std::size_t said = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
        bytes.assign(std::min(said, maxBytes) + 1, '\0');
        std::size_t got = 0;
        for (;;) {
            if (got == bytes.size()) {
                if (bytes.size() >= room) {
                    break;
                }
                bytes.resize(std::min(room, bytes.size() * 2));
            }
            const ssize_t n = read(fd, &bytes[got], bytes.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                reason = Reason("cannot read");
                status = ReadStatus::Failed;
                break;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(std::min(got, maxBytes));
        if (status == ReadStatus::Read && got > maxBytes) {
            status = ReadStatus::TooLarge;
        }
    }
    close(fd);
    if (status == ReadStatus::Failed) {
        bytes.clear();
    }
    return status;
}

bool WriteFileAtomically(const std::string& folder, const std::string& name,
                         const std::string& bytes, std::string& reason) {
    if (folder.empty()) {
        reason = "no home folder";
        return false;
    }
    if (!MakeFolders(folder, reason)) {
        return false;
    }
    // Hidden and unique: a second copy of the game saving at the same moment
    // writes its own temporary file, and the last rename wins whole.
    std::string temporary = folder + "." + name + "." + kTemporaryMark;
    const int fd = mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0) {
        reason = Reason(("cannot create a file in " + folder).c_str());
        return false;
    }
    bool written = WriteAll(fd, bytes);
    if (!written) {
        reason = Reason("cannot write");
    } else if (fsync(fd) != 0) {
        reason = Reason("cannot sync");
        written = false;
    }
    if (close(fd) != 0 && written) {
        reason = Reason("cannot close");
        written = false;
    }
    const std::string target = folder + name;
    if (written && rename(temporary.c_str(), target.c_str()) != 0) {
        reason = Reason(("cannot replace " + target).c_str());
        written = false;
    }
    if (!written) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::string prefix = "." + name + ".";
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        const std::string found = entry->d_name;
        struct stat info {};
        if (IsTemporaryName(found, prefix) &&
            fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && now - info.st_mtime > kStaleSeconds) {
            unlinkat(dirfd(dir), entry->d_name, 0);
        }
    }
    closedir(dir);
}

bool MoveAside(const std::string& path, std::string& reason) {
    if (rename(path.c_str(), (path + ".bad").c_str()) != 0) {
        reason = Reason("cannot move it aside");
        return false;
    }
    return true;
}

}  // namespace platform

namespace platform {

std::vector<std::string> RegularFilesIn(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string found = entry->d_name;
        struct stat info {};
        if (found.size() > suffix.size() &&
            found.compare(found.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            names.push_back(found);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool RemoveFile(const std::string& folder, const std::string& name) {
    return unlink((folder + name).c_str()) == 0;
}

}  // namespace platform
