#include "screens/overlaylines.h"

#include <algorithm>
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
    return {{"START or " + BoundKeys(settings, {GameAction::Start}) + " to resume",
             kOverlayFirstLine, kFirstHeight, kOverlayColour},
            {BoundKeys(settings, {GameAction::Menu}) + " leaves the game", kOverlaySecondLine,
             kSecondHeight, kOverlayDimColour}};
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
