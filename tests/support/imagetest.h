#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "support/framework.h"
#include "support/imagefiles.h"
#include "view/view.h"

// The framework started inside a temporary directory whose images/ the test
// fills, with the pictures start-up loads so that it reports nothing.
class ImageTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        images = std::make_unique<ImageDirectory>();
        images->Write("loading2.png", SolidPng(8, 8, 0xFF202020));
        images->Write("console_top.png", SolidPng(713, 1, 0xFFFFFFFF));
        images->Write("pointer.png", SolidPng(24, 24, 0xFF000000));
        StartGame();
        ASSERT_TRUE(Prompts().reports.empty());
    }

    void TearDown() override {
        StopGame();
        images.reset();
        FrameworkTest::TearDown();
    }

    static void ClearFrame() { ASSERT_TRUE(g_pView->GetDevice()->Clear(0xFFFFFFFF)); }

    // True when each channel of `pixel` is within `tolerance` of `expected`.
    static bool Near(uint32_t pixel, uint32_t expected, int tolerance = 4) {
        for (int shift = 0; shift < 32; shift += 8) {
            const int a = static_cast<int>((pixel >> shift) & 0xFF);
            const int b = static_cast<int>((expected >> shift) & 0xFF);
            if (std::abs(a - b) > tolerance) {
                return false;
            }
        }
        return true;
    }

    std::unique_ptr<ImageDirectory> images;
};
