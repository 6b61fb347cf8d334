#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

// The text both stored tables are kept in, one entry a line:
//
//   <kind> <version>
//   <key> <value>
//   ...
//   end
//
// A file is read only as a whole: it must start with the kind's header, end
// with the line "end" and its newline, and hold text alone (UTF-8, tabs and
// newlines; a carriage return only before a newline). Anything else is not a
// file of ours, or one cut short: an atomic write never leaves a file without
// its last line, so a missing "end" means something else damaged it. Inside a
// whole file, a line that is not `key value` or repeats a key is skipped and
// listed; every other entry is kept in its place, known to the reader or not.
class C_RecordFile {
public:
    struct Skipped {
        int line;
        std::string why;
    };
    struct Entry {
        std::string key;
        std::string value;
        int line;  // 0 for an entry not read from a file
    };

    // Reads `bytes` as a file of `kind`; false (and `why`) if it is not one
    // as a whole, and then nothing is kept.
    bool Parse(const std::string& bytes, const std::string& kind, std::string& why);
    // Reads what it can of bytes Parse refused, so a damaged file loses only
    // its damaged lines: after the kind's header, each whole line that is
    // text and `key value`, up to "end"; a line cut short is dropped. Without
    // the header nothing is taken: the bytes may not be a file of ours at all.
    void Salvage(const std::string& bytes, const std::string& kind);
    // The whole file: the header with `version`, the entries in order, "end".
    std::string Write(const std::string& kind, int version) const;

    int GetVersion() const { return version; }
    const std::vector<Entry>& GetEntries() const { return entries; }
    // Each line Parse skipped, in order.
    const std::vector<Skipped>& GetSkippedLines() const { return skipped; }

    // The entry with `key`, or null.
    const Entry* Find(const std::string& key) const;
    // Replaces the value of `key` in its place, or appends a new entry.
    void Set(const std::string& key, const std::string& value);
    void Remove(const std::string& key);
    // Keeps, in order, the entries `keep` answers true for; it sees each once, first to last.
    void Keep(const std::function<bool(const Entry&)>& keep);
    void Clear();

    // Lower-case letters, digits, '_', '.' and '-'; at most kMaxKeyBytes.
    static bool IsKey(const std::string& text);

    // Far beyond any table of ours, and bounded before a file is read.
    static constexpr std::size_t kMaxFileBytes = 64 * 1024;
    static constexpr std::size_t kMaxKeyBytes = 40;
    static constexpr const char* kEndLine = "end";

private:
    // Takes the version from `line` if it is the kind's header.
    bool ParseHeader(const std::string& line, const std::string& kind);
    void ParseEntry(const std::string& text, int line);

    int version = 0;
    std::vector<Entry> entries;
    std::vector<Skipped> skipped;
    // The keys met so far while parsing: a file may hold thousands of lines.
    std::unordered_set<std::string> keys;
};
