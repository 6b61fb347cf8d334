#include "store/playername.h"

#include "platform/userfiles.h"
#include "store/utf8.h"

namespace {

bool IsPrintable(unsigned code) {
    return code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0);
}

}  // namespace

std::string SanitisePlayerName(const std::string& name) {
    std::string out;
    // Where `out` ends without its trailing spaces, and how many characters that holds.
    std::size_t kept = 0;
    std::size_t keptCharacters = 0;
    std::size_t characters = 0;
    std::size_t at = 0;
    while (at < name.size() && keptCharacters < kMaxPlayerNameCharacters) {
        unsigned code = 0;
        const std::size_t length = DecodeUtf8Character(name, at, code);
        if (length == 0) {
            ++at;
            continue;
        }
        const bool space = code == ' ';
        if (IsPrintable(code) && !(space && out.empty()) && characters < kMaxPlayerNameCharacters) {
            out.append(name, at, length);
            ++characters;
            if (!space) {
                kept = out.size();
                keptCharacters = characters;
            }
        }
        at += length;
    }
    out.resize(kept);
    return out;
}

std::string DefaultPlayerName(const std::string& lastName) {
    const std::string last = SanitisePlayerName(lastName);
    return last.empty() ? SanitisePlayerName(platform::AccountName()) : last;
}
