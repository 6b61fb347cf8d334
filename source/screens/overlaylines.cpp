#include "screens/overlaylines.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "screens/keyhints.h"
#include "store/settings.h"
#include "view/font.h"

namespace {

// The pictures' own face, so that a written line looks as the baked ones.
constexpr const char* kFace = "DejaVu Sans Bold";
// Font heights in points (4/3 pixels), as the pictures' lines are drawn on
// screen; a long key name makes a line smaller, down to 12 pixels, before
// it is cut.
constexpr int kFirstHeight = 14;
constexpr int kSecondHeight = 10;
constexpr int kLeastHeight = 9;
constexpr uint32_t kShadow = 0x8C000000;

uint32_t Faded(uint32_t colour, uint32_t tint) {
    const uint32_t alpha = (colour >> 24) * (tint >> 24) / 255;
    return (alpha << 24) | (colour & 0xFFFFFF);
}

}  // namespace

std::vector<OverlayLine> ReadyLines(const C_Settings& settings) {
    return {{"Press START or " + BoundKeys(settings, {GameAction::Start}), kOverlayFirstLine,
             kFirstHeight, kOverlayColour}};
}

std::vector<OverlayLine> PausedLines(const C_Settings& settings) {
    return PausedLines(settings.GetKey(GameAction::Start), settings.GetKey(GameAction::Menu));
}

std::vector<OverlayLine> PausedLines(int startKey, int menuKey) {
    return {{"START or " + ShownKeyName(startKey) + " to resume", kOverlayFirstLine, kFirstHeight,
             kOverlayColour},
            {ShownKeyName(menuKey) + " leaves the game", kOverlaySecondLine, kSecondHeight,
             kOverlayDimColour}};
}

std::vector<OverlayLine> MovedLines(std::vector<OverlayLine> lines, float x, float y, float scale) {
    const float ratio = scale / kOverlayScale;
    auto moveX = [&](int at) {
        return static_cast<int>(std::lround(x + (static_cast<float>(at) - kOverlayX) * ratio));
    };
    auto moveY = [&](int at) {
        return static_cast<int>(std::lround(y + (static_cast<float>(at) - kOverlayY) * ratio));
    };
    for (OverlayLine& line : lines) {
        line.box = {moveX(line.box.left), moveY(line.box.top), moveX(line.box.right),
                    moveY(line.box.bottom)};
        line.height = std::max(
            kLeastHeight, static_cast<int>(std::lround(static_cast<float>(line.height) * ratio)));
    }
    return lines;
}

C_OverlayLines::C_OverlayLines(std::vector<OverlayLine> linesIn) : lines(std::move(linesIn)) {}

C_OverlayLines::~C_OverlayLines() = default;

void C_OverlayLines::Render(uint32_t tint) {
    // The bindings hold while a screen is up: fitted once, at the first draw.
    if (fitted.empty()) {
        for (const OverlayLine& line : lines) {
            const int room = line.box.right - line.box.left;
            int height = line.height;
            auto font = std::make_unique<C_Font>(kFace, height, line.colour);
            int width = font->Width(line.text);
            while (width > room && height > kLeastHeight) {
                height = std::max(kLeastHeight, std::min(height - 1, height * room / width));
                font = std::make_unique<C_Font>(kFace, height, line.colour);
                width = font->Width(line.text);
            }
            fitted.push_back({font->Fitted(line.text, room), std::move(font)});
        }
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const TextBox& box = lines[i].box;
        C_Font& font = *fitted[i].font;
        font.SetColour(Faded(kShadow, tint));
        font.DrawText(fitted[i].text, box.CentreX() + 1, box.CentreY() + 1,
                      TEXT_CENTERED | TEXT_FILTERED);
        font.SetColour(Faded(lines[i].colour, tint));
        font.DrawText(fitted[i].text, box.CentreX(), box.CentreY(), TEXT_CENTERED | TEXT_FILTERED);
    }
}
