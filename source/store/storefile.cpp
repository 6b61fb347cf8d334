#include "store/storefile.h"

#include <algorithm>
#include <utility>

C_StoreFile::C_StoreFile(platform::UserFolder where, std::string name, std::string kind,
                         int version, LineSink sink)
    : folder(where),
      fileName(std::move(name)),
      fileKind(std::move(kind)),
      fileVersion(version),
      lineSink(std::move(sink)) {}

std::string C_StoreFile::GetPath() const {
    const std::string base = platform::UserFolderPath(folder);
    return base.empty() ? "" : base + fileName;
}

void C_StoreFile::Load() {
    Reset();
    document.Clear();
    newer = false;
    leaveAlone = false;
    damage.reset();
    const std::string path = GetPath();
    if (path.empty()) {
        return;
    }
    platform::RemoveStaleTemporaries(platform::UserFolderPath(folder), fileName);
    std::string bytes;
    std::string reason;
    switch (platform::ReadWholeFile(path, C_RecordFile::kMaxFileBytes, bytes, reason)) {
        case platform::ReadStatus::Missing:
            return;
        case platform::ReadStatus::Failed:
            Report(path + " cannot be read (" + reason +
                   "): using the defaults, and leaving it as it is");
            leaveAlone = true;
            return;
        case platform::ReadStatus::TooLarge:
            Recover(path, bytes, "too large");
            return;
        case platform::ReadStatus::Read:
            break;
    }
    std::string why;
    if (!document.Parse(bytes, fileKind, why)) {
        Recover(path, bytes, why);
        return;
    }
    if (document.GetVersion() > fileVersion) {
        newer = true;
        leaveAlone = true;
        Report(path + " is from a newer version of the game: read for what this one knows, and " +
               "left as it is");
    }
    TakeDocument(true);
}

void C_StoreFile::Recover(const std::string& path, const std::string& bytes,
                          const std::string& why) {
    document.Salvage(bytes, fileKind);
    // The one line below says the file is damaged; its lines are not listed.
    const int kept = TakeDocument(false);
    const std::string taken =
        kept == 0 ? "using the defaults"
                  : std::to_string(kept) + (kept == 1 ? " entry" : " entries") + " read from it";
    damage = Damage{kept, ""};
    std::string reason;
    if (!platform::MoveAside(path, reason)) {
        Report(path + " is not a whole " + fileKind + " file (" + why + ") and " + reason + ": " +
               taken + ", and leaving it as it is");
        leaveAlone = true;
        return;
    }
    Report(path + " is not a whole " + fileKind + " file (" + why + "): kept as " + fileName +
           ".bad; " + taken);
    damage->original = path + ".bad";
    if (kept > 0) {
        Save();
    }
}

bool C_StoreFile::TakeDamage(Damage& out) {
    if (!damage) {
        return false;
    }
    out = *damage;
    damage.reset();
    return true;
}

bool C_StoreFile::LoadBytes(const std::string& bytes) {
    Reset();
    newer = false;
    std::string why;
    if (!document.Parse(bytes, fileKind, why)) {
        document.Salvage(bytes, fileKind);
        TakeDocument(false);
        return false;
    }
    newer = document.GetVersion() > fileVersion;
    TakeDocument(true);
    return true;
}

int C_StoreFile::TakeDocument(bool listSkipped) {
    skipped = document.GetSkippedLines();
    // In file order: once the room is spent, every later unknown entry goes.
    std::size_t room = kMaxUnknownBytes;
    int known = 0;
    document.Keep([this, &room, &known](const C_RecordFile::Entry& entry) {
        if (Knows(entry.key)) {
            ++known;
            return true;
        }
        const std::size_t bytes = entry.key.size() + entry.value.size() + 2;
        if (bytes <= room) {
            room -= bytes;
            return true;
        }
        room = 0;
        Skip(entry, "no room for \"" + entry.key + "\", unknown to this version");
        return false;
    });
    const std::size_t before = skipped.size();
    Take(document);
    const int taken = known - static_cast<int>(skipped.size() - before);
    if (listSkipped) {
        ReportSkipped();
    } else {
        skipped.clear();
    }
    return taken;
}

std::string C_StoreFile::SaveBytes() const {
    C_RecordFile out = document;
    Give(out);
    return out.Write(fileKind, fileVersion);
}

bool C_StoreFile::Save() {
    if (leaveAlone) {
        return false;
    }
    std::string reason;
    const std::string base = platform::UserFolderPath(folder);
    if (platform::WriteFileAtomically(base, fileName, SaveBytes(), reason)) {
        return true;
    }
    if (!reportedWriteTrouble) {
        Report(fileName + " cannot be saved (" + reason + "); the game goes on without saving it");
        reportedWriteTrouble = true;
    }
    return false;
}

void C_StoreFile::Skip(const C_RecordFile::Entry& entry, const std::string& why) {
    skipped.push_back({entry.line, why});
}

void C_StoreFile::Report(const std::string& line) const {
    if (lineSink) {
        lineSink(line);
    }
}

void C_StoreFile::ReportSkipped() {
    std::stable_sort(skipped.begin(), skipped.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    const int count = static_cast<int>(skipped.size());
    for (int i = 0; i < count && i < kMaxReportedLines; ++i) {
        const C_RecordFile::Skipped& line = skipped[static_cast<std::size_t>(i)];
        Report(fileName + ": line " + std::to_string(line.line) + ": " + line.why + "; skipped");
    }
    if (count > kMaxReportedLines) {
        Report(fileName + ": " + std::to_string(count - kMaxReportedLines) + " more lines skipped");
    }
    skipped.clear();
}
