// The floor: a bare SDL2 program, with libpng for the pictures and FreeType
// (found through fontconfig) for the text, drawing each scene's pictures the
// cheapest correct way. Opaque pictures are copied unblended, every texture's
// sampling and fade are set once, and text is one triangle batch per line
// from a glyph atlas no taller than its glyphs need.
#include <SDL.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <png.h>
#include FT_FREETYPE_H

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "scene.h"
#include "sides.h"

namespace floor_bench {
namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

struct Picture {
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
};

// Picture from ./images/, unblended when no pixel is below full alpha.
Picture Load(SDL_Renderer* renderer, const std::string& name) {
    Picture picture;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    const std::string path = "./images/" + name;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return picture;
    }
    image.format = PNG_FORMAT_BGRA;  // ARGB8888 words on a little-endian machine
    std::vector<uint32_t> argb(static_cast<size_t>(image.width) * image.height);
    if (png_image_finish_read(&image, nullptr, argb.data(), 0, nullptr) == 0) {
        return picture;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STATIC, picture.width, picture.height);
    if (picture.texture == nullptr) {
        return picture;
    }
    SDL_UpdateTexture(picture.texture, nullptr, argb.data(), picture.width * 4);
    const bool opaque =
        std::all_of(argb.begin(), argb.end(), [](uint32_t p) { return (p >> 24) == 0xFF; });
    SDL_SetTextureBlendMode(picture.texture, opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(picture.texture, SDL_ScaleModeLinear);
    return picture;
}

// Frame `frame` of a picture cut into `columns` x `rows`, drawn at (x, y)
// scaled by `scale`.
void Copy(SDL_Renderer* renderer, const Picture& picture, int columns, int rows, int frame, float x,
          float y, float scale) {
    const int w = picture.width / columns;
    const int h = picture.height / rows;
    const SDL_Rect from{(frame % columns) * w, (frame / columns) * h, w, h};
    const SDL_FRect to{x, y, static_cast<float>(w) * scale, static_cast<float>(h) * scale};
    SDL_RenderCopyF(renderer, picture.texture, &from, &to);
}

// One typeface's printable characters in one atlas, packed as rows of cells.
struct Atlas {
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
    SDL_Rect cells[96] = {};
    std::vector<SDL_Vertex> vertices;
};

bool FindFace(const char* name, std::string* path, int* index) {
    FcInit();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    bool found = false;
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        *path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, index);
        found = true;
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcFini();
    return found;
}

// Characters 32..126 at `pixels` em, white with 4-bit coverage as alpha (as
// the game's atlas holds them), in rows `width` wide.
bool MakeAtlas(SDL_Renderer* renderer, const char* face, int pixels, int width, bool linear,
               Atlas* atlas) {
    std::string path;
    int index = 0;
    FT_Library library = nullptr;
    FT_Face ft = nullptr;
    if (!FindFace(face, &path, &index) || FT_Init_FreeType(&library) != 0) {
        return false;
    }
    if (FT_New_Face(library, path.c_str(), index, &ft) != 0 ||
        FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(pixels)) != 0) {
        FT_Done_FreeType(library);
        return false;
    }
    const int ascent = static_cast<int>((ft->size->metrics.ascender + 63) / 64);
    const int lineHeight = ascent + static_cast<int>((-ft->size->metrics.descender + 63) / 64);
    int x = 0;
    int y = 0;
    for (int c = 32; c <= 126; ++c) {
        int advance = 0;
        if (FT_Load_Char(ft, static_cast<FT_ULong>(c), FT_LOAD_DEFAULT) == 0) {
            advance = static_cast<int>((ft->glyph->advance.x + 32) / 64);
        }
        if (x + advance + 1 > width) {
            x = 0;
            y += lineHeight + 1;
        }
        atlas->cells[c - 32] = {x, y, advance, lineHeight};
        x += advance + 1;
    }
    const int height = y + lineHeight;
    std::vector<uint32_t> texels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (int c = 33; c <= 126; ++c) {
        const SDL_Rect& cell = atlas->cells[c - 32];
        if (FT_Load_Char(ft, static_cast<FT_ULong>(c), FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_Bitmap& bitmap = ft->glyph->bitmap;
        const int left = cell.x + ft->glyph->bitmap_left;
        const int top = cell.y + ascent - ft->glyph->bitmap_top;
        for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
            const int py = top + row;
            if (py < cell.y || py >= cell.y + cell.h) {
                continue;
            }
            for (int column = 0; column < static_cast<int>(bitmap.width); ++column) {
                const int px = left + column;
                if (px < cell.x || px >= cell.x + cell.w) {
                    continue;
                }
                const uint32_t level = bitmap.buffer[row * bitmap.pitch + column] >> 4;
                texels[static_cast<size_t>(py) * static_cast<size_t>(width) +
                       static_cast<size_t>(px)] =
                    level == 0 ? 0 : ((level * 0x11) << 24) | 0x00FFFFFF;
            }
        }
    }
    FT_Done_Face(ft);
    FT_Done_FreeType(library);
    atlas->texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                       width, height);
    if (atlas->texture == nullptr) {
        return false;
    }
    SDL_UpdateTexture(atlas->texture, nullptr, texels.data(), width * 4);
    SDL_SetTextureBlendMode(atlas->texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(atlas->texture, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    atlas->width = width;
    atlas->height = height;
    atlas->vertices.resize(50 * 6);
    return true;
}

int TextWidth(const Atlas& atlas, const std::string& text) {
    int width = 0;
    for (char c : text) {
        width += atlas.cells[c - 32].w;
    }
    return width;
}

// One line as one triangle batch, scaled about its top-left corner, or
// about its middle when `centred`.
void Text(SDL_Renderer* renderer, Atlas& atlas, const std::string& text, float x, float y,
          uint32_t argb, float scale = 1.0f, bool centred = false) {
    if (centred) {
        x -= static_cast<float>(TextWidth(atlas, text)) * scale / 2.0f;
        y -= static_cast<float>(atlas.cells[0].h) * scale / 2.0f;
    }
    const SDL_Color colour{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                           static_cast<Uint8>(argb), static_cast<Uint8>(argb >> 24)};
    const float w = static_cast<float>(atlas.width);
    const float h = static_cast<float>(atlas.height);
    int count = 0;
    for (char c : text) {
        const SDL_Rect& cell = atlas.cells[c - 32];
        const float cw = static_cast<float>(cell.w) * scale;
        const float ch = static_cast<float>(cell.h) * scale;
        if (c != ' ') {
            const float u0 = static_cast<float>(cell.x) / w;
            const float v0 = static_cast<float>(cell.y) / h;
            const float u1 = static_cast<float>(cell.x + cell.w) / w;
            const float v1 = static_cast<float>(cell.y + cell.h) / h;
            SDL_Vertex* v = &atlas.vertices[static_cast<size_t>(count)];
            v[0] = {{x, y + ch}, colour, {u0, v1}};
            v[1] = {{x, y}, colour, {u0, v0}};
            v[2] = {{x + cw, y + ch}, colour, {u1, v1}};
            v[3] = {{x + cw, y}, colour, {u1, v0}};
            v[4] = v[2];
            v[5] = v[1];
            count += 6;
        }
        x += cw;
    }
    if (count > 0) {
        SDL_RenderGeometry(renderer, atlas.texture, atlas.vertices.data(), count, nullptr, 0);
    }
}

// The pixel size the game rasterises a face of `points` at.
int Pixels(int points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

int AtlasWidth(int points) {
    return points > 40 ? 1024 : points > 20 ? 512 : 256;
}

uint32_t Faded(float fade, uint32_t rgb) {
    return (static_cast<uint32_t>(static_cast<int>(fade)) & 0xFFu) << 24 | (rgb & 0xFFFFFFu);
}

// Everything a scene holds, loaded before its first frame.
struct Resources {
    std::map<std::string, Picture> pictures;
    Atlas hud;
    Atlas list;
    Atlas large;
    Atlas countdown;
    bool complete = true;

    const Picture& Get(SDL_Renderer* renderer, const std::string& name) {
        Picture& picture = pictures[name];
        if (picture.texture == nullptr) {
            picture = Load(renderer, name);
            complete = complete && picture.texture != nullptr;
        }
        return picture;
    }
};

// Every texture goes, as a screen's do when the next one comes.
void Release(Resources& r) {
    for (auto& entry : r.pictures) {
        SDL_DestroyTexture(entry.second.texture);
    }
    r.pictures.clear();
    for (Atlas* atlas : {&r.hud, &r.list, &r.large, &r.countdown}) {
        if (atlas->texture != nullptr) {
            SDL_DestroyTexture(atlas->texture);
        }
        *atlas = Atlas{};
    }
}

// A picture always drawn at `alpha`: its fade and blending are set once.
void Faded(SDL_Renderer* renderer, Resources& r, const std::string& name, uint8_t alpha) {
    const Picture& picture = r.Get(renderer, name);
    if (alpha != 0xFF) {
        SDL_SetTextureAlphaMod(picture.texture, alpha);
        SDL_SetTextureBlendMode(picture.texture, SDL_BLENDMODE_BLEND);
    }
}

void LoadMenu(SDL_Renderer* renderer, Resources& r) {
    r.Get(renderer, "menu.png");
    for (const MenuButton& button : MenuButtons()) {
        Faded(renderer, r, button.sheet, button.alpha);
    }
    r.Get(renderer, "pointer.png");
}

// The menu with the pointer at `pointer`: a button under it shows its hover
// frame, as the game's buttons do.
void DrawMenu(SDL_Renderer* renderer, Resources& r, PointerPlace pointer) {
    Copy(renderer, r.Get(renderer, "menu.png"), 1, 1, 0, 0, 0, 0.7f);
    for (const MenuButton& button : MenuButtons()) {
        const Picture& sheet = r.Get(renderer, button.sheet);
        const float w = static_cast<float>(static_cast<int>(sheet.width * button.scale));
        const float h = static_cast<float>(static_cast<int>(sheet.height / 3 * button.scale));
        const float x = static_cast<float>(pointer.x);
        const float y = static_cast<float>(pointer.y);
        const bool over = button.x <= x && x < button.x + w && button.y <= y && y < button.y + h;
        Copy(renderer, sheet, 1, 3, over ? 1 : 0, button.x, button.y, button.scale);
    }
    Copy(renderer, r.Get(renderer, "pointer.png"), 1, 1, 0, static_cast<float>(pointer.x),
         static_cast<float>(pointer.y), 1.0f);
}

std::string Sheet(int colour) {
    return "piece_" + std::to_string(colour) + "-20-5-4.png";
}

void LoadPlay(SDL_Renderer* renderer, Resources& r) {
    r.Get(renderer, "bg3.png");
    for (int colour = 0; colour < 7; ++colour) {
        r.Get(renderer, Sheet(colour));
    }
    for (const char* name : {"start_button2-3-1-3.png", "pause_button2-3-1-3.png",
                             "stop_button2-3-1-3.png", "pointer.png"}) {
        r.Get(renderer, name);
    }
    r.complete = r.complete &&
                 MakeAtlas(renderer, "Arial", Pixels(24), AtlasWidth(24), true, &r.hud) &&
                 MakeAtlas(renderer, "Arial Black", Pixels(11), AtlasWidth(11), true, &r.list);
}

void DrawPiece(SDL_Renderer* renderer, Resources& r, int colour, int frame, int column, int row) {
    Copy(renderer, r.Get(renderer, Sheet(colour)), 5, 4, frame,
         static_cast<float>(kBoardLeft + kCellPitch * column),
         static_cast<float>(kBoardTop + kCellPitch * row), kPieceScale);
}

void DrawPlay(SDL_Renderer* renderer, Resources& r, const std::vector<BoardPiece>& board,
              int frame) {
    const PlayNumbers n;
    const float fade = ListFadeAt(frame);
    Copy(renderer, r.Get(renderer, "bg3.png"), 1, 1, 0, 0, 0, 0.7f);
    const int hud[6][3] = {{n.level, 215, 12},        {n.score, 424, 56},
                           {n.rowsCleared, 432, 129}, {n.pipeTotal, 440, 205},
                           {n.bestPipe, 434, 279},    {n.bestCycle, 432, 360}};
    for (const auto& number : hud) {
        Text(renderer, r.hud, std::to_string(number[0]), static_cast<float>(number[1]),
             static_cast<float>(number[2]), 0xB4F0F0FF);
    }
    for (const BoardPiece& piece : board) {
        DrawPiece(renderer, r, piece.colour, piece.rotation * 5 + piece.shape, piece.column,
                  piece.row);
    }
    const uint32_t grey = Faded(fade, 0xD0D0D0);
    const uint32_t white = Faded(fade, 0xFFFFFF);
    const uint32_t marker = Faded(fade, 0x6450E1);
    // The cycle list on the left, the pipe list right-aligned beside it.
    int cyclePoints = 0;
    for (size_t i = 0; i < n.cycleSizes.size(); ++i) {
        const int s = n.cycleSizes[i];
        cyclePoints += n.cycleMulti[i] != 0 ? s : 2 * s;
        const std::string text = std::string(i != 0 ? "+ " : "") + std::to_string(s) +
                                 (n.cycleMulti[i] != 0 ? " Block Multi Cycle" : " Block Cycle");
        Text(renderer, r.list, text, 60, static_cast<float>(108 + 20 * static_cast<int>(i)), grey);
    }
    const float below = static_cast<float>(108 + 20 * static_cast<int>(n.cycleSizes.size()));
    Text(renderer, r.list, std::to_string(n.chain) + "x", 26, below, marker);
    Text(renderer, r.list, "Bonus", 1, below + 20, marker);
    Text(renderer, r.list, "pts : " + std::to_string(cyclePoints * (8 * n.level + 8)), 60, below,
         white);
    int pipePoints = 0;
    for (size_t i = 0; i < n.pipeSizes.size(); ++i) {
        pipePoints += n.pipeSizes[i];
        const std::string text =
            std::string(i != 0 ? "+ " : "") + std::to_string(n.pipeSizes[i]) + " Block Pipe";
        Text(renderer, r.list, text, static_cast<float>(342 - TextWidth(r.list, text)),
             static_cast<float>(108 + 20 * static_cast<int>(i)), white);
    }
    Text(renderer, r.list, std::to_string(n.chain) + "x", 355, below, marker);
    Text(renderer, r.list, "Bonus", 355, below + 20, marker);
    const std::string points = "pts : " + std::to_string(pipePoints * (2 * n.level + 2));
    Text(renderer, r.list, points, static_cast<float>(342 - TextWidth(r.list, points)), below,
         grey);
    // The falling shape, a row lower every kFramesPerRow frames, and the
    // next one in the preview.
    const int fallen = (frame / kFramesPerRow) % kFallRows;
    for (int i = 0; i < 4; ++i) {
        DrawPiece(renderer, r, i, i * 5, 3 + i, fallen);
        DrawPiece(renderer, r, i + 2, i * 3, 16 + i % 2, 18 + i / 2);
    }
    Copy(renderer, r.Get(renderer, "start_button2-3-1-3.png"), 1, 3, 0, 420, 600, 0.65f);
    Copy(renderer, r.Get(renderer, "pause_button2-3-1-3.png"), 1, 3, 0, 515, 600, 0.65f);
    Copy(renderer, r.Get(renderer, "stop_button2-3-1-3.png"), 1, 3, 0, 585, 600, 0.65f);
    Copy(renderer, r.Get(renderer, "pointer.png"), 1, 1, 0, 0, 0, 1.0f);
}

// Pong's field is 800 x 600, scaled to the window's width and centred.
constexpr float kFieldScale = 713.0f / 800.0f;
constexpr float kFieldTop = (653.0f - 600.0f * kFieldScale) / 2.0f;

void LoadPong(SDL_Renderer* renderer, Resources& r) {
    for (const char* name :
         {"pong_background.png", "pong_scoreboard.png", "paddle.png", "pongball-2-2-1.png"}) {
        r.Get(renderer, name);
    }
    r.complete = r.complete &&
                 MakeAtlas(renderer, "Helvitica", Pixels(25), AtlasWidth(25), true, &r.large) &&
                 MakeAtlas(renderer, "Helvitica", Pixels(60), AtlasWidth(60), true, &r.countdown);
}

SDL_FRect Field(float x, float y, float w, float h) {
    return {x * kFieldScale, y * kFieldScale + kFieldTop, w * kFieldScale, h * kFieldScale};
}

void DrawPong(SDL_Renderer* renderer, Resources& r, int frame) {
    const Picture& background = r.Get(renderer, "pong_background.png");
    const Picture& board = r.Get(renderer, "pong_scoreboard.png");
    const Picture& paddle = r.Get(renderer, "paddle.png");
    const Picture& ball = r.Get(renderer, "pongball-2-2-1.png");
    SDL_FRect to =
        Field(367, 0, static_cast<float>(background.width), static_cast<float>(background.height));
    SDL_RenderCopyF(renderer, background.texture, nullptr, &to);
    to = Field(298, 500, static_cast<float>(board.width), static_cast<float>(board.height));
    SDL_RenderCopyF(renderer, board.texture, nullptr, &to);
    Text(renderer, r.large, "0", 308 * kFieldScale, 536 * kFieldScale + kFieldTop, 0x321E1E1E,
         kFieldScale);
    Text(renderer, r.large, "0", 406 * kFieldScale, 536 * kFieldScale + kFieldTop, 0x321E1E1E,
         kFieldScale);
    // The serve comes after a three-second count, then the ball crosses.
    const double t = frame / kFramesPerSecond;
    const float ballX = t < 3.0 ? 390.0f : 390.0f + static_cast<float>(t - 3.0) * 4.0f * 75.0f;
    for (float x : {10.0f, 780.0f}) {
        to = Field(x, 270, static_cast<float>(paddle.width), static_cast<float>(paddle.height));
        SDL_RenderCopyF(renderer, paddle.texture, nullptr, &to);
    }
    const SDL_Rect from{0, 0, ball.width / 2, ball.height};
    to = Field(ballX, 290, static_cast<float>(from.w), static_cast<float>(from.h));
    const SDL_FPoint centre{to.w / 2, to.h / 2};
    SDL_RenderCopyExF(renderer, ball.texture, &from, &to, t * 0.2 * kDegreesPerRadian, &centre,
                      SDL_FLIP_NONE);
    const int second = static_cast<int>(t);
    const float phase = static_cast<float>(t - second);
    if (second < 4 && phase > 0.0f) {
        const float s = second < 3 ? 40.0f / (50.0f * phase) : phase;
        Text(renderer, r.countdown, second < 3 ? std::to_string(3 - second) : "GO!",
             400 * kFieldScale, 300 * kFieldScale + kFieldTop, 0x321E1E1E, s * kFieldScale, true);
    }
}

void LoadDemoB(SDL_Renderer* renderer, Resources& r) {
    r.Get(renderer, "demob_background.png");
    r.Get(renderer, "ball-4-4-1.png");
    r.complete =
        r.complete && MakeAtlas(renderer, "Helvitica", Pixels(25), AtlasWidth(25), false, &r.large);
}

void DrawDemoB(SDL_Renderer* renderer, Resources& r) {
    Copy(renderer, r.Get(renderer, "demob_background.png"), 1, 1, 0, 0, 0, 1.0f);
    const Picture& ball = r.Get(renderer, "ball-4-4-1.png");
    const int size = ball.width / 4;
    // The pile, each ball turned and named.
    for (int n = 0; n < kDemoBalls; ++n) {
        const BallPlace place = PlaceOfBall(n);
        const SDL_Rect from{(n % 4) * size, 0, size, ball.height};
        const SDL_FRect to{place.x, place.y, static_cast<float>(size),
                           static_cast<float>(ball.height)};
        const SDL_FPoint centre{to.w / 2, to.h / 2};
        SDL_RenderCopyExF(renderer, ball.texture, &from, &to, place.radians * kDegreesPerRadian,
                          &centre, SDL_FLIP_NONE);
        Text(renderer, r.large, std::to_string(n), place.x, place.y, 0xFFFFFFFF);
    }
}

}  // namespace

Result RunBare(Scene scene, int frames, long long startedAt) {
    Result result;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return result;
    }
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          kWidth, kHeight, SDL_WINDOW_OPENGL);
    SDL_Renderer* renderer =
        window != nullptr ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (renderer == nullptr) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return result;
    }
    // Every run starts as the game does, at the menu: its first frame is
    // the start-up's end, and its pictures go before the scene's come.
    Resources menu;
    LoadMenu(renderer, menu);
    if (!menu.complete) {
        std::fprintf(stderr, "a picture is missing: run from the repository's root\n");
        return result;
    }
    SDL_SetRenderDrawColor(renderer, 0xFF, 0xFF, 0xFF, 0xFF);
    SDL_RenderClear(renderer);
    DrawMenu(renderer, menu, {0, 0});
    SDL_RenderPresent(renderer);
    FinishFrame();
    result.startMilliseconds = static_cast<double>(MonotonicNanoseconds() - startedAt) / 1e6;
    Resources other;
    const bool atMenu = scene == Scene::Still || scene == Scene::Menu;
    Resources& resources = atMenu ? menu : other;
    const std::vector<BoardPiece> board = PlayBoard();
    if (!atMenu) {
        Release(menu);
    }
    switch (scene) {
        case Scene::Still:
        case Scene::Menu:
            break;
        case Scene::Play:
            LoadPlay(renderer, resources);
            break;
        case Scene::Pong:
            LoadPong(renderer, resources);
            break;
        case Scene::DemoB:
            LoadDemoB(renderer, resources);
            break;
    }
    if (!resources.complete) {
        std::fprintf(stderr, "a picture or a face is missing: run from the repository's root\n");
        return result;
    }
    const double ticksPerFrame =
        static_cast<double>(SDL_GetPerformanceFrequency()) / kFramesPerSecond;
    double next = static_cast<double>(SDL_GetPerformanceCounter());
    double start = 0;
    for (int frame = 0; frame < kWarmUp + frames; ++frame) {
        if (frame == kWarmUp) {
            start = ProcessMicroseconds();
        }
        SDL_SetRenderDrawColor(renderer, 0xFF, 0xFF, 0xFF, 0xFF);
        SDL_RenderClear(renderer);
        switch (scene) {
            case Scene::Still:
                DrawMenu(renderer, resources, {0, 0});
                break;
            case Scene::Menu:
                DrawMenu(renderer, resources, PointerAt(frame));
                break;
            case Scene::Play:
                DrawPlay(renderer, resources, board, frame);
                break;
            case Scene::Pong:
                DrawPong(renderer, resources, frame);
                break;
            case Scene::DemoB:
                DrawDemoB(renderer, resources);
                break;
        }
        SDL_RenderPresent(renderer);
        FinishFrame();
        next += ticksPerFrame;
        const double early = next - static_cast<double>(SDL_GetPerformanceCounter());
        if (early > 0) {
            SDL_Delay(static_cast<Uint32>(early * 1000.0 /
                                          static_cast<double>(SDL_GetPerformanceFrequency())));
        }
    }
    result.microsecondsPerFrame = (ProcessMicroseconds() - start) / frames;
    result.peakKilobytes = PeakKilobytes();
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return result;
}

}  // namespace floor_bench

// frame_floor_bare <scene> <frames> <started-at>, started by frame_floor.
int main(int argc, char** argv) {
    using namespace floor_bench;
    if (argc < 4) {
        std::fprintf(stderr, "run frame_floor, which runs this\n");
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const Result result = RunBare(SceneNamed(argv[1]), std::max(atoi(argv[2]), 1), atoll(argv[3]));
    PrintResult(result);
    return result.microsecondsPerFrame < 0 ? 1 : 0;
}
