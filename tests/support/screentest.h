#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "console/console.h"
#include "input/controller.h"
#include "model/model.h"
#include "puzzle/gameboard.h"
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
};
