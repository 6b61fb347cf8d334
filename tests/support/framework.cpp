#include "support/framework.h"

#include "view/view.h"

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
