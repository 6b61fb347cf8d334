#include "core/error.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/events.h"
#include "support/promptrecorder.h"

namespace {

bool QuitPending() {
    platform::Event event;
    while (platform::PollEvent(&event)) {
        if (event.type == platform::EventType::Quit) {
            return true;
        }
    }
    return false;
}

TEST(ErrorReport, ComposesTheFixedText) {
    EXPECT_EQ(
        ComposeErrorText("view", 42, E_FAIL, "Could not create Device"),
        "view\nLine: 42\n\"Could not create Device\"\n\nDX ERROR \"E_FAIL\"\n\nQuit Program?");
    EXPECT_EQ(ComposeErrorText("model", 7, 0, "x"),
              "model\nLine: 7\n\"x\"\n\nDX ERROR \"S_OK\"\n\nQuit Program?");
    EXPECT_EQ(ComposeErrorText("", -3, static_cast<HRESULT>(0x12345678), ""),
              "\nLine: -3\n\"\"\n\nDX ERROR \"Unknown\"\n\nQuit Program?");
}

TEST(ErrorReport, NamesTheCodesThePlatformReturns) {
    EXPECT_STREQ(ErrorCodeName(S_OK), "S_OK");
    EXPECT_STREQ(ErrorCodeName(E_FAIL), "E_FAIL");
    EXPECT_STREQ(ErrorCodeName(E_OUTOFMEMORY), "E_OUTOFMEMORY");
    EXPECT_STREQ(ErrorCodeName(E_INVALIDARG), "E_INVALIDARG");
    EXPECT_STREQ(ErrorCodeName(-1), "Unknown");
}

TEST(ErrorReport, YesPostsOneQuitRequestPerAnswer) {
    Prompts().Install();
    QuitPending();

    Prompts().answer = false;
    DXError("game", 10, E_FAIL, "C_Model not properly created.");
    ASSERT_EQ(Prompts().reports.size(), 1u);
    EXPECT_EQ(Prompts().reports[0].title, "Oh Crap...");
    EXPECT_TRUE(Prompts().Saw("C_Model not properly created."));
    EXPECT_FALSE(QuitPending());

    Prompts().answer = true;
    DXError("game", 11, 0, "first");
    DXError("game", 12, 0, "second");
    platform::Event event;
    ASSERT_TRUE(platform::PollEvent(&event));
    EXPECT_EQ(event.type, platform::EventType::Quit);
    ASSERT_TRUE(platform::PollEvent(&event));
    EXPECT_EQ(event.type, platform::EventType::Quit);
    EXPECT_FALSE(QuitPending());
    Prompts().answer = false;
}

TEST(TextHelpers, IntToStringIsDecimal) {
    EXPECT_EQ(IntToString(0), "0");
    EXPECT_EQ(IntToString(-12), "-12");
    EXPECT_EQ(IntToString(INT_MIN), "-2147483648");
}

TEST(TextHelpers, StringToIntReadsLikeAtoiAndSaturates) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"42", 42},
        {"  \t42abc", 42},
        {"-17", -17},
        {"+5", 5},
        {"abc", 0},
        {"", 0},
        {"- 3", 0},
        {"12 34", 12},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StringToInt(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(TextHelpers, StringToWideStaysInsideTheBuffer) {
    wchar_t buffer[8];
    for (wchar_t& c : buffer) {
        c = L'#';
    }
    StringToWide(buffer, 4, "hostname");
    EXPECT_EQ(std::wstring(buffer), L"hos");
    EXPECT_EQ(buffer[4], L'#');

    StringToWide(buffer, 8, "abc");
    EXPECT_EQ(std::wstring(buffer), L"abc");

    // High bytes widen to their own value, never to a negative one.
    StringToWide(buffer, 8, "\xE9");
    EXPECT_EQ(buffer[0], static_cast<wchar_t>(0xE9));

    buffer[0] = L'#';
    StringToWide(buffer, 0, "abc");
    StringToWide(buffer, 8, "");
    StringToWide(nullptr, 8, "abc");
    EXPECT_EQ(buffer[0], L'#');
}

}  // namespace
