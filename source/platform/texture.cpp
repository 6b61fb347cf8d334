#include "platform/texture.h"

#include <SDL.h>

#include <cmath>
#include <utility>
#include <vector>

#include "platform/display.h"
#include "platform/drawlist.h"
#include "platform/image.h"
#include "platform/sdlaccess.h"

namespace platform {
namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

struct DrawTransform {
    float scale = 1.0f;
    float x = 0.0f;
    float y = 0.0f;

    bool IsIdentity() const { return scale == 1.0f && x == 0.0f && y == 0.0f; }
};

DrawTransform g_transform;

SDL_ScaleMode ScaleModeOf(Filter filter) {
    return filter == Filter::Linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
}

}  // namespace

Texture::Texture(std::shared_ptr<DrawnTexture> drawn_, int width_, int height_, bool opaque_)
    : drawn(std::move(drawn_)), width(width_), height(height_), opaque(opaque_) {}

// Frames still drawing it keep the renderer's texture until they go.
Texture::~Texture() = default;

std::unique_ptr<Texture> Texture::Create(Display* display, const uint32_t* argb, int width,
                                         int height) {
    SDL_Renderer* renderer = ActiveRenderer();
    if (display == nullptr || !display->HasRenderer() || renderer == nullptr || argb == nullptr ||
        width <= 0 || height <= 0 || width > display->MaxTextureWidth() ||
        height > display->MaxTextureWidth()) {
        return nullptr;
    }
    SDL_Texture* native = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                            SDL_TEXTUREACCESS_STATIC, width, height);
    if (native == nullptr) {
        return nullptr;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    bool opaque = true;
    for (size_t i = 0; i < count && opaque; ++i) {
        opaque = (argb[i] >> 24) == 0xFF;
    }
    if (SDL_UpdateTexture(native, nullptr, argb, width * 4) != 0 ||
        SDL_SetTextureBlendMode(native, opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND) != 0) {
        SDL_DestroyTexture(native);
        return nullptr;
    }
    SDL_SetTextureScaleMode(native, SDL_ScaleModeNearest);
    return std::unique_ptr<Texture>(
        new Texture(std::make_shared<DrawnTexture>(native, !opaque), width, height, opaque));
}

std::unique_ptr<Texture> Texture::Load(Display* display, const std::string& path) {
    SDL_Texture* native = nullptr;
    int width = 0;
    bool opaque = true;
    int height = 0;
    const bool loaded = StreamImageFile(
        path,
        [&](int w, int h) {
            SDL_Renderer* renderer = ActiveRenderer();
            if (display == nullptr || !display->HasRenderer() || renderer == nullptr ||
                w > display->MaxTextureWidth() || h > display->MaxTextureWidth()) {
                return false;
            }
            width = w;
            height = h;
            native = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                       w, h);
            return native != nullptr;
        },
        [&](const uint32_t* argb, int firstRow, int rows) {
            const size_t count = static_cast<size_t>(width) * static_cast<size_t>(rows);
            for (size_t i = 0; i < count && opaque; ++i) {
                opaque = (argb[i] >> 24) == 0xFF;
            }
            const SDL_Rect band{0, firstRow, width, rows};
            return SDL_UpdateTexture(native, &band, argb, width * 4) == 0;
        });
    if (!loaded ||
        SDL_SetTextureBlendMode(native, opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND) != 0) {
        if (native != nullptr) {
            SDL_DestroyTexture(native);
        }
        return nullptr;
    }
    SDL_SetTextureScaleMode(native, SDL_ScaleModeNearest);
    return std::unique_ptr<Texture>(
        new Texture(std::make_shared<DrawnTexture>(native, !opaque), width, height, opaque));
}

bool Texture::IsLive() const {
    return drawn->Live() != nullptr;
}

Filter Texture::GetFilter() const {
    return filter;
}

bool Texture::Draw(const TextureRect& source, float x, float y, float scaleX, float scaleY,
                   float centreX, float centreY, float radians, uint32_t argb) const {
    DrawList* list = IsLive() ? BeginDraw() : nullptr;
    if (list == nullptr) {
        return false;
    }
    const SDL_Rect from{source.left, source.top, source.right - source.left,
                        source.bottom - source.top};
    const float k = g_transform.scale;
    SDL_FRect to{x * k + g_transform.x, y * k + g_transform.y,
                 static_cast<float>(from.w) * scaleX * k, static_cast<float>(from.h) * scaleY * k};
    SDL_FPoint centre{centreX * k, centreY * k};
    // A negative scale mirrors the frame about its top-left corner: the
    // renderer wants a positive rectangle, flipped, with the same turning point.
    int flip = SDL_FLIP_NONE;
    if (to.w < 0.0f) {
        to.w = -to.w;
        to.x -= to.w;
        centre.x += to.w;
        flip |= SDL_FLIP_HORIZONTAL;
    }
    if (to.h < 0.0f) {
        to.h = -to.h;
        to.y -= to.h;
        centre.y += to.h;
        flip |= SDL_FLIP_VERTICAL;
    }
    filter = Filter::Linear;
    // A fade lets what is below show through, and a turned picture's
    // smoothed edges carry alpha of their own: both need blending.
    list->Copy(drawn, from, to, static_cast<double>(radians) * kDegreesPerRadian, centre,
               static_cast<SDL_RendererFlip>(flip), argb,
               !opaque || (argb >> 24) != 0xFF || radians != 0.0f);
    return EndDraw();
}

void SetDrawTransform(float scale, float x, float y) {
    g_transform = DrawTransform{scale, x, y};
}

struct VertexBuffer::Vertices {
    std::vector<SDL_Vertex> items;
};

VertexBuffer::VertexBuffer(int capacity) : vertices(std::make_unique<Vertices>()) {
    vertices->items.resize(capacity > 0 ? static_cast<size_t>(capacity) : 0);
}

VertexBuffer::~VertexBuffer() = default;

int VertexBuffer::Capacity() const {
    return static_cast<int>(vertices->items.size());
}

void VertexBuffer::Set(int index, float x, float y, uint32_t argb, float u, float v) {
    if (index < 0 || index >= Capacity()) {
        return;
    }
    SDL_Vertex& vertex = vertices->items[static_cast<size_t>(index)];
    vertex.position = SDL_FPoint{x, y};
    vertex.color = SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                             static_cast<Uint8>(argb), static_cast<Uint8>(argb >> 24)};
    vertex.tex_coord = SDL_FPoint{u, v};
}

bool VertexBuffer::DrawTriangles(const Texture& texture, int count, Filter filter) {
    DrawList* list = texture.IsLive() && count >= 0 && count <= Capacity() ? BeginDraw() : nullptr;
    if (list == nullptr) {
        return false;
    }
    texture.filter = filter;
    SDL_Vertex* drawn =
        list->Triangles(texture.drawn, vertices->items.data(), count, ScaleModeOf(filter));
    if (!g_transform.IsIdentity()) {
        for (int i = 0; i < count; ++i) {
            drawn[i].position.x = drawn[i].position.x * g_transform.scale + g_transform.x;
            drawn[i].position.y = drawn[i].position.y * g_transform.scale + g_transform.y;
        }
    }
    return EndDraw();
}

}  // namespace platform
