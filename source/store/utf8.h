#pragma once

#include <cstddef>
#include <string>

// The length of the UTF-8 character that starts at `at` in `text`, with its
// code point in `code`; 0 for a byte that starts no valid character (an
// overlong form, a surrogate, past U+10FFFF, or cut short).
std::size_t DecodeUtf8Character(const std::string& text, std::size_t at, unsigned& code);
