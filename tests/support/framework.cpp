#include "support/framework.h"

#include "input/controller.h"
#include "net/net.h"
#include "support/sdlinput.h"
#include "view/view.h"

bool FrameworkTest::RunFrames(int count) {
    for (int i = 0; i < count; ++i) {
        if (!DrainEvents()) {
            return false;
        }
        if (testNetwork != nullptr) {
            testNetwork->Update();
        }
        game->Frame();
    }
    return true;
}

void FrameworkTest::MovePointerTo(int x, int y) {
    PushMotion(-10000, -10000);
    ASSERT_TRUE(RunFrames(1));
    PushMotion(x, y);
    ASSERT_TRUE(RunFrames(1));
    ASSERT_EQ(g_pController->GetMouseX(), x);
    ASSERT_EQ(g_pController->GetMouseY(), y);
}

std::vector<uint32_t> FrameworkTest::Pixels() const {
    std::vector<uint32_t> pixels;
    if (g_pView == nullptr || g_pView->GetDevice() == nullptr ||
        !g_pView->GetDevice()->ReadPixels(&pixels)) {
        ADD_FAILURE() << "the back buffer could not be read";
    }
    return pixels;
}

uint32_t FrameworkTest::PixelAt(int x, int y) const {
    const std::vector<uint32_t> pixels = Pixels();
    const size_t index =
        static_cast<size_t>(y) * static_cast<size_t>(g_pView->GetWidth()) + static_cast<size_t>(x);
    return index < pixels.size() ? pixels[index] : 0;
}
