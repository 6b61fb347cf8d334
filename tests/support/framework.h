#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/globals.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "shell/game.h"
#include "support/manualclock.h"
#include "support/promptrecorder.h"
#include "support/userfolders.h"

class C_Net;

// A fresh set of framework objects on the headless platform, a manual clock,
// a recorded prompt and per-user folders of its own (so every test starts
// from the default settings and an empty score table), for tests that run
// the real start-up and frames.
class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        Prompts().Install();
        folders = std::make_unique<TemporaryUserFolders>();
        platform::SetClock(&clock);
        clock.step = 10;
        DestroyFrameworkObjects();
        CreateFrameworkObjects();
        g_bActive = 0;
    }

    void TearDown() override {
        StopGame();
        CreateFrameworkObjects();
        platform::SetClock(nullptr);
        DrainEvents();
        folders.reset();
    }

    void StartGame() { game = std::make_unique<C_Game>(); }

    void StopGame() {
        if (game) {
            game.reset();
        } else {
            DestroyFrameworkObjects();
        }
    }

    // Runs `count` frames the way the event loop does, handling pending
    // events first; the test's own network is updated first in each, as the
    // frame updates the game's. Returns false if a quit request arrived.
    bool RunFrames(int count);

    // Handles every pending event; false if one was the quit request.
    static bool DrainEvents() {
        platform::Event event;
        bool running = true;
        while (platform::PollEvent(&event)) {
            if (g_pConsole != nullptr) {
                running = HandleEvent(event) && running;
            } else if (event.type == platform::EventType::Quit) {
                running = false;
            }
        }
        return running;
    }

    // Puts the pointer at (x, y) through pushed relative motion: to the
    // top-left corner first, then out. Needs a started game.
    void MovePointerTo(int x, int y);

    // The back buffer as ARGB pixels.
    std::vector<uint32_t> Pixels() const;
    uint32_t PixelAt(int x, int y) const;

    // A network of the test's own, handed to the screens; null for none.
    C_Net* testNetwork = nullptr;
    ManualClock clock;
    std::unique_ptr<C_Game> game;
    std::unique_ptr<TemporaryUserFolders> folders;
};
