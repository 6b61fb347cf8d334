#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <utility>

namespace {

struct Direction {
    const char* from;
    const char* to;
    const char* reason;
};

// Every direction one folder of source/ may include another in. A folder
// always includes itself; "main" is source/main.cpp. Nothing includes shell/
// but main.cpp, and core/ includes nothing of the system.
constexpr Direction kAllowed[] = {
    {"main", "shell", "the entry calls the program"},
    {"platform", "core", "result codes and the key vocabulary"},
    {"shell", "core", "errors, globals"},
    {"shell", "platform", "the event loop, the prompt behind the report"},
    {"shell", "model", "brings the framework objects up and down"},
    {"shell", "view", "brings the framework objects up and down"},
    {"shell", "input", "brings the framework objects up and down"},
    {"shell", "console", "brings the framework objects up and down"},
    {"shell", "net", "brings the framework objects up and down"},
    {"shell", "audio", "releases every sound at shutdown"},
    {"model", "core", "errors, globals"},
    {"model", "platform", "the frame timer reads the clock"},
    {"model", "view", "owns the shared font"},
    {"model", "console", "console upkeep and pause in each frame"},
    {"model", "screens", "builds each state by id"},
    {"model", "pong", "builds each state by id"},
    {"model", "demos", "builds each state by id"},
    {"model", "store", "keeps the settings and the score table for the run"},
    {"model", "audio", "the tunes that go on across screens, the volumes"},
    {"model", "versus", "hands a match's setup from the screen that chose it to the next"},
    {"model", "replay", "reads a replay to hand to the screen of its game"},
    {"view", "core", "errors, globals"},
    {"view", "platform", "window, textures, glyphs"},
    {"view", "model", "draws the current state; sprites are placed by vectors"},
    {"view", "console", "draws the console over each frame"},
    {"input", "core", "errors, globals, key codes"},
    {"input", "platform", "input events"},
    {"input", "model", "hands input to the current state"},
    {"input", "view", "the pointer is a sprite"},
    {"input", "console", "the pointer's lines go to the console"},
    {"console", "core", "errors, globals"},
    {"console", "view", "its backdrop and text"},
    {"console", "model", "the commands drive the model"},
    {"console", "net", "the commands start and join sessions"},
    {"audio", "core", "errors"},
    {"audio", "platform", "the sound device"},
    {"net", "core", "errors"},
    {"net", "platform", "the session layer"},
    {"net", "console", "every session event prints a line"},
    {"net", "store", "a player's name, sent and received, as the score table keeps it"},
    {"puzzle", "core", "errors, globals"},
    {"puzzle", "model", "pieces, shapes and the board are game objects"},
    {"puzzle", "view", "pieces draw as sprites"},
    {"puzzle", "audio", "flow and cycle sounds"},
    {"puzzle", "console", "diagnostic lines"},
    {"screens", "core", "errors, globals, key codes"},
    {"screens", "model", "screens are states"},
    {"screens", "view", "sprites and text"},
    {"screens", "input", "keys and the pointer"},
    {"screens", "audio", "sounds"},
    {"screens", "console", "diagnostic lines"},
    {"screens", "puzzle", "the play screen runs the puzzle"},
    {"screens", "versus", "the match screen runs a match and the computer"},
    {"screens", "store", "the player's keys and choices, the score table"},
    {"screens", "net", "the versus screen hosts and joins a network match"},
    {"pong", "model", "its screen is a state"},
    {"pong", "core", "errors, globals, key codes"},
    {"pong", "view", "sprites, the score and countdown text, the field's scale"},
    {"pong", "input", "the keys and the mouse move the paddle"},
    {"pong", "audio", "the bounce"},
    {"pong", "console", "diagnostic lines"},
    {"demos", "model", "their screens are states"},
    {"demos", "core", "errors, globals, key codes"},
    {"demos", "view", "sprites and the balls' names"},
    {"demos", "input", "the arrows and the function keys"},
    {"demos", "audio", "the tune"},
    {"demos", "console", "diagnostic lines and the test flag"},
    {"demos", "pong", "the floor is Pong's wall"},
    {"store", "core", "the key and controller button vocabularies"},
    {"store", "platform", "per-user folders and atomic writes"},
    {"versus", "puzzle", "the computer opponent plays a round of the puzzle"},
    {"versus", "net", "a network match travels as the link's messages"},
    {"replay", "puzzle", "a replay plays a round again from its inputs"},
    {"replay", "versus", "a replay plays a match again"},
    {"replay", "store", "names as the score table keeps them, the table's replays"},
    {"replay", "platform", "the shelf's folder and its atomic writes"},
    {"replay", "net", "a network match's replay keeps what its link took"},
    {"screens", "replay", "the play and match screens keep the replay of each game"},
    {"relay", "net", "the relay answers in the game's relay messages"},
    {"relay", "platform", "the relay runs on the session layer"},
};

// Directions the layout rules out whatever rows are added: the puzzle's rules
// and a match with its kinds know nothing of the screens that show them or of
// the system below the framework, and the rules nothing of the network.
constexpr std::pair<const char*, const char*> kRuledOut[] = {
    {"puzzle", "screens"},  {"puzzle", "platform"}, {"puzzle", "net"},    {"versus", "screens"},
    {"versus", "platform"}, {"replay", "screens"},  {"relay", "screens"}, {"relay", "puzzle"},
};

// The folder of a file under source/, or "main" for a file at its top.
std::string FolderOf(const std::filesystem::path& relative) {
    auto first = relative.begin();
    return std::next(first) == relative.end() ? "main" : first->string();
}

TEST(IncludeDirections, EveryIncludeFollowsTheTableAndEveryRowIsUsed) {
    const std::filesystem::path root = "source";
    ASSERT_TRUE(std::filesystem::is_directory(root));
    std::set<std::pair<std::string, std::string>> allowed;
    for (const Direction& row : kAllowed) {
        allowed.emplace(row.from, row.to);
    }
    for (const auto& [from, to] : kRuledOut) {
        EXPECT_EQ(allowed.count({from, to}), 0u) << from << " -> " << to << " is ruled out";
    }
    const std::regex include(R"(^\s*#\s*include\s*"([a-z]+)/)");
    std::set<std::pair<std::string, std::string>> used;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) {
            continue;
        }
        ++files;
        const std::string from = FolderOf(entry.path().lexically_relative(root));
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (!std::regex_search(line, match, include) || match[1] == from) {
                continue;
            }
            const std::pair<std::string, std::string> direction{from, match[1]};
            EXPECT_TRUE(allowed.count(direction) != 0)
                << entry.path().string() << " includes " << match[1] << "/: not in the table";
            used.insert(direction);
        }
    }
    EXPECT_GT(files, 50);
    for (const Direction& row : kAllowed) {
        EXPECT_TRUE(used.count({row.from, row.to}) != 0)
            << row.from << " -> " << row.to << " is no longer used: drop the row";
    }
}

}  // namespace
