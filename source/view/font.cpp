#include "view/font.h"

#include <new>

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

int C_Font::GetLineHeight() const {
    return static_cast<int>(static_cast<float>(height) * scale.x * kLineSpacing);
}
