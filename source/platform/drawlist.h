#pragma once

// Shared between platform units only: the draws of a frame as the renderer
// is to be given them.

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// A renderer texture as draws hold it: shared by its Texture and by every
// recorded frame that draws it, so that a frame can be drawn again after the
// Texture is gone. Sampling, blending and modulation are told to the
// renderer only when a draw wants others: setting them for every draw costs
// more than the draw.
struct DrawnTexture {
    DrawnTexture(SDL_Texture* native, bool blending);
    ~DrawnTexture();
    DrawnTexture(const DrawnTexture&) = delete;
    DrawnTexture& operator=(const DrawnTexture&) = delete;

    // The texture, or null when the renderer that made it is gone.
    SDL_Texture* Live() const;
    void Use(SDL_ScaleMode scale, bool blend);
    void Modulate(uint32_t argb);

    SDL_Texture* const native;
    const unsigned long rendererGeneration;
    // Unique to this texture's pixels: its pixels are set once, as it is
    // made, and a texture made where another was gets a new one. A frame is
    // the same as another only if it draws the same pixels.
    const uint64_t version;
    SDL_ScaleMode scaleMode = SDL_ScaleModeNearest;
    bool blending;
    uint32_t modulation = 0xFFFFFFFF;
};

// The draws of one frame, in order: a frame equal to the one on screen need
// not be drawn again, and the one on screen can be drawn again when the
// window loses its picture.
class DrawList {
public:
    // Empties the list for a frame on an output of that many pixels. The
    // storage stays: once the lists have grown, a frame allocates nothing.
    void Reset(int outputWidth, int outputHeight);
    // Room for that many draws and triangle vertices, taken now rather than
    // when a busy frame first needs it.
    void Reserve(size_t draws, size_t triangleVertices);
    // The whole output: black bars where the picture of width x height is
    // scaled, the colour over the picture.
    void Clear(uint32_t argb, int pictureWidth, int pictureHeight);
    void Copy(const std::shared_ptr<DrawnTexture>& texture, const SDL_Rect& from,
              const SDL_FRect& to, double degrees, const SDL_FPoint& centre, SDL_RendererFlip flip,
              uint32_t argb, bool blend);
    // Triangles of `count` vertices, copied; returns the copies, for the
    // caller to move.
    SDL_Vertex* Triangles(const std::shared_ptr<DrawnTexture>& texture, const SDL_Vertex* vertices,
                          int count, SDL_ScaleMode scale);

    bool Empty() const { return commands.empty(); }
    // The same draws, with the same textures' same pixels, on an output of
    // the same size.
    bool operator==(const DrawList& other) const;
    bool operator!=(const DrawList& other) const { return !(*this == other); }
    // Gives every draw to the renderer; false if it refused one (the rest
    // are still drawn).
    bool Replay(SDL_Renderer* renderer) const;

private:
    enum class Kind : uint8_t { Clear, Copy, Triangles };
    struct Command {
        Kind kind = Kind::Clear;
        std::shared_ptr<DrawnTexture> texture;
        uint64_t version = 0;
        uint32_t argb = 0;
        SDL_Rect from{};
        SDL_FRect to{};
        SDL_FPoint centre{};
        double degrees = 0.0;
        SDL_RendererFlip flip = SDL_FLIP_NONE;
        SDL_ScaleMode scale = SDL_ScaleModeNearest;
        bool blend = false;
        // Clear: the picture's size; Triangles: the first vertex and count.
        int first = 0;
        int count = 0;

        bool operator==(const Command& other) const;
    };
    static bool ClearOutput(SDL_Renderer* renderer, const Command& clear);

    int outputWidth = 0;
    int outputHeight = 0;
    std::vector<Command> commands;
    std::vector<SDL_Vertex> vertices;
};

}  // namespace platform
