#include "store/storefile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <tuple>

#include "core/keycodes.h"
#include "store/highscores.h"
#include "store/settings.h"
#include "support/userfolders.h"

namespace {

using namespace std::string_literals;
using StoreFileTest = UserFoldersTest;

TEST_F(StoreFileTest, BothTablesComeBackAsSavedWithUnknownEntriesInTheirPlaces) {
    WriteFile(ConfigFolder() / "settings.txt",
              "tubrix-settings 1\nfuture_option 7 words\nmusic_volume 2\nend\n");
    C_Settings settings(Sink());
    settings.Load();
    ASSERT_EQ(settings.GetMusicVolume(), 2);
    settings.SetKey(GameAction::RotateClockwise, DIK_C);
    settings.SetEffectsVolume(4);
    settings.SetFullscreen(true);
    settings.SetDropPreview(true);
    settings.SetLastName("Ada Lovelace");
    ASSERT_TRUE(settings.Save());
    C_HighScores scores(Sink());
    // A game without a replay, as those entered before replays were kept.
    scores.Insert(
        {"Grace", 900, 3, 12, 40, "2024-02-29", "20240229-101500-game-0000abcd.tbreplay"});
    scores.Insert({"Alan", 1200, 0, 20, 70, "2024-03-01", ""});
    ASSERT_TRUE(scores.Save());

    C_Settings again(Sink());
    again.Load();
    EXPECT_EQ(std::make_tuple(again.GetKey(GameAction::RotateClockwise),
                              again.GetKey(GameAction::MoveLeft), again.GetMusicVolume(),
                              again.GetEffectsVolume(), again.IsFullscreen(),
                              again.IsDropPreviewOn(), again.GetLastName()),
              std::make_tuple(DIK_C, DIK_LEFT, 2, 4, true, true, "Ada Lovelace"s));
    const std::string file = ReadFile(ConfigFolder() / "settings.txt");
    EXPECT_EQ(file.find("tubrix-settings 1\nfuture_option 7 words\nmusic_volume 2\n"), 0u) << file;
    EXPECT_EQ(again.SaveBytes(), file);

    C_HighScores scoresAgain(Sink());
    scoresAgain.Load();
    ASSERT_EQ(scoresAgain.GetEntries().size(), 2u);
    const HighScore& best = scoresAgain.GetEntries()[0];
    EXPECT_EQ(
        std::tie(best.name, best.score, best.startingLevel, best.rows, best.piecesPiped, best.date),
        std::make_tuple("Alan"s, 1200, 0, 20, 70, "2024-03-01"s));
    EXPECT_EQ(best.replay, "");
    EXPECT_EQ(scoresAgain.GetEntries()[1].name, "Grace");
    EXPECT_EQ(scoresAgain.GetEntries()[1].replay, "20240229-101500-game-0000abcd.tbreplay");
    EXPECT_TRUE(lines.empty()) << lines.front();
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(StoreFileTest, BadLinesAreSkippedWithALineEachAndTheRestIsRead) {
    WriteFile(ConfigFolder() / "settings.txt",
              "tubrix-settings 1\nmusic_volume 11\nNot A Key\nkey.drop nosuchkey\n"
              "effects_volume 3\neffects_volume 4\nend\n");
    C_Settings settings(Sink());
    settings.Load();
    EXPECT_EQ(settings.GetMusicVolume(), C_Settings::kMaxVolume);
    EXPECT_EQ(settings.GetKey(GameAction::Drop), DIK_DOWN);
    EXPECT_EQ(settings.GetEffectsVolume(), 3);
    ASSERT_EQ(lines.size(), 4u);
    // In the order of the file.
    EXPECT_EQ(lines[0], "settings.txt: line 2: \"music_volume\" cannot be \"11\"; skipped");
    EXPECT_NE(lines[3].find("line 6"), std::string::npos) << lines[3];
    EXPECT_TRUE(Prompts().reports.empty());
}

struct BadFile {
    const char* name;
    std::string bytes;
    // Unreadable as a whole: moved aside to .bad.
    bool setAside;
    // What is read from it, over the defaults (10, off).
    int musicVolume;
    bool fullscreen;
};

TEST_F(StoreFileTest, ADamagedSettingsFileKeepsEveryLineThatReadsWithOneLineAndNoPrompt) {
    const std::string whole = "tubrix-settings 1\nmusic_volume 3\nfullscreen on\nend\n";
    const BadFile cases[] = {
        {"corrupt line", "tubrix-settings 1\nmusic_volume \0\x01\xff\nfullscreen on\nend\n"s, true,
         10, true},
        {"truncated in a line", whole.substr(0, whole.size() - 6), true, 3, false},
        {"truncated between lines", whole.substr(0, whole.size() - 4), true, 3, true},
        {"empty", "", true, 10, false},
        {"not ours", "volume=3\nmusic_volume 3\n", true, 10, false},
        {"too large", "tubrix-settings 1\nmusic_volume 3\n" + std::string(70000, '#') + "\nend\n",
         true, 3, false},
        {"newer version", "tubrix-settings 2\nfuture_option 1\nend\n", false, 10, false},
    };
    for (const BadFile& bad : cases) {
        SCOPED_TRACE(bad.name);
        lines.clear();
        std::filesystem::remove_all(ConfigFolder());
        const auto path = ConfigFolder() / "settings.txt";
        WriteFile(path, bad.bytes);
        C_Settings settings(Sink());
        settings.SetMusicVolume(0);
        settings.Load();
        EXPECT_EQ(settings.GetMusicVolume(), bad.musicVolume);
        EXPECT_EQ(settings.IsFullscreen(), bad.fullscreen);
        EXPECT_EQ(lines.size(), 1u);
        const bool kept = bad.musicVolume != 10 || bad.fullscreen;
        if (bad.setAside) {
            EXPECT_EQ(ReadFile(ConfigFolder() / "settings.txt.bad"), bad.bytes);
            // What was read is written back at once.
            EXPECT_EQ(std::filesystem::exists(path), kept);
            EXPECT_EQ(ReadFile(path), kept ? settings.SaveBytes() : "");
            EXPECT_TRUE(settings.Save());
        } else {
            // Never overwritten by a version that does not know all it holds.
            EXPECT_FALSE(settings.Save());
            EXPECT_EQ(ReadFile(path), bad.bytes);
        }
        EXPECT_EQ(lines.size(), 1u);
    }
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(StoreFileTest, ADamagedScoresFileKeepsItsWholeGamesAndSaysSoOnce) {
    std::string table = "tubrix-scores 1\n";
    for (int place = 1; place <= 7; ++place) {
        table += "place." + std::to_string(place) + " " + std::to_string(1000 - place) +
                 " 1 2 3 2024-05-0" + std::to_string(place) + " Name " + std::to_string(place) +
                 "\n";
    }
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    std::string notText = table + "end\n";
    notText.replace(notText.find(" 998 "), 1, "\x01");
    struct DamagedTable {
        const char* name;
        std::string bytes;
        // The places of the games kept, in the order of the table.
        std::string kept;
    };
    const DamagedTable cases[] = {
        {"cut in the fourth game", table.substr(0, table.find("place.4") + 12), "123"},
        {"random bytes", noise, ""},
        {"a good table, then far too much", table + "end\n" + std::string(256 * 1024, 'x'),
         "1234567"},
        {"a line that is not text", notText, "134567"},
    };
    const auto path = DataFolder() / "scores.txt";
    for (const DamagedTable& bad : cases) {
        SCOPED_TRACE(bad.name);
        lines.clear();
        std::filesystem::remove_all(DataFolder());
        WriteFile(path, bad.bytes);
        C_HighScores scores(Sink());
        scores.Load();
        std::string kept;
        for (const HighScore& game : scores.GetEntries()) {
            kept += game.name.substr(game.name.size() - 1);
        }
        EXPECT_EQ(kept, bad.kept);
        EXPECT_EQ(lines.size(), 1u);
        EXPECT_EQ(ReadFile(path.string() + ".bad"), bad.bytes);
        // What was read is written back at once.
        EXPECT_EQ(std::filesystem::exists(path), !bad.kept.empty());
        EXPECT_EQ(ReadFile(path), bad.kept.empty() ? "" : scores.SaveBytes());
        C_StoreFile::Damage damage;
        ASSERT_TRUE(scores.TakeDamage(damage));
        EXPECT_EQ(damage.kept, static_cast<int>(bad.kept.size()));
        EXPECT_EQ(damage.original, path.string() + ".bad");
        EXPECT_FALSE(scores.TakeDamage(damage));
    }
}

TEST_F(StoreFileTest, APipeInAFilesPlaceIsNotOpenedNorMovedAndTheDefaultsAreUsed) {
    for (const bool scoresFile : {false, true}) {
        SCOPED_TRACE(scoresFile ? "scores" : "settings");
        lines.clear();
        C_Settings settings(Sink());
        C_HighScores scores(Sink());
        C_StoreFile& store = scoresFile ? static_cast<C_StoreFile&>(scores) : settings;
        const std::filesystem::path path = store.GetPath();
        std::filesystem::create_directories(path.parent_path());
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        settings.SetMusicVolume(0);
        std::atomic<bool> loaded{false};
        std::thread loader([&store, &loaded] {
            store.Load();
            loaded = true;
        });
        // A writer can open the pipe only while a reader waits on it: the
        // loader either finishes or is caught waiting, and is then let go.
        bool caughtWaiting = false;
        while (!loaded && !caughtWaiting) {
            const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            caughtWaiting = fd >= 0;
            if (caughtWaiting) {
                close(fd);
            }
            std::this_thread::yield();
        }
        loader.join();
        EXPECT_FALSE(caughtWaiting) << "Load waited on the pipe";
        // Loaded or not, the settings start from their defaults.
        EXPECT_EQ(settings.GetMusicVolume(), scoresFile ? 0 : C_Settings::kMaxVolume);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("not a regular file"), std::string::npos) << lines[0];
        EXPECT_FALSE(store.Save());
        EXPECT_TRUE(std::filesystem::is_fifo(path));
        EXPECT_FALSE(std::filesystem::exists(path.string() + ".bad"));
        EXPECT_EQ(lines.size(), 1u);
    }
}

TEST_F(StoreFileTest, AtStartTheTemporaryFilesOfKilledSavesGoAndNothingElse) {
    const auto folder = ConfigFolder();
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    struct Found {
        const char* name;
        bool folder;
        bool staysAfterLoad;
    };
    const Found found[] = {
        {".settings.txt.aZ09xY", false, false},
        {".settings.txt.aZ09x", false, true},
        {".settings.txt.aZ09xY.bak", false, true},
        {"settings.txt.aZ09xY", false, true},
        {".scores.txt.aZ09xY", false, true},
        {".settings.txt.folder", true, true},
        {"notes.txt", false, true},
    };
    for (const Found& file : found) {
        const auto path = folder / file.name;
        if (file.folder) {
            std::filesystem::create_directories(path);
        } else {
            WriteFile(path, "left");
        }
        std::filesystem::last_write_time(path, old);
    }
    // One just written may be another copy's save in progress.
    WriteFile(folder / ".settings.txt.n0wSav", "saving");
    C_Settings(Sink()).Load();
    for (const Found& file : found) {
        EXPECT_EQ(std::filesystem::exists(folder / file.name), file.staysAfterLoad) << file.name;
    }
    EXPECT_TRUE(std::filesystem::exists(folder / ".settings.txt.n0wSav"));
    EXPECT_TRUE(lines.empty());
}

TEST_F(StoreFileTest, ANewerFileIsReadForWhatThisVersionKnows) {
    WriteFile(DataFolder() / "scores.txt",
              "tubrix-scores 7\nplace.1 50 1 2 3 2030-01-01 Future\nplace.11 1 1 1 1 2030-01-01 "
              "X\nend\n");
    C_HighScores scores(Sink());
    scores.Load();
    ASSERT_EQ(scores.GetEntries().size(), 1u);
    EXPECT_EQ(scores.GetEntries()[0].name, "Future");
    EXPECT_TRUE(scores.IsFromNewerVersion());
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(StoreFileTest, AFolderThatCannotBeWrittenGivesOneLinePerRun) {
    // A file where the folder should be: refused even to root.
    WriteFile(ConfigFolder(), "in the way");
    C_Settings settings(Sink());
    settings.Load();
    EXPECT_EQ(settings.GetMusicVolume(), C_Settings::kMaxVolume);
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(settings.Save());
    settings.SetMusicVolume(5);
    EXPECT_FALSE(settings.Save());
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(ReadFile(ConfigFolder()), "in the way");
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(StoreFileTest, TheFoldersFollowTheDesktopsVariablesAndAreMadeWhenFirstSaved) {
    C_HighScores scores(Sink());
    EXPECT_EQ(scores.GetPath(), (DataFolder() / "scores.txt").string());
    EXPECT_FALSE(std::filesystem::exists(DataFolder()));
    EXPECT_TRUE(scores.Save());
    EXPECT_TRUE(std::filesystem::is_regular_file(DataFolder() / "scores.txt"));
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(C_Settings(Sink()).GetPath(), (root / "home/.config/tubrix/settings.txt").string());
    // A relative path is not the desktop's: ignored.
    setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(scores.GetPath(), (root / "home/.local/share/tubrix/scores.txt").string());
}

}  // namespace
