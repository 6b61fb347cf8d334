#include <gtest/gtest.h>

#include "audio/mp3.h"
#include "audio/wave.h"
#include "core/globals.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "puzzle/gameboard.h"
#include "puzzle/randomdraw.h"
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

// The whole binary runs in one process as well as one test per process: after
// every test the state a process starts with is put back, so no test sees
// what an earlier one left (a released wave's name in the cache, a full
// console, the loose draws part used, a level or volume chosen).
class FreshProcessState : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo&) override {
        DestroyFrameworkObjects();
        CreateFrameworkObjects();
        g_bActive = active;
        ReleaseAllWaves();
        g_waveCache.clear();
        platform::SetSoundDeviceRefused(false);
        SetEffectsVolume(effectsVolume);
        SetMusicVolume(musicVolume);
        platform::SetClock(nullptr);
        LooseDraws() = C_RandomDraw();
        outerLevel = level;
        Prompts().Install();
    }

private:
    // As static initialisation left them.
    const uint32_t active = g_bActive;
    const int effectsVolume = GetEffectsVolume();
    const int musicVolume = GetMusicVolume();
    const int level = outerLevel;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PromptEnvironment);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProcessState);
    return RUN_ALL_TESTS();
}
