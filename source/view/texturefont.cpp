#include "view/texturefont.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/display.h"
#include "platform/glyphs.h"

namespace {

constexpr size_t kMaxFaceName = 79;
constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;
constexpr uint32_t kSmallAtlas = 256;
constexpr uint32_t kMediumAtlas = 512;
constexpr uint32_t kLargeAtlas = 1024;
constexpr uint32_t kSmallFontLimit = 20;
constexpr uint32_t kMediumFontLimit = 40;
constexpr uint32_t kTexelWhite = 0x00FFFFFF;

// number * numerator / denominator, rounded half away from zero; -1 when the
// denominator is 0 or the result does not fit, as the Windows call does.
int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const double result = std::round(static_cast<double>(number) * numerator / denominator);
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(result);
}

// 8-bit coverage cut to 4 bits: white with that alpha, or fully empty.
uint32_t Texel(uint8_t coverage) {
    const uint32_t level = coverage >> 4;
    return level == 0 ? 0 : ((level * 0x11) << 24) | kTexelWhite;
}

}  // namespace

C_TextureFont::C_TextureFont(const std::string& faceName_, uint32_t height_,
                             uint32_t creationFlags_)
    : faceName(faceName_.substr(0, kMaxFaceName)), height(height_), creationFlags(creationFlags_) {}

C_TextureFont::~C_TextureFont() {
    ReleaseRenderResources();
    ReleaseGlyphTexture();
}

HRESULT C_TextureFont::BuildGlyphTexture(platform::Display* device_) {
    device = device_;
    textScale = 1.0f;
    atlasWidth = height > kMediumFontLimit  ? kLargeAtlas
                 : height > kSmallFontLimit ? kMediumAtlas
                                            : kSmallAtlas;
    atlasHeight = atlasWidth;
    if (device == nullptr) {
        return E_FAIL;
    }
    // A device with smaller textures gets a smaller atlas, and the glyphs are
    // rasterised smaller by the same factor and drawn enlarged.
    const int maxWidth = device->MaxTextureWidth();
    if (maxWidth > 0 && atlasWidth > static_cast<uint32_t>(maxWidth)) {
        textScale = static_cast<float>(maxWidth) / static_cast<float>(atlasWidth);
        atlasWidth = static_cast<uint32_t>(maxWidth);
        atlasHeight = atlasWidth;
    }
    pixelHeight =
        MulDiv(static_cast<int>(height),
               static_cast<int>(static_cast<float>(kDotsPerInch) * textScale), kPointsPerInch);
    const std::unique_ptr<platform::GlyphFace> face =
        platform::GlyphFace::Open(faceName, pixelHeight);
    if (!face) {
        return E_FAIL;
    }

    const int width = static_cast<int>(atlasWidth);
    const int rowsHigh = static_cast<int>(atlasHeight);
    // Cells packed left to right, a row at a time, with one empty pixel
    // between neighbours so that linear filtering never picks up another.
    // The square of the atlas's width bounds where a cell may lie; the
    // texture is only as tall as the cells that fit need.
    struct Cell {
        int x;
        int y;
        int cx;
        int cy;
        bool fits;
    };
    std::array<Cell, kGlyphSlots> cells{};
    int x = 0;
    int y = 0;
    int used = 1;
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        int cx = 0;
        int cy = 0;
        face->Measure(static_cast<char>(c), &cx, &cy);
        if (x + cx + 1 > width) {
            x = 0;
            y += cy + 1;
        }
        const bool fits = x + cx <= width && y + cy <= rowsHigh;
        if (fits) {
            used = std::max(used, y + cy);
        }
        cells[c - kFirstChar] = {x, y, cx, cy, fits};
        x += cx + 1;
    }
    // Kept a power of two, as the square's side is: a texture coordinate is
    // then a cell's pixel row divided exactly, and every sample lands on
    // the texel it did in the square. At least one empty row stays under
    // the last, as between rows, for filtering at a cell's bottom edge.
    int tall = 1;
    while (tall < used + 1 && tall < rowsHigh) {
        tall *= 2;
    }
    used = tall;
    atlasHeight = static_cast<uint32_t>(used);
    std::vector<uint8_t> coverage(static_cast<size_t>(width) * static_cast<size_t>(used), 0);
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        const Cell& cell = cells[c - kFirstChar];
        if (cell.fits) {
            face->Render(static_cast<char>(c), cell.x, cell.y, coverage.data(), width, used);
        }
        glyphCoords[c - kFirstChar] = {
            static_cast<float>(cell.x) / static_cast<float>(width),
            static_cast<float>(cell.y) / static_cast<float>(used),
            static_cast<float>(cell.x + cell.cx) / static_cast<float>(width),
            static_cast<float>(cell.y + cell.cy) / static_cast<float>(used)};
        glyphFits[c - kFirstChar] = cell.fits;
    }

    std::vector<uint32_t> texels(coverage.size());
    for (size_t i = 0; i < coverage.size(); ++i) {
        texels[i] = Texel(coverage[i]);
    }
    atlas = platform::Texture::Create(device, texels.data(), width, used);
    return atlas ? S_OK : E_FAIL;
}

HRESULT C_TextureFont::CreateRenderResources() {
    vertexBuffer = std::make_unique<platform::VertexBuffer>(kBatchChars * kVerticesPerChar);
    return S_OK;
}

HRESULT C_TextureFont::ReleaseRenderResources() {
    vertexBuffer.reset();
    return S_OK;
}

HRESULT C_TextureFont::ReleaseGlyphTexture() {
    atlas.reset();
    device = nullptr;
    return S_OK;
}

const std::array<float, 4>& C_TextureFont::GetGlyphCoords(char c) const {
    const int code = static_cast<signed char>(c);
    return glyphCoords[code >= kFirstChar && code <= kLastChar ? code - kFirstChar : 0];
}

bool C_TextureFont::GlyphFits(char c) const {
    const int code = static_cast<signed char>(c);
    return code >= kFirstChar && code <= kLastChar && glyphFits[code - kFirstChar];
}

void C_TextureFont::AppendQuad(int first, float x, float y, float w, float h, uint32_t colour,
                               const std::array<float, 4>& cell) {
    const float left = cell[0];
    const float top = cell[1];
    const float right = cell[2];
    const float bottom = cell[3];
    // Two triangles. The renderer's pixel centres sit at half pixels, so the
    // quad's corners on whole pixels already map texels onto pixels.
    vertexBuffer->Set(first + 0, x, y + h, colour, left, bottom);
    vertexBuffer->Set(first + 1, x, y, colour, left, top);
    vertexBuffer->Set(first + 2, x + w, y + h, colour, right, bottom);
    vertexBuffer->Set(first + 3, x + w, y, colour, right, top);
    vertexBuffer->Set(first + 4, x + w, y + h, colour, right, bottom);
    vertexBuffer->Set(first + 5, x, y, colour, left, top);
}

void C_TextureFont::DrawBatch(int vertices, platform::Filter filter) {
    vertexBuffer->DrawTriangles(*atlas, vertices, filter);
    if (batchObserver) {
        batchObserver(vertices / kVerticesPerChar);
    }
}

HRESULT C_TextureFont::DrawText(float x, float y, uint32_t colour, const char* text, float scaleX,
                                float scaleY, uint32_t flags) {
    if (device == nullptr) {
        return E_FAIL;
    }
    if (text == nullptr || !atlas || !vertexBuffer) {
        return S_OK;
    }
    // The filter is given per batch; the atlas keeps its own sampling.
    const platform::Filter filter =
        (flags & TEXT_FILTERED) != 0 ? platform::Filter::Linear : platform::Filter::Point;
    if ((flags & TEXT_CENTERED) != 0) {
        TextSize size;
        MeasureText(text, &size);
        x -= static_cast<float>(size.cx) * scaleX / 2.0f;
        y -= static_cast<float>(size.cy) * scaleY / 2.0f;
    }
    const float startX = x;
    const std::array<float, 4>& space = glyphCoords[0];
    const float lineAdvance = (space[3] - space[1]) * static_cast<float>(atlasHeight);
    const int capacity = vertexBuffer->Capacity();
    int vertices = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        const int c = static_cast<signed char>(*p);
        if (c == '\n') {
            x = startX;
            y += lineAdvance;
        }
        if (c < kFirstChar || c > kLastChar) {
            continue;
        }
        const std::array<float, 4>& cell = glyphCoords[c - kFirstChar];
        const float w = (cell[2] - cell[0]) * static_cast<float>(atlasWidth) / textScale * scaleX;
        const float h = (cell[3] - cell[1]) * static_cast<float>(atlasHeight) / textScale * scaleY;
        if (c != ' ' && glyphFits[c - kFirstChar]) {
            AppendQuad(vertices, x, y, w, h, colour, cell);
            vertices += kVerticesPerChar;
            if (vertices > capacity - kVerticesPerChar) {
                DrawBatch(vertices, filter);
                vertices = 0;
            }
        }
        x += w;
    }
    if (vertices > 0) {
        DrawBatch(vertices, filter);
    }
    return S_OK;
}

HRESULT C_TextureFont::MeasureText(const char* text, TextSize* size) const {
    if (text == nullptr || size == nullptr) {
        return E_FAIL;
    }
    const std::array<float, 4>& space = glyphCoords[0];
    const float lineHeight = (space[3] - space[1]) * static_cast<float>(atlasHeight);
    float width = 0.0f;
    float lineWidth = 0.0f;
    float totalHeight = lineHeight;
    for (const char* p = text; *p != '\0'; ++p) {
        const int c = static_cast<signed char>(*p);
        if (c == '\n') {
            lineWidth = 0.0f;
            totalHeight += lineHeight;
        } else if (c >= kFirstChar && c <= kLastChar) {
            const std::array<float, 4>& cell = glyphCoords[c - kFirstChar];
            lineWidth += (cell[2] - cell[0]) * static_cast<float>(atlasWidth);
            width = std::max(width, lineWidth);
        }
    }
    size->cx = static_cast<int>(width);
    size->cy = static_cast<int>(totalHeight);
    return S_OK;
}
