#include "platform/display.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "input/controller.h"
#include "platform/sdlaccess.h"
#include "support/framework.h"
#include "support/sdlinput.h"
#include "view/view.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000;

// Scaled drawing blends translucent edges differently: colours within
// `tolerance` steps per channel match.
bool Alike(uint32_t a, uint32_t b, int tolerance = 4) {
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

// The real menu on the offscreen driver, which (unlike the dummy one) takes
// any screen mode, standing in for a 1920 x 1080 screen. Its window surface
// stays plain memory rather than a GL texture.
class FullscreenTest : public FrameworkTest {
protected:
    void SetUp() override {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
        // No EGL for this driver either: the window then falls back from an
        // OpenGL one to a plain one, and Mesa's driver (whose allocations
        // outlive its unloading) stays out of the leak check.
        setenv("SDL_VIDEO_EGL_DRIVER", "libEGL-none-for-this-test.so", 1);
        FrameworkTest::SetUp();
        StartGame();
        display = g_pView->GetDevice();
        display->SetFullscreenSize(1920, 1080);
        ASSERT_TRUE(RunFrames(2));
        windowed = Pixels();
    }

    void TearDown() override {
        FrameworkTest::TearDown();
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
        SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
        unsetenv("SDL_VIDEO_EGL_DRIVER");
    }

    void PushToggle(SDL_Scancode scancode, Uint16 mod) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
        event.type = SDL_KEYUP;
        SDL_PushEvent(&event);
        ASSERT_TRUE(RunFrames(2));
    }

    // Motion over the game's window, which the renderer scales (a pushed
    // event without the window's id would pass unscaled).
    static void PushWindowMotion(int dx, int dy) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = SDL_GetWindowID(platform::ActiveWindow());
        event.motion.xrel = dx;
        event.motion.yrel = dy;
        SDL_PushEvent(&event);
    }

    platform::Display* display = nullptr;
    std::vector<uint32_t> windowed;
};

TEST_F(FullscreenTest, F11AndAltEnterScaleThePictureBetweenBlackBarsAndBack) {
    const double scale = 1080.0 / 653.0;
    const int left = static_cast<int>(std::lround((1920.0 - 713.0 * scale) / 2.0));
    struct Toggle {
        SDL_Scancode scancode;
        Uint16 mod;
    };
    for (const Toggle toggle :
         {Toggle{SDL_SCANCODE_F11, 0}, Toggle{SDL_SCANCODE_RETURN, KMOD_LALT}}) {
        SCOPED_TRACE(SDL_GetScancodeName(toggle.scancode));
        PushToggle(toggle.scancode, toggle.mod);
        ASSERT_TRUE(display->IsFullscreen());
        std::vector<uint32_t> output;
        int width = 0;
        int height = 0;
        ASSERT_TRUE(display->ReadOutputPixels(&output, &width, &height));
        ASSERT_EQ(width, 1920);
        ASSERT_EQ(height, 1080);
        const auto at = [&](int x, int y) { return output[static_cast<size_t>(y * width + x)]; };
        for (int y : {0, 540, 1079}) {
            EXPECT_EQ(at(0, y), kBlack);
            EXPECT_EQ(at(left - 2, y), kBlack);
            EXPECT_EQ(at(1919 - left + 2, y), kBlack);
            EXPECT_EQ(at(1919, y), kBlack);
        }
        // The level 7 button's middle, where the scale puts it.
        const int buttonX = 490 + 40;
        const int buttonY = 460 + 18;
        const uint32_t scaled =
            at(left + static_cast<int>(buttonX * scale), static_cast<int>(buttonY * scale));
        const uint32_t original = windowed[static_cast<size_t>(buttonY * 713 + buttonX)];
        EXPECT_TRUE(Alike(scaled, original)) << std::hex << scaled << " " << original;
        // Sampled back, the scaled picture is the window's, edges within a pixel.
        std::vector<uint32_t> picture;
        ASSERT_TRUE(display->ReadPixels(&picture));
        ASSERT_EQ(picture.size(), windowed.size());
        int differing = 0;
        for (int y = 1; y < 652; ++y) {
            for (int x = 1; x < 712; ++x) {
                bool near = false;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        near = near ||
                               Alike(picture[static_cast<size_t>(y * 713 + x)],
                                     windowed[static_cast<size_t>((y + dy) * 713 + x + dx)], 48);
                    }
                }
                differing += near ? 0 : 1;
            }
        }
        EXPECT_LT(differing, 713 * 653 / 200);

        PushToggle(toggle.scancode, toggle.mod);
        EXPECT_FALSE(display->IsFullscreen());
        display->WindowSize(&width, &height);
        EXPECT_EQ(width, 713);
        EXPECT_EQ(height, 653);
        ASSERT_TRUE(display->ReadOutputPixels(&output, &width, &height));
        EXPECT_EQ(width, 713);
        EXPECT_EQ(output, windowed);
    }
    // Enter alone is no toggle.
    PushToggle(SDL_SCANCODE_RETURN, 0);
    EXPECT_FALSE(display->IsFullscreen());
}

TEST_F(FullscreenTest, PointerMotionIsInPicturePixels) {
    PushToggle(SDL_SCANCODE_F11, 0);
    ASSERT_TRUE(display->IsFullscreen());
    PushWindowMotion(-10000, -10000);
    ASSERT_TRUE(RunFrames(1));
    ASSERT_EQ(g_pController->GetMouseX(), 0);
    // Screen pixels that cover 530 x 478 picture pixels.
    const double scale = 1080.0 / 653.0;
    PushWindowMotion(static_cast<int>(std::lround(530 * scale)),
                     static_cast<int>(std::lround(478 * scale)));
    ASSERT_TRUE(RunFrames(1));
    EXPECT_NEAR(g_pController->GetMouseX(), 530, 1);
    EXPECT_NEAR(g_pController->GetMouseY(), 478, 1);
    // The clamp still holds the pointer inside the picture.
    PushWindowMotion(10000, 10000);
    ASSERT_TRUE(RunFrames(1));
    EXPECT_EQ(g_pController->GetMouseX(), 713);
    EXPECT_EQ(g_pController->GetMouseY(), 653);
}

}  // namespace
