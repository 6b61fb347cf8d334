#pragma once

#include <optional>
#include <string>

class C_Console;

// One word of the console's command language. The handler performs the
// command with its argument (the text after the word and one separator) and
// returns the reply to echo, or nothing for a silent command.
struct ConsoleCommand {
    const char* word;
    std::optional<std::string> (*handler)(C_Console& console, const std::string& argument);
};

// The command whose word is exactly `word` (case-sensitive), or null.
const ConsoleCommand* FindConsoleCommand(const std::string& word);
