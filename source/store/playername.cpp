#include "store/playername.h"

namespace {

// The length of the UTF-8 character starting at `at` and its code point; 0
// for a byte that starts no valid character.
std::size_t DecodeCharacter(const std::string& text, std::size_t at, unsigned& code) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead < 0xE0) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - at < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    static const unsigned kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

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
        const std::size_t length = DecodeCharacter(name, at, code);
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
