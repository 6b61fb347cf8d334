#include <gtest/gtest.h>

#include "platform/prompt.h"
#include "support/promptrecorder.h"

PromptRecorder& Prompts() {
    static PromptRecorder recorder;
    return recorder;
}

void PromptRecorder::Install() {
    reports.clear();
    answer = false;
    platform::SetPromptHook([this](const std::string& title, const std::string& text) {
        reports.push_back({title, text});
        return answer;
    });
}

bool PromptRecorder::Saw(const std::string& message) const {
    for (const Report& report : reports) {
        if (report.text.find("\"" + message + "\"") != std::string::npos) {
            return true;
        }
    }
    return false;
}

namespace {

class PromptEnvironment : public ::testing::Environment {
public:
    void SetUp() override { Prompts().Install(); }
    void TearDown() override { platform::SetPromptHook(nullptr); }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PromptEnvironment);
    return RUN_ALL_TESTS();
}
