#pragma once

#include <cstddef>
#include <string>

// A name as the score table and the settings keep it: printable characters
// only (valid UTF-8, no control characters), no spaces at either end, at most
// kMaxPlayerNameCharacters characters. May come out empty.
std::string SanitisePlayerName(const std::string& name);

constexpr std::size_t kMaxPlayerNameCharacters = 16;

// The name offered for a new score: the last one entered, or the account's
// login name the first time (sanitised; may come out empty).
std::string DefaultPlayerName(const std::string& lastName);
