#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// One typeface at one pixel size, for rasterising single characters with
// antialiasing. Meant to live only while a glyph texture is being made.
class GlyphFace {
public:
    ~GlyphFace();
    GlyphFace(const GlyphFace&) = delete;
    GlyphFace& operator=(const GlyphFace&) = delete;

    // The face the system's font configuration gives for `faceName` (its
    // substitute when it knows no such face), normal weight, upright, with an
    // em of `pixelHeight` pixels. Null when no face can be opened at that size.
    static std::unique_ptr<GlyphFace> Open(const std::string& faceName, int pixelHeight);

    // The family of the face actually opened.
    const std::string& FamilyName() const { return familyName; }
    int PixelHeight() const { return pixelHeight; }

    // The cell of one character: its advance and the face's line height.
    void Measure(char c, int* width, int* height) const;
    // Draws `c` with its cell's top-left corner at (x, y) into an 8-bit
    // coverage bitmap of `width` x `height` pixels, row by row. Nothing is
    // written outside the cell or the bitmap.
    void Render(char c, int x, int y, uint8_t* coverage, int width, int height) const;

private:
    struct Library;
    GlyphFace() = default;

    std::unique_ptr<Library> library;
    std::string familyName;
    int pixelHeight = 0;
    int ascent = 0;
    int lineHeight = 0;
};

}  // namespace platform
