#include "store/storefile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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
    scores.Insert({"Grace", 900, 3, 12, 40, "2024-02-29"});
    scores.Insert({"Alan", 1200, 0, 20, 70, "2024-03-01"});
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
    EXPECT_EQ(scoresAgain.GetEntries()[1].name, "Grace");
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
};

TEST_F(StoreFileTest, AFileThatCannotBeUsedGivesDefaultsOneLineAndNoPrompt) {
    const std::string whole = "tubrix-settings 1\nmusic_volume 3\nfullscreen on\nend\n";
    const BadFile cases[] = {
        {"corrupt", "tubrix-settings 1\nmusic_volume \0\x01\xff\nend\n"s, true},
        {"truncated in a line", whole.substr(0, whole.size() - 6), true},
        {"truncated between lines", whole.substr(0, whole.size() - 4), true},
        {"empty", "", true},
        {"not ours", "volume=3\n", true},
        {"too large", "tubrix-settings 1\n" + std::string(70000, '#') + "\nend\n", true},
        {"newer version", "tubrix-settings 2\nfuture_option 1\nend\n", false},
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
        EXPECT_EQ(settings.GetMusicVolume(), C_Settings::kMaxVolume);
        EXPECT_FALSE(settings.IsFullscreen());
        EXPECT_EQ(lines.size(), 1u);
        EXPECT_EQ(std::filesystem::exists(path), !bad.setAside);
        if (bad.setAside) {
            EXPECT_EQ(ReadFile(ConfigFolder() / "settings.txt.bad"), bad.bytes);
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
