#include "store/recordfile.h"

#include <algorithm>
#include <utility>

#include "store/utf8.h"

namespace {

constexpr int kMaxVersion = 999999;

// Text only: UTF-8 without overlong forms or surrogates, and no control bytes
// but tab and newline. A carriage return counts as text only before a newline.
bool IsText(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned code = 0;
        const std::size_t length = DecodeUtf8Character(bytes, i, code);
        const bool control = code < 0x20 || code == 0x7F;
        const bool allowed = code == '\t' || code == '\n' ||
                             (code == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n');
        if (length == 0 || (control && !allowed)) {
            return false;
        }
        i += length;
    }
    return true;
}

// A positive decimal without sign or leading zero.
bool ParseVersion(const std::string& text, int& out) {
    if (text.empty() || text.size() > 6 || text[0] == '0' ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    out = std::stoi(text);
    return out <= kMaxVersion;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = bytes.find('\n'); end != std::string::npos;
         end = bytes.find('\n', start)) {
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool C_RecordFile::Parse(const std::string& bytes, const std::string& kind, std::string& why) {
    Clear();
    if (bytes.empty()) {
        why = "empty";
        return false;
    }
    if (bytes.size() > kMaxFileBytes) {
        why = "too large";
        return false;
    }
    if (!IsText(bytes)) {
        why = "not text";
        return false;
    }
    if (bytes.back() != '\n') {
        why = "cut short in a line";
        return false;
    }
    const std::vector<std::string> lines = SplitLines(bytes);
    if (!ParseHeader(lines.front(), kind)) {
        why = "no \"" + kind + "\" header";
        return false;
    }
    if (lines.size() < 2 || lines.back() != kEndLine) {
        why = "cut short: no \"end\" line";
        version = 0;
        return false;
    }
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        ParseEntry(lines[i], static_cast<int>(i) + 1);
    }
    keys.clear();
    return true;
}

void C_RecordFile::Salvage(const std::string& bytes, const std::string& kind) {
    Clear();
    // What Load would have read of a file too large.
    const std::size_t lastNewline = bytes.rfind('\n', kMaxFileBytes - 1);
    if (lastNewline == std::string::npos) {
        return;
    }
    const std::vector<std::string> lines = SplitLines(bytes.substr(0, lastNewline + 1));
    if (!ParseHeader(lines.front(), kind)) {
        return;
    }
    for (std::size_t i = 1; i < lines.size() && lines[i] != kEndLine; ++i) {
        const int line = static_cast<int>(i) + 1;
        if (IsText(lines[i])) {
            ParseEntry(lines[i], line);
        } else {
            skipped.push_back({line, "not text"});
        }
    }
    keys.clear();
}

bool C_RecordFile::ParseHeader(const std::string& line, const std::string& kind) {
    const std::string prefix = kind + " ";
    if (line.compare(0, prefix.size(), prefix) != 0 ||
        !ParseVersion(line.substr(prefix.size()), version)) {
        version = 0;
        return false;
    }
    return true;
}

void C_RecordFile::ParseEntry(const std::string& text, int line) {
    const std::size_t space = text.find(' ');
    const std::string key = text.substr(0, space);
    if (!IsKey(key)) {
        skipped.push_back({line, "not \"key value\""});
    } else if (space == std::string::npos || space + 1 == text.size()) {
        skipped.push_back({line, "\"" + key + "\" has no value"});
    } else if (!keys.insert(key).second) {
        skipped.push_back({line, "\"" + key + "\" again"});
    } else {
        entries.push_back({key, text.substr(space + 1), line});
    }
}

std::string C_RecordFile::Write(const std::string& kind, int fileVersion) const {
    std::string out = kind + " " + std::to_string(fileVersion) + "\n";
    for (const Entry& entry : entries) {
        out += entry.key + " " + entry.value + "\n";
    }
    return out + kEndLine + "\n";
}

const C_RecordFile::Entry* C_RecordFile::Find(const std::string& key) const {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&key](const Entry& entry) { return entry.key == key; });
    return found == entries.end() ? nullptr : &*found;
}

void C_RecordFile::Set(const std::string& key, const std::string& value) {
    for (Entry& entry : entries) {
        if (entry.key == key) {
            entry.value = value;
            return;
        }
    }
    entries.push_back({key, value, 0});
}

void C_RecordFile::Remove(const std::string& key) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&key](const Entry& entry) { return entry.key == key; }),
                  entries.end());
}

void C_RecordFile::Keep(const std::function<bool(const Entry&)>& keep) {
    std::vector<Entry> kept;
    for (Entry& entry : entries) {
        if (keep(entry)) {
            kept.push_back(std::move(entry));
        }
    }
    entries = std::move(kept);
}

void C_RecordFile::Clear() {
    version = 0;
    entries.clear();
    keys.clear();
    skipped.clear();
}

bool C_RecordFile::IsKey(const std::string& text) {
    return !text.empty() && text.size() <= kMaxKeyBytes &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
                      c == '-';
           });
}
