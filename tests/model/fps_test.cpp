#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/console.h"
#include "model/model.h"
#include "support/imagetest.h"

namespace {

class FpsTest : public ImageTest {
protected:
    // The model's frame drawn on its own: the state, then any read-out.
    std::vector<uint32_t> ModelFrame() {
        ClearFrame();
        g_pModel->Render();
        return Pixels();
    }
};

TEST_F(FpsTest, TheReadOutIsDrawnTwiceLightOnTargetAndRedOtherwise) {
    g_pConsole->SetFpsOn(true);
    ASSERT_TRUE(RunFrames(40));  // more than a quarter second: the rate is measured
    const int fps = g_pModel->GetTimer()->GetFps();
    ASSERT_EQ(fps, 75);
    C_Font* font = g_pModel->GetFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetLineHeight(), 37);
    EXPECT_EQ(font->GetFaceName(), "Helvitica");

    struct Case {
        int target;
        uint32_t colour;
    };
    for (const Case& test : std::vector<Case>{{75, 0xFFE0E0E0}, {74, 0xFFFF0000}}) {
        g_pModel->SetFrameRate(test.target);
        g_pConsole->SetFpsOn(false);
        const std::vector<uint32_t> without = ModelFrame();
        g_pConsole->SetFpsOn(true);
        const std::vector<uint32_t> with = ModelFrame();
        EXPECT_EQ(font->GetColour(), test.colour);

        // The same frame drawn by hand: the text, at both places, in that colour.
        g_pConsole->SetFpsOn(false);
        ClearFrame();
        g_pModel->Render();
        font->SetColour(test.colour);
        ASSERT_EQ(font->DrawText("FPS 75", 5, 563, TEXT_FILTERED), S_OK);
        ASSERT_EQ(font->DrawText("FPS 75", 4, 562, TEXT_FILTERED), S_OK);
        EXPECT_TRUE(with == Pixels()) << test.target;

        // What the read-out changed lies below and right of (4, 562), and
        // its strongest pixels have the read-out's colour.
        int left = 713;
        int top = 653;
        bool sawColour = false;
        for (int y = 0; y < 653; ++y) {
            for (int x = 0; x < 713; ++x) {
                const size_t i = static_cast<size_t>(y) * 713 + x;
                if (with[i] != without[i]) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    sawColour = sawColour || with[i] == test.colour;
                }
            }
        }
        EXPECT_GE(left, 4) << test.target;
        EXPECT_LE(left, 8) << test.target;
        EXPECT_GE(top, 562) << test.target;
        EXPECT_LE(top, 600) << test.target;
        EXPECT_TRUE(sawColour) << test.target;
    }
}

}  // namespace
