#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "screens/textbox.h"

class C_Font;
class C_Settings;

// A line of an overlay picture (ready, paused) that names a key the player
// can rebind: the picture leaves it blank and the code writes it, centred in
// its box in the picture's face and colour, so that it names the key bound.
struct OverlayLine {
    std::string text;
    TextBox box;
    // The font height the picture's text has on screen: the most it is
    // drawn at.
    int height;
    uint32_t colour;
};

// Where the lines go over the overlay pictures, drawn at (61, 240) x 0.7:
// the first line, and the paused picture's second.
constexpr TextBox kOverlayFirstLine = {72, 309, 330, 333};
constexpr TextBox kOverlaySecondLine = {72, 340, 330, 356};
constexpr uint32_t kOverlayColour = 0xFFEAF0F7;
constexpr uint32_t kOverlayDimColour = 0xFF96B2C6;

// The ready picture's line: how to start.
std::vector<OverlayLine> ReadyLines(const C_Settings& settings);
// The paused picture's lines: how to resume, and how to leave.
std::vector<OverlayLine> PausedLines(const C_Settings& settings);
// The same for a player whose start and menu keys are these.
std::vector<OverlayLine> PausedLines(int startKey, int menuKey);

// Where the overlay pictures are drawn on the screens that show one well.
constexpr float kOverlayX = 61.0f;
constexpr float kOverlayY = 240.0f;
constexpr float kOverlayScale = 0.7f;
// `lines` over their picture drawn at (x, y) x `scale` instead.
std::vector<OverlayLine> MovedLines(std::vector<OverlayLine> lines, float x, float y, float scale);

// An overlay picture's lines as the code draws them over it.
class C_OverlayLines {
public:
    explicit C_OverlayLines(std::vector<OverlayLine> lines);
    ~C_OverlayLines();
    C_OverlayLines(const C_OverlayLines&) = delete;
    C_OverlayLines& operator=(const C_OverlayLines&) = delete;

    // `tint` is the colour the picture is drawn with: its alpha fades the
    // lines with the picture.
    void Render(uint32_t tint);
    const std::vector<OverlayLine>& Lines() const { return lines; }

private:
    struct Fitted {
        std::string text;
        std::unique_ptr<C_Font> font;
    };
    std::vector<OverlayLine> lines;
    std::vector<Fitted> fitted;
};
