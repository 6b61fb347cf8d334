#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/hresult.h"
#include "platform/texture.h"

namespace platform {
class Display;
}

// Draw flags, combinable: centre the text's box on the point; sample the
// glyphs linearly instead of by nearest texel.
constexpr uint32_t TEXT_CENTERED = 1;
constexpr uint32_t TEXT_FILTERED = 4;

// A text's extent in glyph-atlas pixels.
struct TextSize {
    int cx = 0;
    int cy = 0;
};

// The printable ASCII characters of one typeface rendered once into a glyph
// atlas, and text drawn from it as one textured quad per character.
class C_TextureFont {
public:
    // Keeps at most 79 characters of the name; makes nothing yet.
    C_TextureFont(const std::string& faceName, uint32_t height, uint32_t creationFlags);
    ~C_TextureFont();
    C_TextureFont(const C_TextureFont&) = delete;
    C_TextureFont& operator=(const C_TextureFont&) = delete;

    // Rasterises characters 32..126 into the atlas on `device`: as wide as
    // the size asks (256, 512 or 1024, or the device's limit) and as tall as
    // the rows of glyphs within that square need. E_FAIL when
    // there is no device, no face at this size, or no atlas texture.
    HRESULT BuildGlyphTexture(platform::Display* device);
    // The vertices text is drawn through.
    HRESULT CreateRenderResources();
    HRESULT ReleaseRenderResources();
    HRESULT ReleaseGlyphTexture();

    // Draws `text` with its first cell's top-left at (x, y), or its measured
    // box centred there with TEXT_CENTERED. E_FAIL only without a device; a
    // font whose atlas was not made draws nothing.
    HRESULT DrawText(float x, float y, uint32_t colour, const char* text, float scaleX,
                     float scaleY, uint32_t flags);
    // The widest line and the lines' total height, in atlas pixels: neither
    // the draw scale nor textScale applies. E_FAIL for a null argument.
    HRESULT MeasureText(const char* text, TextSize* size) const;

    int GetAtlasWidth() const { return static_cast<int>(atlasWidth); }
    int GetAtlasHeight() const { return static_cast<int>(atlasHeight); }
    float GetTextScale() const { return textScale; }
    // The em size the glyphs were rasterised at, in pixels.
    int GetPixelHeight() const { return pixelHeight; }
    const std::string& GetFaceName() const { return faceName; }
    bool HasAtlas() const { return atlas != nullptr; }
    // Left, top, right, bottom of a character's cell in texture units.
    const std::array<float, 4>& GetGlyphCoords(char c) const;
    // False for a character whose cell lay outside the atlas: it advances
    // the pen but draws nothing.
    bool GlyphFits(char c) const;
    // Called with the number of characters in each batch drawn.
    void SetBatchObserver(std::function<void(int)> observer) {
        batchObserver = std::move(observer);
    }

private:
    static constexpr int kFirstChar = 32;
    static constexpr int kLastChar = 126;
    static constexpr int kGlyphSlots = 96;
    static constexpr int kVerticesPerChar = 6;
    static constexpr int kBatchChars = 50;

    void AppendQuad(int first, float x, float y, float w, float h, uint32_t colour,
                    const std::array<float, 4>& cell);
    void DrawBatch(int vertices, platform::Filter filter);

    std::string faceName;
    uint32_t height = 0;
    // Kept as made; nothing in our drawing depends on it yet.
    [[maybe_unused]] uint32_t creationFlags = 0;
    // Not owned: the view's device.
    platform::Display* device = nullptr;
    std::unique_ptr<platform::Texture> atlas;
    std::unique_ptr<platform::VertexBuffer> vertexBuffer;
    uint32_t atlasWidth = 0;
    uint32_t atlasHeight = 0;
    float textScale = 1.0f;
    int pixelHeight = 0;
    std::array<std::array<float, 4>, kGlyphSlots> glyphCoords{};
    std::array<bool, kGlyphSlots> glyphFits{};
    std::function<void(int)> batchObserver;
};
