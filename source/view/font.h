#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/hresult.h"
#include "model/vector2.h"
#include "view/texturefont.h"

// A typeface at a height in points, drawn in one colour at a scale.
class C_Font {
public:
    // The glyph atlas is built on the view's device when the font is first
    // drawn or measured: a font that is never shown costs neither the face
    // lookup nor the atlas.
    C_Font(std::string faceName, int height, uint32_t colour);
    ~C_Font();
    C_Font(const C_Font&) = delete;
    C_Font& operator=(const C_Font&) = delete;

    // TEXT_CENTERED and TEXT_FILTERED may be combined in `flags`.
    HRESULT DrawText(std::string text, int x, int y, uint32_t flags);
    void SetColour(uint32_t argb) { colour = argb; }
    void SetScale(float x, float y) { scale = {x, y}; }

    // The line spacing: height x scale x 1.5, truncated.
    int GetLineHeight() const;
    Vector2 GetScale() const { return scale; }
    std::string GetFaceName() const { return faceName; }
    uint32_t GetColour() const { return colour; }
    // For measuring text, its atlas built; null when it could not be made.
    C_TextureFont* GetTextureFont() const;
    // How wide `text` is drawn, in pixels; 0 when the font cannot measure it.
    int Width(const std::string& text) const;
    // `text` as it fits in `width` pixels: whole when it fits, else cut and
    // marked "..." at its end, or at its start with `keepEnd` (a line being
    // typed, whose end matters); empty when not even the mark fits.
    std::string Fitted(const std::string& text, int width, bool keepEnd = false) const;

private:
    mutable std::unique_ptr<C_TextureFont> textureFont;
    mutable bool built = false;
    int height;
    Vector2 scale{1.0f, 1.0f};
    uint32_t colour;
    std::string faceName;
};
