#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/game.h"

namespace {

TEST(Options, OnlyReplayWithItsFileIsTaken) {
    struct Case {
        std::vector<const char*> arguments;
        bool taken;
        const char* replay;
    };
    const Case cases[] = {
        {{"tubrix"}, true, ""},
        {{"tubrix", "--replay", "a b.tbreplay"}, true, "a b.tbreplay"},
        {{"tubrix", "--replay"}, false, ""},
        {{"tubrix", "--fullscreen"}, false, ""},
        {{"tubrix", "game.tbreplay"}, false, ""},
    };
    for (const Case& c : cases) {
        Options options;
        std::string why;
        EXPECT_EQ(
            ParseOptions(static_cast<int>(c.arguments.size()), c.arguments.data(), options, why),
            c.taken)
            << c.arguments.size();
        EXPECT_EQ(options.replay, c.replay);
        EXPECT_EQ(why.empty(), c.taken);
    }
}

}  // namespace
