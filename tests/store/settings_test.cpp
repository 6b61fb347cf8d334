#include "store/settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "core/keycodes.h"
#include "store/settingssnapshot.h"
#include "support/userfolders.h"

extern char** environ;

namespace {

using SettingsTest = UserFoldersTest;

// The writer started with its output on a pipe.
pid_t StartWriter(int first, int& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::string path = TUBRIX_SETTINGS_WRITER;
    std::string number = std::to_string(first);
    char* argv[] = {&path[0], &number[0], nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ) != 0) {
        child = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    output = pipeEnds[0];
    return child;
}

// Reads the writer's numbers until one reaches `target`; the last number read,
// or -1 if the writer stopped first.
int WaitForSave(int output, int target) {
    std::string text;
    int last = -1;
    char buffer[256];
    while (last < target) {
        const ssize_t got = read(output, buffer, sizeof buffer);
        if (got <= 0) {
            return -1;
        }
        text.append(buffer, static_cast<size_t>(got));
        const size_t end = text.rfind('\n');
        if (end != std::string::npos) {
            const size_t start = text.rfind('\n', end - 1);
            last = std::stoi(text.substr(start == std::string::npos ? 0 : start + 1));
            text.erase(0, end + 1);
        }
    }
    return last;
}

TEST_F(SettingsTest, AWriterKilledAtRandomMomentsLeavesOneWholeSaveOnDisk) {
    constexpr int kKills = 20;
    constexpr int kSavesPerWriter = 1000;
    std::mt19937 random(23);
    const auto path = ConfigFolder() / "settings.txt";
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const int first = kill * kSavesPerWriter;
        int output = -1;
        const pid_t child = StartWriter(first, output);
        ASSERT_GT(child, 0);
        // Killed while saving on, somewhere after a save chosen at random.
        const int target = first + static_cast<int>(random() % (kSavesPerWriter / 2));
        const int saved = WaitForSave(output, target);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(output);
        ASSERT_GE(saved, target) << "the writer stopped early";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        C_Settings loaded(Sink());
        loaded.Load();
        ASSERT_TRUE(lines.empty()) << lines.front();
        ASSERT_FALSE(std::filesystem::exists(path.string() + ".bad"));
        const std::string name = loaded.GetLastName();
        ASSERT_EQ(name.rfind("save ", 0), 0u) << name;
        const int number = std::stoi(name.substr(5));
        // The last save reported, or one that finished or was renamed after it.
        EXPECT_GE(number, saved);
        EXPECT_LT(number, first + kSavesPerWriter);
        C_Settings expected(nullptr);
        ApplySnapshot(expected, number);
        EXPECT_EQ(ReadFile(path), expected.SaveBytes());
    }
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(SettingsTest, DefaultsAreTheGamesKeysAndBindingsAreLookedUpBothWays) {
    C_Settings settings(nullptr);
    const int keys[] = {DIK_LEFT, DIK_RIGHT, DIK_Z, DIK_X, DIK_DOWN, DIK_SPACE, DIK_P, DIK_ESCAPE};
    for (int i = 0; i < kGameActionCount; ++i) {
        const auto action = static_cast<GameAction>(i);
        EXPECT_EQ(settings.GetKey(action), keys[i]);
        GameAction found{};
        ASSERT_TRUE(settings.ActionOfKey(keys[i], found));
        EXPECT_EQ(found, action);
        ASSERT_TRUE(settings.ActionOfPadButton(settings.GetPadButton(action), found));
        EXPECT_EQ(found, action);
    }
    GameAction found{};
    EXPECT_FALSE(settings.ActionOfKey(DIK_Q, found));
    EXPECT_FALSE(settings.SetKey(GameAction::Drop, 0x54));
    EXPECT_FALSE(settings.SetPadButton(GameAction::Drop, kPadButtonCount));
    EXPECT_EQ(settings.GetKey(GameAction::Drop), DIK_DOWN);
    settings.SetMusicVolume(99);
    settings.SetEffectsVolume(-1);
    EXPECT_EQ(settings.GetMusicVolume(), C_Settings::kMaxVolume);
    EXPECT_EQ(settings.GetEffectsVolume(), 0);
}

}  // namespace
