#include "console/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "console/consolecommands.h"
#include "core/error.h"
#include "model/model.h"
#include "net/net.h"
#include "support/framework.h"
#include "support/sdlinput.h"

namespace {

// Types each byte of `text` into the console, as the window's typed characters.
void Type(C_Console& console, const std::string& text) {
    for (char c : text) {
        console.OnChar(c);
    }
}

std::string Newest(const C_Console& console) {
    const auto lines = console.GetLines();
    return lines.empty() ? "<no lines>" : lines.front();
}

// The framework's console after start-up: closed, with its banner.
class ConsoleTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        StartGame();
    }
};

// The same console, open (the commands reach the model and the network).
class ConsoleCommandTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        g_pConsole->OnChar('\t');
    }

    // Types `line` and Enter into the framework's console.
    void Run(const std::string& line) { Type(*g_pConsole, line + "\r"); }
};

TEST_F(ConsoleCommandTest, EveryCommandEchoesItsReplyAfterAPrompt) {
    struct Case {
        const char* typed;
        const char* echo;
    };
    const Case cases[] = {
        {"fps", "> FPS Turned On"},
        {"fps extra", "> FPS Turned On"},
        {"mouse", "> Mouse Coordinates Turned On"},
        {"pause", "> Game Paused (Type Pause again to play)"},
        {"test", "> Testing Thang' On"},
        {"say hi", "> \"hi!\""},
        {"say", "> \"!\""},
        {"say ", "> \"!\""},
        {"say  two  spaces ", "> \" two  spaces !\""},
        {"newfps 60", "> done"},
        {"startnet", "> DirectPlay initialized"},
        {"host", "> Host command completed"},
        {"join", "> Supply a hostname!"},
        {"join ", "> Supply a hostname!"},
        {"join game box", "> Join command completed"},
        {"", "> "},
        {" \v  ", ">  \v  "},
        {"foo", "> Unknown Input: \"foo\" ?"},
        {"Pause", "> Unknown Input: \"Pause\" ?"},
        {"FPS", "> Unknown Input: \"FPS\" ?"},
        {" fps", "> Unknown Input: \" fps\" ?"},
        {"fpsx", "> Unknown Input: \"fpsx\" ?"},
        {"sayhi", "> Unknown Input: \"sayhi\" ?"},
        {"quitnow", "> Unknown Input: \"quitnow\" ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
        // Each case starts from a fresh console, all flags off.
        C_Console console;
        console.Init();
        console.OnChar('\t');
        Type(console, std::string(c.typed) + "\r");
        EXPECT_EQ(Newest(console), c.echo);
        EXPECT_EQ(console.GetInput(), "");
    }
}

TEST_F(ConsoleCommandTest, FlagCommandsToggleAndReplyWithTheNewState) {
    Run("fps");
    EXPECT_TRUE(g_pConsole->IsFpsOn());
    Run("fps");
    EXPECT_FALSE(g_pConsole->IsFpsOn());
    EXPECT_EQ(Newest(*g_pConsole), "> FPS Turned Off");

    Run("mouse");
    EXPECT_TRUE(g_pConsole->IsMouseOn());
    Run("mouse");
    EXPECT_FALSE(g_pConsole->IsMouseOn());
    EXPECT_EQ(Newest(*g_pConsole), "> Mouse Coordinates Turned Off");

    Run("pause");
    EXPECT_TRUE(g_pConsole->IsPaused());
    Run("pause");
    EXPECT_FALSE(g_pConsole->IsPaused());
    EXPECT_EQ(Newest(*g_pConsole), "> Game On!");

    Run("test");
    EXPECT_TRUE(g_pConsole->IsTestOn());
    Run("test");
    EXPECT_FALSE(g_pConsole->IsTestOn());
    EXPECT_EQ(Newest(*g_pConsole), "> Testing Thang' Off");
}

TEST_F(ConsoleCommandTest, PauseStopsTheGameClockUntilTypedAgain) {
    ASSERT_TRUE(RunFrames(3));
    Run("pause");
    const float paused = g_pModel->GetTimer()->GetGameTime();
    clock.Advance(0.5);
    ASSERT_TRUE(RunFrames(5));
    EXPECT_EQ(g_pModel->GetTimer()->GetGameTime(), paused);
    Run("pause");
    clock.Advance(0.5);
    ASSERT_TRUE(RunFrames(2));
    EXPECT_GT(g_pModel->GetTimer()->GetGameTime(), paused);
}

TEST_F(ConsoleCommandTest, QuitAndExitEndTheRunWithoutAnEcho) {
    for (const char* word : {"quit", "exit"}) {
        SCOPED_TRACE(word);
        StopGame();
        CreateFrameworkObjects();
        StartGame();
        g_pConsole->OnChar('\t');
        const auto before = g_pConsole->GetLines();
        Run(word);
        EXPECT_EQ(g_pConsole->GetLines(), before);
        // The quit state is built at the end of this frame and ends the loop.
        ASSERT_TRUE(RunFrames(1));
        EXPECT_FALSE(RunFrames(2));
    }
}

TEST_F(ConsoleCommandTest, ClearRemovesEveryLineIncludingTheBannerAndEchoesNothing) {
    ASSERT_EQ(g_pConsole->GetLines().size(), 2u);
    Run("say hi");
    Run("clear");
    EXPECT_TRUE(g_pConsole->GetLines().empty());
    EXPECT_EQ(g_pConsole->GetInput(), "");
}

TEST_F(ConsoleCommandTest, NewFpsPrintsTheRateAboveItsEchoAndSaturates) {
    struct Case {
        const char* typed;
        int rate;
    };
    const Case cases[] = {
        {"newfps 30", 30},
        {"newfps 99999999999999", INT_MAX},
        {"newfps -99999999999999", INT_MIN},
        {"newfps abc", 0},
        {"newfps", 0},
        {"newfps 12abc", 12},
        {"newfps  7", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Run(c.typed);
        EXPECT_EQ(g_pModel->GetFrameRate(), c.rate);
        const auto lines = g_pConsole->GetLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.front(), "> done");
        EXPECT_EQ(*std::next(lines.begin()), "New frame rate: " + IntToString(c.rate));
    }
}

TEST_F(ConsoleCommandTest, NewFpsLimitsFramesAndZeroOrNegativeRemovesTheLimit) {
    struct Case {
        const char* typed;
        bool limited;
    };
    const Case cases[] = {
        {"newfps 30", true},   {"newfps 0", false},
        {"newfps -5", false},  {"newfps -99999999999999", false},
        {"newfps abc", false}, {"newfps 75", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Run(c.typed);
        ASSERT_TRUE(RunFrames(1));  // the first frame at the new rate ends the old slot
        clock.slept = 0;
        ASSERT_TRUE(RunFrames(5));
        EXPECT_EQ(clock.slept > 0, c.limited);
    }
}

TEST_F(ConsoleCommandTest, NetworkCommandsCallTheSessionAndReplyRegardless) {
    // A port of the system's choosing: a game running on this machine keeps its own.
    delete g_pNet;
    g_pNet = new C_Net(0);
    Run("startnet");
    EXPECT_TRUE(Prompts().reports.empty());
    EXPECT_EQ(Newest(*g_pConsole), "> DirectPlay initialized");

    Run("host");
    EXPECT_TRUE(g_pNet->IsHost());
    EXPECT_NE(g_pNet->GetHostPort(), 0);
    EXPECT_EQ(Newest(*g_pConsole), "> Host command completed");
    // A bare join does not reach the session: this side stays the host.
    Run("join");
    EXPECT_TRUE(g_pNet->IsHost());
    Run("join ");
    EXPECT_TRUE(g_pNet->IsHost());
    // The whole rest of the line is the name; this one names nobody.
    Run("join other machine");
    EXPECT_FALSE(g_pNet->IsHost());
    EXPECT_TRUE(Prompts().Saw("Failed to add hostname component"));
    EXPECT_EQ(Newest(*g_pConsole), "> Join command completed");
}

TEST_F(ConsoleCommandTest, HandlersRunAloneWithTheirArgument) {
    C_Console console;
    const ConsoleCommand* say = FindConsoleCommand("say");
    ASSERT_NE(say, nullptr);
    EXPECT_EQ(say->handler(console, "a b"), std::optional<std::string>("\"a b!\""));
    const ConsoleCommand* join = FindConsoleCommand("join");
    ASSERT_NE(join, nullptr);
    EXPECT_EQ(join->handler(console, ""), std::optional<std::string>("Supply a hostname!"));
    const ConsoleCommand* clear = FindConsoleCommand("clear");
    ASSERT_NE(clear, nullptr);
    console.AddLine("x");
    EXPECT_EQ(clear->handler(console, ""), std::nullopt);
    EXPECT_TRUE(console.GetLines().empty());
    EXPECT_EQ(FindConsoleCommand("Say"), nullptr);
    EXPECT_EQ(FindConsoleCommand(""), nullptr);
}

TEST_F(ConsoleTest, TypingWhileClosedChangesNothingButTab) {
    C_Console& console = *g_pConsole;
    const auto banner = console.GetLines();
    Type(console, "fps\rab\b\x1b");
    EXPECT_EQ(console.GetInput(), "");
    EXPECT_EQ(console.GetLines(), banner);
    EXPECT_FALSE(console.IsFpsOn());
    console.OnChar('\t');
    EXPECT_TRUE(console.IsOpen());
    console.OnChar('\t');
    EXPECT_FALSE(console.IsOpen());
}

TEST_F(ConsoleTest, BackspaceAndEscapeEditWithoutRunning) {
    C_Console& console = *g_pConsole;
    console.OnChar('\t');
    console.OnChar('\b');
    EXPECT_EQ(console.GetInput(), "");
    Type(console, "fpx\bs");
    EXPECT_EQ(console.GetInput(), "fps");
    console.OnChar(27);
    EXPECT_EQ(console.GetInput(), "");
    EXPECT_FALSE(console.IsFpsOn());
    EXPECT_EQ(console.GetLines().size(), 2u);
    // Other control characters are kept as typed.
    Type(console, "a\x01");
    EXPECT_EQ(console.GetInput(), "a\x01");
}

TEST(ConsoleInput, Utf8CharactersArriveWholeOrNotAtAll) {
    struct Case {
        const char* name;
        std::string typed;
        std::string input;
    };
    const Case cases[] = {
        {"two-byte", "caf\xC3\xA9", "caf\xC3\xA9"},
        {"three-byte", "\xE2\x82\xAC", "\xE2\x82\xAC"},
        {"four-byte", "\xF0\x9F\x99\x82!", "\xF0\x9F\x99\x82!"},
        {"unfinished before ASCII", "a\xC3z", "az"},
        {"unfinished at the end", "a\xE2\x82", "a"},
        {"new lead abandons the old", "\xE2\x82\xC3\xA9", "\xC3\xA9"},
        {"stray continuation", "a\xA9\x80", "a"},
        {"invalid leads", "\xC0\xAF\xC1\xBF\xF5\x80\x80\x80\xFF", ""},
        {"overlong three-byte", "\xE0\x80\xAF", ""},
        {"surrogate", "\xED\xA0\x80", ""},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", ""},
        {"backspace removes a whole character", "a\xE2\x82\xAC\b", "a"},
        {"backspace drops an unfinished one", "ab\xE2\x82\b", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C_Console console;
        console.OnChar('\t');
        Type(console, c.typed);
        EXPECT_EQ(console.GetInput(), c.input);
    }
}

TEST(ConsoleInput, TheInputLineIsBoundedWithoutSplittingACharacter) {
    C_Console console;
    console.OnChar('\t');
    Type(console, std::string(C_Console::kMaxInputBytes - 1, 'a'));
    Type(console, "\xC3\xA9");  // two bytes do not fit in the one left
    EXPECT_EQ(console.GetInput().size(), C_Console::kMaxInputBytes - 1);
    Type(console, "b");
    EXPECT_EQ(console.GetInput().size(), C_Console::kMaxInputBytes);
    Type(console, std::string(5000, 'c'));
    EXPECT_EQ(console.GetInput().size(), C_Console::kMaxInputBytes);
    EXPECT_EQ(console.GetInput().back(), 'b');
    // Enter still runs the bounded line and empties it.
    console.OnChar('\r');
    EXPECT_EQ(console.GetInput(), "");
}

TEST_F(ConsoleTest, EveryLineAddedWithoutAFrameKeepsTheNewestForty) {
    // As an inactive window's console does: no frame runs, lines keep coming.
    C_Console& console = *g_pConsole;
    for (int i = 0; i < 10000; ++i) {
        console.AddLine("line " + IntToString(i));
        // The two banner lines came first.
        const size_t held = console.GetLines().size();
        ASSERT_EQ(held, std::min<size_t>(static_cast<size_t>(i) + 3, 40u)) << i;
    }
    const auto lines = console.GetLines();
    EXPECT_EQ(lines.front(), "line 9999");
    EXPECT_EQ(lines.back(), "line 9960");
}

TEST_F(ConsoleTest, OpensAndClosesFifteenPixelsAFrame) {
    C_Console& console = *g_pConsole;
    EXPECT_FALSE(console.IsOpen());
    ASSERT_EQ(console.GetHeight(), 520);
    console.Update();
    EXPECT_EQ(console.GetOffset(), 0);
    console.OnChar('\t');
    std::vector<int> offsets;
    for (int frame = 0; frame < 36; ++frame) {
        console.Update();
        offsets.push_back(console.GetOffset());
    }
    EXPECT_EQ(offsets[0], 15);
    EXPECT_EQ(offsets[33], 510);
    EXPECT_EQ(offsets[34], 520);  // the 35th frame stops at the full height
    EXPECT_EQ(offsets[35], 520);

    console.OnChar('\t');
    for (int frame = 0; frame < 34; ++frame) {
        console.Update();
    }
    EXPECT_EQ(console.GetOffset(), 10);
    console.Update();
    EXPECT_EQ(console.GetOffset(), 0);
    console.Update();
    EXPECT_EQ(console.GetOffset(), 0);
}

TEST_F(ConsoleTest, TabMidwayReversesFromWhereItIs) {
    C_Console& console = *g_pConsole;
    console.OnChar('\t');
    for (int frame = 0; frame < 10; ++frame) {
        console.Update();
    }
    ASSERT_EQ(console.GetOffset(), 150);
    console.OnChar('\t');
    console.Update();
    EXPECT_EQ(console.GetOffset(), 135);
    console.Update();
    EXPECT_EQ(console.GetOffset(), 120);
    console.OnChar('\t');
    console.Update();
    EXPECT_EQ(console.GetOffset(), 135);
}

TEST_F(ConsoleCommandTest, LinesFromOtherThreadsArriveWhileFramesRun) {
    // As the network handler does: lines from threads of their own while the
    // main thread updates, draws and prints.
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 500;
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&go, t] {
            while (!go.load()) {
                std::this_thread::yield();
            }
            for (int i = 0; i < kLinesEach; ++i) {
                g_pConsole->AddLine("thread " + IntToString(t) + " line " + IntToString(i));
            }
        });
    }
    go = true;
    for (int frame = 0; frame < 50; ++frame) {
        ASSERT_TRUE(RunFrames(1));
        Run("say main");
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    g_pConsole->Update();
    const auto lines = g_pConsole->GetLines();
    ASSERT_EQ(lines.size(), 40u);
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.rfind("thread ", 0) == 0 || line == "> \"main!\"") << line;
    }
}

}  // namespace

namespace {

// Up and Down as the window delivers them.
class ConsoleHistoryTest : public ConsoleCommandTest {
protected:
    std::string Press(SDL_Scancode key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            PushKey(key, true);
            PushKey(key, false);
        }
        EXPECT_TRUE(RunFrames(1));
        return g_pConsole->GetInput();
    }
};

TEST_F(ConsoleHistoryTest, UpAndDownWalkTheLinesRunNewestFirstAndBackToTheTypedLine) {
    for (const char* line : {"say a", "say b", "", "say b", "   "}) {
        Run(line);
    }
    Type(*g_pConsole, "sa");
    EXPECT_EQ(Press(SDL_SCANCODE_UP), "say b");  // blanks and the repeat were not kept
    EXPECT_EQ(Press(SDL_SCANCODE_UP), "say a");
    EXPECT_EQ(Press(SDL_SCANCODE_UP), "say a");  // the oldest stays
    EXPECT_EQ(Press(SDL_SCANCODE_DOWN), "say b");
    EXPECT_EQ(Press(SDL_SCANCODE_DOWN), "sa");
    EXPECT_EQ(Press(SDL_SCANCODE_DOWN), "sa");
    // Escape clears the line and starts over from the newest.
    Press(SDL_SCANCODE_UP);
    g_pConsole->OnChar(27);
    EXPECT_EQ(g_pConsole->GetInput(), "");
    EXPECT_EQ(Press(SDL_SCANCODE_UP), "say b");
    // Closed, the console takes no keys.
    g_pConsole->OnChar('\t');
    EXPECT_EQ(Press(SDL_SCANCODE_UP), "say b");
}

TEST_F(ConsoleHistoryTest, KeepsTheNewestThirtyTwoLines) {
    for (int i = 0; i < 40; ++i) {
        Run("say " + std::to_string(i));
    }
    EXPECT_EQ(Press(SDL_SCANCODE_UP, 31), "say 9");
    EXPECT_EQ(Press(SDL_SCANCODE_UP), "say 8");
    EXPECT_EQ(Press(SDL_SCANCODE_UP), "say 8");
}

TEST_F(ConsoleHistoryTest, ARecalledLineRunsLikeATypedOne) {
    Run("fps");
    ASSERT_TRUE(g_pConsole->IsFpsOn());
    Press(SDL_SCANCODE_UP);
    Press(SDL_SCANCODE_RETURN);
    EXPECT_FALSE(g_pConsole->IsFpsOn());
    EXPECT_EQ(Newest(*g_pConsole), "> FPS Turned Off");
    EXPECT_EQ(g_pConsole->GetInput(), "");
}

}  // namespace
