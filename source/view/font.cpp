#include "view/font.h"

#include <cstddef>
#include <new>
#include <string>

#include "core/error.h"
#include "core/globals.h"
#include "view/view.h"

namespace {

const char* const kSource = "font";
constexpr float kLineSpacing = 1.5f;

}  // namespace

C_Font::C_Font(std::string faceName_, int height_, uint32_t colour_)
    : height(height_), colour(colour_), faceName(std::move(faceName_)) {
    textureFont.reset(new (std::nothrow) C_TextureFont(faceName, static_cast<uint32_t>(height), 0));
    if (!textureFont) {
        DXError(kSource, __LINE__, 0, "Could not create font");
    }
}

C_Font::~C_Font() = default;

C_TextureFont* C_Font::GetTextureFont() const {
    if (textureFont && !built) {
        built = true;
        // A font that could not be made draws nothing; its owner carries on.
        textureFont->BuildGlyphTexture(g_pView != nullptr ? g_pView->GetDevice() : nullptr);
        textureFont->CreateRenderResources();
    }
    return textureFont.get();
}

HRESULT C_Font::DrawText(std::string text, int x, int y, uint32_t flags) {
    if (GetTextureFont() == nullptr) {
        return E_FAIL;
    }
    const HRESULT hr = textureFont->DrawText(static_cast<float>(x), static_cast<float>(y), colour,
                                             text.c_str(), scale.x, scale.y, flags);
    if (FAILED(hr)) {
        DXError(kSource, __LINE__, hr, "Could not render font");
        return E_FAIL;
    }
    return S_OK;
}

int C_Font::Width(const std::string& text) const {
    TextSize size;
    if (GetTextureFont() == nullptr || FAILED(textureFont->MeasureText(text.c_str(), &size))) {
        return 0;
    }
    return static_cast<int>(static_cast<float>(size.cx) * scale.x);
}

std::string C_Font::Fitted(const std::string& text, int width, bool keepEnd) const {
    if (Width(text) <= width) {
        return text;
    }
    constexpr const char* kMark = "...";
    const auto cut = [&](std::size_t kept) {
        return keepEnd ? kMark + text.substr(text.size() - kept) : text.substr(0, kept) + kMark;
    };
    // The most characters kept that still fit: a longer cut is never narrower.
    std::size_t fits = 0;
    std::size_t over = text.size();
    while (over - fits > 1) {
        const std::size_t middle = fits + (over - fits) / 2;
        (Width(cut(middle)) <= width ? fits : over) = middle;
    }
    return Width(cut(fits)) <= width ? cut(fits) : std::string();
}

int C_Font::GetLineHeight() const {
    return static_cast<int>(static_cast<float>(height) * scale.x * kLineSpacing);
}
