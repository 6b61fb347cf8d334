#pragma once

#include <string>
#include <vector>

// Records every yes/no question the system asks and answers it, so no test
// ever blocks on a prompt.
struct PromptRecorder {
    struct Report {
        std::string title;
        std::string text;
    };
    std::vector<Report> reports;
    bool answer = false;

    void Install();
    // True if some report's text contains `message` (quoted as reports quote it).
    bool Saw(const std::string& message) const;
};

// The recorder every test starts with; tests may change its answer.
PromptRecorder& Prompts();
