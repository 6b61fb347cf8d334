#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/console.h"
#include "input/controller.h"
#include "model/model.h"
#include "net/net.h"
#include "puzzle/gameboard.h"
#include "store/settings.h"
#include "support/framework.h"
#include "support/sdlinput.h"

// The real game started in the repository root, with its pictures and
// sounds, driven by pushed input and the manual clock.
class ScreenTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        outerLevel = 0;
        StartGame();
        ASSERT_TRUE(RunFrames(1));
        ASSERT_TRUE(Prompts().reports.empty()) << Prompts().reports.front().text;
    }

    void TearDown() override {
        FrameworkTest::TearDown();
        outerLevel = 0;
    }

    // The screens built from now on work with a network and settings of the
    // test's own: the network on a port the system picks (the game's port is
    // left to the tests of the whole program), the settings at their
    // defaults.
    void OwnNetworkAndSettings() {
        ownNetwork = std::make_unique<C_Net>(0);
        testNetwork = ownNetwork.get();
        g_pModel->SetScreenContext(
            {*g_pModel, ownSettings, *g_pModel->GetHighScores(), *g_pController, testNetwork});
    }

    template <typename T>
    T* Screen() const {
        return dynamic_cast<T*>(g_pModel->GetState());
    }

    // Press and release of the left button at (x, y), then the frame in which
    // a screen reads the click.
    void ClickAt(int x, int y) {
        MovePointerTo(x, y);
        PushButton(SDL_BUTTON_LEFT, true);
        ASSERT_TRUE(RunFrames(1));
        PushButton(SDL_BUTTON_LEFT, false);
        ASSERT_TRUE(RunFrames(2));
    }

    // A key pressed for one frame and let go; false if the game quit.
    bool Tap(SDL_Scancode key) {
        PushKey(key, true);
        if (!RunFrames(1)) {
            return false;
        }
        PushKey(key, false);
        return RunFrames(1);
    }

    std::unique_ptr<C_Net> ownNetwork;
    C_Settings ownSettings{[](const std::string&) {}};
};
