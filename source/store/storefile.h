#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/userfiles.h"
#include "store/recordfile.h"

// Where the store's console lines go; the game hands it the console.
using LineSink = std::function<void(const std::string&)>;

// A table kept in one per-user file. Nothing here ever stops the game or asks
// the player anything: every trouble is one line to the sink and the table
// goes on with what it holds (its defaults when the file could not be read).
// The file is never lost unreported: one that is not ours as a whole is moved
// aside to NAME.bad, the entries still whole in it are taken and written back,
// and one from a newer version, or one that could not be read, is left as it
// is for the rest of the run.
class C_StoreFile {
public:
    C_StoreFile(platform::UserFolder where, std::string name, std::string kind, int version,
                LineSink sink);
    virtual ~C_StoreFile() = default;
    C_StoreFile(const C_StoreFile&) = delete;
    C_StoreFile& operator=(const C_StoreFile&) = delete;

    // Sets the defaults, then takes what the file holds.
    void Load();
    // Replaces the file with the table, keeping the entries this version does
    // not know in their places; false when not written. A folder that cannot
    // be written is reported the first time only: keep one table for the run.
    bool Save();

    // What Load and Save do with the file's bytes alone, for tests and the
    // fuzz targets. LoadBytes is false when the bytes are not ours as a whole
    // (the table then holds what Load would save of them); skipped lines of a
    // whole file are reported.
    bool LoadBytes(const std::string& bytes);
    std::string SaveBytes() const;

    // What Load saved of a damaged file, for the player to be told once.
    struct Damage {
        int kept = 0;
        // Where the damaged file is kept now; empty when it could not be moved.
        std::string original;
    };
    // The damage the last Load found; false when none, or when taken already.
    bool TakeDamage(Damage& out);

    bool IsFromNewerVersion() const { return newer; }
    const std::string& GetName() const { return fileName; }
    // The file's full path; empty when no home folder is known.
    std::string GetPath() const;

    // Beyond this many, skipped lines are counted in one last line.
    static constexpr int kMaxReportedLines = 5;
    // Room for entries this version does not know; with the table's own
    // entries, what is written back stays well within what is read.
    static constexpr std::size_t kMaxUnknownBytes = 16 * 1024;

protected:
    virtual void Reset() = 0;
    // Takes every entry it knows from `file`, calling Skip for a bad value.
    virtual void Take(const C_RecordFile& file) = 0;
    // Sets every entry it knows in `file`, and removes any it no longer holds.
    virtual void Give(C_RecordFile& file) const = 0;
    // Whether `key` is one of the table's own, whatever its value.
    virtual bool Knows(const std::string& key) const = 0;
    void Skip(const C_RecordFile::Entry& entry, const std::string& why);

private:
    void Report(const std::string& line) const;
    void ReportSkipped();
    // Takes what is whole of a damaged file, moves the file aside and writes
    // the entries taken back.
    void Recover(const std::string& path, const std::string& bytes, const std::string& why);
    // Takes the document into the table, reporting what was skipped if
    // `listSkipped`; returns how many of the table's own entries it took.
    int TakeDocument(bool listSkipped);

    platform::UserFolder folder;
    std::string fileName;
    std::string fileKind;
    int fileVersion;
    LineSink lineSink;
    // The file as last read, so unknown entries are written back in place.
    C_RecordFile document;
    // Lines skipped by the format or the table, reported after Take.
    std::vector<C_RecordFile::Skipped> skipped;
    bool newer = false;
    // The file must not be replaced this run; Load said why.
    bool leaveAlone = false;
    bool reportedWriteTrouble = false;
    std::optional<Damage> damage;
};
