#include "platform/drawlist.h"

#include <cstring>

#include "platform/sdlaccess.h"

namespace platform {
namespace {

uint64_t g_nextVersion = 1;

}  // namespace

DrawnTexture::DrawnTexture(SDL_Texture* native_, bool blending_)
    : native(native_),
      rendererGeneration(RendererGeneration()),
      version(g_nextVersion++),
      blending(blending_) {}

DrawnTexture::~DrawnTexture() {
    // A destroyed renderer has already taken its textures with it.
    if (Live() != nullptr) {
        SDL_DestroyTexture(native);
    }
}

SDL_Texture* DrawnTexture::Live() const {
    return ActiveRenderer() != nullptr && rendererGeneration == RendererGeneration() ? native
                                                                                     : nullptr;
}

void DrawnTexture::Use(SDL_ScaleMode scale, bool blend) {
    if (scale != scaleMode) {
        SDL_SetTextureScaleMode(native, scale);
        scaleMode = scale;
    }
    if (blend != blending) {
        SDL_SetTextureBlendMode(native, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
        blending = blend;
    }
}

void DrawnTexture::Modulate(uint32_t argb) {
    if (argb != modulation) {
        SDL_SetTextureColorMod(native, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
        SDL_SetTextureAlphaMod(native, argb >> 24);
        modulation = argb;
    }
}

void DrawList::Reset(int outputWidth_, int outputHeight_) {
    outputWidth = outputWidth_;
    outputHeight = outputHeight_;
    commands.clear();
    vertices.clear();
}

void DrawList::Reserve(size_t draws, size_t triangleVertices) {
    commands.reserve(draws);
    vertices.reserve(triangleVertices);
}

void DrawList::Clear(uint32_t argb, int pictureWidth, int pictureHeight) {
    Command& clear = commands.emplace_back();
    clear.kind = Kind::Clear;
    clear.argb = argb;
    clear.first = pictureWidth;
    clear.count = pictureHeight;
}

void DrawList::Copy(const std::shared_ptr<DrawnTexture>& texture, const SDL_Rect& from,
                    const SDL_FRect& to, double degrees, const SDL_FPoint& centre,
                    SDL_RendererFlip flip, uint32_t argb, bool blend) {
    Command& copy = commands.emplace_back();
    copy.kind = Kind::Copy;
    copy.texture = texture;
    copy.version = texture->version;
    copy.argb = argb;
    copy.from = from;
    copy.to = to;
    copy.centre = centre;
    copy.degrees = degrees;
    copy.flip = flip;
    copy.scale = SDL_ScaleModeLinear;
    copy.blend = blend;
}

SDL_Vertex* DrawList::Triangles(const std::shared_ptr<DrawnTexture>& texture,
                                const SDL_Vertex* drawn, int count, SDL_ScaleMode scale) {
    Command& triangles = commands.emplace_back();
    triangles.kind = Kind::Triangles;
    triangles.texture = texture;
    triangles.version = texture->version;
    triangles.scale = scale;
    // The vertices' colours may fade the texture, so triangles always blend.
    triangles.blend = true;
    triangles.first = static_cast<int>(vertices.size());
    triangles.count = count;
    vertices.insert(vertices.end(), drawn, drawn + count);
    return vertices.data() + triangles.first;
}

bool DrawList::Command::operator==(const Command& other) const {
    return kind == other.kind && texture == other.texture && version == other.version &&
           argb == other.argb && from.x == other.from.x && from.y == other.from.y &&
           from.w == other.from.w && from.h == other.from.h && to.x == other.to.x &&
           to.y == other.to.y && to.w == other.to.w && to.h == other.to.h &&
           centre.x == other.centre.x && centre.y == other.centre.y && degrees == other.degrees &&
           flip == other.flip && scale == other.scale && blend == other.blend &&
           first == other.first && count == other.count;
}

bool DrawList::operator==(const DrawList& other) const {
    // Vertices are plain floats and bytes: equal bits draw equal triangles.
    return outputWidth == other.outputWidth && outputHeight == other.outputHeight &&
           commands == other.commands && vertices.size() == other.vertices.size() &&
           (vertices.empty() || std::memcmp(vertices.data(), other.vertices.data(),
                                            vertices.size() * sizeof(SDL_Vertex)) == 0);
}

bool DrawList::ClearOutput(SDL_Renderer* renderer, const Command& clear) {
    const uint32_t argb = clear.argb;
    // The output as it is now: a frame drawn again after a resize gets its
    // bars. A window of the picture's own size is cleared in one pass,
    // cheaper than filling a rectangle over it.
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    if (width == clear.first && height == clear.count) {
        SDL_SetRenderDrawColor(renderer, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF,
                               argb >> 24);
        return SDL_RenderClear(renderer) == 0;
    }
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    SDL_GetRenderDrawBlendMode(renderer, &mode);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0xFF);
    bool cleared = SDL_RenderClear(renderer) == 0;
    SDL_SetRenderDrawColor(renderer, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF,
                           argb >> 24);
    cleared = cleared && SDL_RenderFillRect(renderer, nullptr) == 0;
    SDL_SetRenderDrawBlendMode(renderer, mode);
    return cleared;
}

bool DrawList::Replay(SDL_Renderer* renderer) const {
    bool drawn = true;
    for (const Command& command : commands) {
        if (command.kind == Kind::Clear) {
            drawn = ClearOutput(renderer, command) && drawn;
            continue;
        }
        SDL_Texture* native = command.texture->Live();
        if (native == nullptr) {
            drawn = false;
            continue;
        }
        command.texture->Use(command.scale, command.blend);
        if (command.kind == Kind::Copy) {
            command.texture->Modulate(command.argb);
            drawn = SDL_RenderCopyExF(renderer, native, &command.from, &command.to, command.degrees,
                                      &command.centre, command.flip) == 0 &&
                    drawn;
        } else {
            drawn = SDL_RenderGeometry(renderer, native, vertices.data() + command.first,
                                       command.count, nullptr, 0) == 0 &&
                    drawn;
        }
    }
    return drawn;
}

}  // namespace platform
