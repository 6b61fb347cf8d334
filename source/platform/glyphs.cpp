#include "platform/glyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace platform {

struct GlyphFace::Library {
    FT_Library freetype = nullptr;
    FT_Face face = nullptr;

    ~Library() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (freetype != nullptr) {
            FT_Done_FreeType(freetype);
        }
    }
};

namespace {

struct FaceFile {
    std::string path;
    int index = 0;
    std::string family;
};

const char* AsText(const FcChar8* text) {
    return reinterpret_cast<const char*>(text);
}

// Asks fontconfig for the best face of that name, upright, of normal weight
// or bold for a name ending " Bold" ("DejaVu Sans Bold"). It always answers
// with some installed face, so unknown names get a substitute.
// Fontconfig is brought up and down around the one question, so it holds no
// memory while no font is being made.
bool FindFace(const std::string& name, FaceFile* file) {
    if (FcInit() == FcFalse) {
        return false;
    }
    const std::string kBold = " Bold";
    std::string asked = name;
    int weight = FC_WEIGHT_REGULAR;
    if (asked.size() > kBold.size() &&
        asked.compare(asked.size() - kBold.size(), kBold.size(), kBold) == 0) {
        asked.resize(asked.size() - kBold.size());
        weight = FC_WEIGHT_BOLD;
    }
    bool found = false;
    FcPattern* pattern = FcPatternCreate();
    if (pattern != nullptr) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(asked.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, weight);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        if (match != nullptr) {
            FcChar8* path = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
                file->path = AsText(path);
                found = true;
            }
            FcPatternGetInteger(match, FC_INDEX, 0, &file->index);
            FcChar8* family = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch) {
                file->family = AsText(family);
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcFini();
    return found;
}

// 26.6 fixed point to whole pixels, rounding away from the baseline.
int CeilPixels(FT_Pos value) {
    return static_cast<int>((value + 63) / 64);
}

}  // namespace

GlyphFace::~GlyphFace() = default;

std::unique_ptr<GlyphFace> GlyphFace::Open(const std::string& faceName, int pixelHeight) {
    FaceFile file;
    if (pixelHeight <= 0 || !FindFace(faceName, &file)) {
        return nullptr;
    }
    std::unique_ptr<GlyphFace> glyphs(new GlyphFace());
    glyphs->library = std::make_unique<Library>();
    Library& lib = *glyphs->library;
    if (FT_Init_FreeType(&lib.freetype) != 0 ||
        FT_New_Face(lib.freetype, file.path.c_str(), file.index, &lib.face) != 0 ||
        FT_Set_Pixel_Sizes(lib.face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
        return nullptr;
    }
    const FT_Size_Metrics& metrics = lib.face->size->metrics;
    glyphs->familyName = file.family;
    glyphs->pixelHeight = pixelHeight;
    glyphs->ascent = CeilPixels(metrics.ascender);
    glyphs->lineHeight = glyphs->ascent + CeilPixels(-metrics.descender);
    return glyphs;
}

void GlyphFace::Measure(char c, int* width, int* height) const {
    FT_Face face = library->face;
    *width = 0;
    *height = lineHeight;
    if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_DEFAULT) == 0) {
        *width = static_cast<int>((face->glyph->advance.x + 32) / 64);
    }
}

void GlyphFace::Render(char c, int x, int y, uint8_t* coverage, int width, int height) const {
    FT_Face face = library->face;
    int cellWidth = 0;
    int cellHeight = 0;
    Measure(c, &cellWidth, &cellHeight);
    if (coverage == nullptr ||
        FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0) {
        return;
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return;
    }
    const int left = x + face->glyph->bitmap_left;
    const int top = y + ascent - face->glyph->bitmap_top;
    const int right = std::min({x + cellWidth, width, left + static_cast<int>(bitmap.width)});
    const int bottom = std::min({y + cellHeight, height, top + static_cast<int>(bitmap.rows)});
    const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    for (int py = std::max({y, top, 0}); py < bottom; ++py) {
        const int row =
            bitmap.pitch < 0 ? static_cast<int>(bitmap.rows) - 1 - (py - top) : py - top;
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * pitch;
        uint8_t* target = coverage + static_cast<ptrdiff_t>(py) * width;
        for (int px = std::max({x, left, 0}); px < right; ++px) {
            const int column = px - left;
            target[px] =
                mono ? ((source[column / 8] >> (7 - column % 8)) & 1) * 255 : source[column];
        }
    }
}

}  // namespace platform
