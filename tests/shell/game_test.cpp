#include "shell/game.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "audio/mp3.h"
#include "console/console.h"
#include "input/controller.h"
#include "input/inputdevice.h"
#include "input/mouse.h"
#include "model/model.h"
#include "model/timer.h"
#include "platform/sdlaccess.h"
#include "support/framework.h"
#include "support/imagefiles.h"
#include "view/view.h"

namespace {

using GameTest = FrameworkTest;

TEST_F(GameTest, StartUpBringsEverythingUpWithoutReports) {
    StartGame();
    EXPECT_TRUE(Prompts().reports.empty());
    EXPECT_TRUE(g_pView->IsInitialised());
    EXPECT_TRUE(g_pModel->IsInitialised());
    ASSERT_NE(g_pModel->GetState(), nullptr);
    ASSERT_NE(g_pModel->GetTimer(), nullptr);
    const auto lines = g_pConsole->GetLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "-- Vorta Console --");
    EXPECT_EQ(lines.front(), "-- Press <TAB> to toggle the Console window.");
}

// The first frame waits for neither sound nor controllers: both start with
// the second, once, and the menu's tune plays from then on.
TEST_F(GameTest, SoundAndControllersStartOnceTheFirstFrameIsShown) {
    StartGame();
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pModel->GetMenuTune(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
    ASSERT_TRUE(RunFrames(1));
    const C_Mp3* tune = g_pModel->GetMenuTune();
    ASSERT_NE(tune, nullptr);
    EXPECT_TRUE(tune->GetMusic()->IsPlaying());
    EXPECT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
    ASSERT_TRUE(RunFrames(3));
    EXPECT_EQ(g_pModel->GetMenuTune(), tune);
    EXPECT_TRUE(Prompts().reports.empty());
}

TEST_F(GameTest, TheWindowIsTubrixAt713By653AndFramesClearToWhite) {
    ImageDirectory images;
    images.WriteClearMenuPictures();
    StartGame();
    platform::Display* device = g_pView->GetDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->WindowTitle(), "Tubrix");
    int w = 0, h = 0;
    device->WindowSize(&w, &h);
    EXPECT_EQ(w, 713);
    EXPECT_EQ(h, 653);
    ASSERT_TRUE(RunFrames(2));
    const std::vector<uint32_t> pixels = Pixels();
    ASSERT_EQ(pixels.size(), 713u * 653u);
    for (uint32_t pixel : pixels) {
        ASSERT_EQ(pixel, 0xFFFFFFFFu);
    }
}

TEST_F(GameTest, ShowingTheWindowActivatesItAndFocusLossStopsFrames) {
    StartGame();
    EXPECT_EQ(g_bActive, 0u);
    ASSERT_TRUE(DrainEvents());
    EXPECT_NE(g_bActive, 0u);

    platform::Event lost;
    lost.type = platform::EventType::Deactivate;
    EXPECT_TRUE(HandleEvent(lost));
    EXPECT_EQ(g_bActive, 0u);
    // Frames run in the background (a network match) leave the pointer free
    // until the focus comes back.
    const C_InputDevice* mouse = g_pController->GetMouse()->GetDevice();
    ASSERT_TRUE(RunFrames(2));
    EXPECT_FALSE(mouse->IsAcquired());
    platform::Event back;
    back.type = platform::EventType::Activate;
    EXPECT_TRUE(HandleEvent(back));
    ASSERT_TRUE(RunFrames(1));
    EXPECT_TRUE(mouse->IsAcquired());
}

TEST_F(GameTest, AnExposeWhileInactiveShowsTheLastFrameAgainAndRunsNone) {
    StartGame();
    ASSERT_TRUE(RunFrames(2));
    const std::vector<uint32_t> last = Pixels();
    platform::Event lost;
    lost.type = platform::EventType::Deactivate;
    HandleEvent(lost);
    // A window moved over it leaves its own pixels behind.
    SDL_Renderer* renderer = platform::ActiveRenderer();
    SDL_SetRenderDrawColor(renderer, 0xFF, 0, 0, 0xFF);
    SDL_RenderClear(renderer);
    ASSERT_NE(Pixels(), last);
    const float gameTime = g_pModel->GetTimer()->GetGameTime();
    const int64_t now = clock.now;

    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(platform::ActiveWindow());
    event.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    EXPECT_EQ(RunEventLoop(*game), 0);
    EXPECT_EQ(Pixels(), last);
    EXPECT_EQ(g_pModel->GetTimer()->GetGameTime(), gameTime);
    EXPECT_EQ(clock.now, now);  // not even read
}

TEST_F(GameTest, TypedCharactersReachTheConsoleEvenWhenClosed) {
    StartGame();
    platform::Event typed;
    typed.type = platform::EventType::Text;
    std::string("ab").copy(typed.text, 2);
    HandleEvent(typed);
    EXPECT_EQ(g_pConsole->GetInput(), "");  // closed: ignored by the console
    typed.text[0] = '\t';
    typed.text[1] = '\0';
    HandleEvent(typed);
    EXPECT_TRUE(g_pConsole->IsOpen());
    std::string("ab").copy(typed.text, 2);
    HandleEvent(typed);
    EXPECT_EQ(g_pConsole->GetInput(), "ab");
}

TEST_F(GameTest, AQuitAnsweredDuringStartUpEndsTheLoopBeforeTheFirstFrame) {
    // No video at all: the view fails, and the user answers Yes to quit.
    const char* saved = getenv("SDL_VIDEODRIVER");
    const std::string driver = saved != nullptr ? saved : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    Prompts().answer = true;
    StartGame();
    if (driver.empty()) {
        unsetenv("SDL_VIDEODRIVER");
    } else {
        setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
    }
    EXPECT_TRUE(Prompts().Saw("Could not register class."));
    EXPECT_TRUE(Prompts().Saw("C_View not properly created."));
    // The rest of start-up still ran.
    EXPECT_TRUE(g_pModel->IsInitialised());
    EXPECT_EQ(g_pConsole->GetLines().size(), 2u);

    g_bActive = 1;  // even an active application ends before its first frame
    EXPECT_EQ(RunEventLoop(*game), 0);
    game.reset();
    EXPECT_EQ(g_pView, nullptr);
    EXPECT_EQ(g_pController, nullptr);
    EXPECT_EQ(g_pModel, nullptr);
    EXPECT_EQ(g_pConsole, nullptr);
    EXPECT_EQ(g_pNet, nullptr);
}

TEST_F(GameTest, AViewThatCannotClearSkipsTheRestOfTheFrame) {
    C_View view;  // never initialised: no device
    EXPECT_EQ(view.Render(), E_FAIL);
    EXPECT_FALSE(view.Repaint());
    ASSERT_EQ(Prompts().reports.size(), 1u);
    EXPECT_TRUE(Prompts().Saw("Could not clear backbuffer"));
}

}  // namespace
