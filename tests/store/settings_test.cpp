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
#include "core/padbuttons.h"
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

// The second player's bindings and both players' moves come back as saved,
// beside the first player's entries of old; a file from before them gives
// the defaults, a bad value is skipped as any other line, and a key a file
// gives both players stays the first's.
TEST_F(SettingsTest, TheSecondPlayerAndTheMovesComeBackAsSaved) {
    C_Settings settings(nullptr);
    settings.SetKey(GameAction::Drop, DIK_E, 1);
    settings.SetPadButton(GameAction::Pause, PAD_X, 1);
    settings.SetMoveRepeat(1, {true, 300, 20});
    settings.SetMoveRepeat(0, {true, 999, 1});
    EXPECT_EQ(settings.GetMoveRepeat(0),
              (MoveRepeat{true, C_Settings::kMaxRepeatDelay, C_Settings::kMinRepeatInterval}));
    const std::string saved = settings.SaveBytes();
    for (const char* line : {"\nkey.drop down\n", "\np2.key.drop e\n", "\nmoves repeating\n",
                             "\np2.repeat_interval 20\n"}) {
        EXPECT_NE(saved.find(line), std::string::npos) << line << saved;
    }
    C_Settings again(Sink());
    ASSERT_TRUE(again.LoadBytes(saved));
    EXPECT_EQ(again.SaveBytes(), saved);
    EXPECT_EQ(again.GetPadButton(GameAction::Pause, 1), PAD_X);
    EXPECT_EQ(again.GetMoveRepeat(1), (MoveRepeat{true, 300, 20}));

    struct Case {
        const char* name;
        const char* entries;
        int secondLeft;
        size_t reported;
    };
    const Case cases[] = {
        {"from before", "music_volume 3\n", DIK_A, 0},
        {"bad values",
         "p2.key.left nosuchkey\np2.moves sometimes\np2.repeat_delay 501\n"
         "p2.repeat_interval 020\n",
         DIK_A, 4},
        {"player 1 took A", "key.rotate_ccw a\n", DIK_E, 0},
        {"both given F", "key.rotate_ccw f\np2.key.left f\n", DIK_A, 1},
        {"both given A", "key.rotate_ccw a\np2.key.left a\n", DIK_E, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lines.clear();
        C_Settings loaded(Sink());
        ASSERT_TRUE(loaded.LoadBytes(std::string("tubrix-settings 1\n") + c.entries + "end\n"));
        EXPECT_EQ(loaded.GetKey(GameAction::MoveLeft, 1), c.secondLeft);
        EXPECT_EQ(loaded.GetMoveRepeat(1), MoveRepeat{});
        EXPECT_EQ(lines.size(), c.reported);
    }
}

// The relay's address is kept as written, comes back from the file, and a
// value that names no host and port is refused there as from a setter.
TEST_F(SettingsTest, TheRelayAddressComesBackAsSavedAndABadOneIsRefused) {
    struct Case {
        const char* written;
        bool good;
        const char* host;
        uint16_t port;
    };
    const Case cases[] = {
        {"relay.example.org", true, "relay.example.org", 27421},
        {" 198.18.0.7:4000 ", true, "198.18.0.7", 4000},
        {"r:65535", true, "r", 65535},
        {"", false, "", 0},
        {"host:", false, "", 0},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:080", false, "", 0},
        {"host:80x", false, "", 0},
        {"two words", false, "", 0},
        {"-dash.first", false, "", 0},
        {"a:1:2", false, "", 0},
        {"h\xC3\xA9te", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.written + "\"");
        std::string host = "unchanged";
        uint16_t port = 1;
        ASSERT_EQ(ParseHostPort(c.written, 27421, host, port), c.good);
        EXPECT_EQ(host, c.good ? c.host : "unchanged");
        EXPECT_EQ(port, c.good ? c.port : 1);

        C_Settings settings(nullptr);
        ASSERT_TRUE(settings.SetRelay("before:1"));
        // Empty clears the relay; anything else bad leaves it.
        const bool empty = std::string(c.written).empty();
        EXPECT_EQ(settings.SetRelay(c.written), c.good || empty);
        const std::string kept =
            c.good ? std::string(c.host) + (std::string(c.written).find(':') != std::string::npos
                                                ? ":" + std::to_string(c.port)
                                                : "")
                   : (empty ? "" : "before:1");
        EXPECT_EQ(settings.GetRelay(), kept);

        lines.clear();
        C_Settings loaded(Sink());
        ASSERT_TRUE(
            loaded.LoadBytes(std::string("tubrix-settings 1\nrelay ") + c.written + "\nend\n"));
        EXPECT_EQ(loaded.GetRelay(), c.good ? kept : "");
        EXPECT_EQ(lines.size(), c.good ? 0u : 1u);
        if (c.good) {
            C_Settings again(nullptr);
            ASSERT_TRUE(again.LoadBytes(loaded.SaveBytes()));
            EXPECT_EQ(again.GetRelay(), kept);
        } else {
            EXPECT_EQ(loaded.SaveBytes().find("\nrelay"), std::string::npos);
        }
    }
}

}  // namespace
