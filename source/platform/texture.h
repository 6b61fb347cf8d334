#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Texture;

namespace platform {

class Display;

// Texture pixels from left/top up to, not including, right/bottom.
struct TextureRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

enum class Filter { Point, Linear };

// Every later Texture::Draw and VertexBuffer::DrawTriangles is scaled by
// `scale` about the screen's top-left corner and then moved by (x, y);
// (1, 0, 0), the start, leaves draws where they are.
void SetDrawTransform(float scale, float x, float y);

// A picture held by the display's renderer, blended by its own alpha. A
// picture with no pixel below full alpha is copied unblended unless a draw
// fades it, which gives the same pixels for less work.
class Texture {
public:
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // From ARGB pixels, row by row; null when the display has no renderer,
    // the size is beyond its textures or the renderer refuses.
    static std::unique_ptr<Texture> Create(Display* display, const uint32_t* argb, int width,
                                           int height);
    // The same from the picture file at `path`, decoded straight into the
    // texture a band of rows at a time, so the whole picture is never held
    // twice; null also when the file cannot be decoded.
    static std::unique_ptr<Texture> Load(Display* display, const std::string& path);

    int Width() const { return width; }
    int Height() const { return height; }
    // The sampling the last draw used, kept until a draw asks for another.
    Filter GetFilter() const;

    // Draws `source` scaled by (scaleX, scaleY) about its top-left corner,
    // turned by `radians` clockwise about (centreX, centreY) measured from the
    // scaled top-left corner, then moved by (x, y); every texel modulated by
    // `argb`, linearly filtered. False when the renderer refuses or is gone.
    bool Draw(const TextureRect& source, float x, float y, float scaleX, float scaleY,
              float centreX, float centreY, float radians, uint32_t argb) const;

private:
    friend class VertexBuffer;
    Texture(SDL_Texture* native, unsigned long generation, int width, int height, bool opaque);
    // The renderer's texture, or null when the renderer that made it is gone.
    SDL_Texture* Live() const;
    // Sampling and blending are told to the renderer only when they change:
    // asking and restoring them around every draw costs more than the draw.
    void UseFilter(Filter wanted) const;
    void UseBlending(bool wanted) const;

    SDL_Texture* native;
    unsigned long generation;
    int width;
    int height;
    bool opaque;
    mutable Filter filter = Filter::Point;
    mutable bool blending;
};

// A fixed number of coloured, textured vertices drawn as a triangle list.
// Made once, it lets text be drawn without allocating anything per draw.
class VertexBuffer {
public:
    explicit VertexBuffer(int capacity);
    ~VertexBuffer();
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    int Capacity() const;
    // Vertex `index` at screen pixel (x, y) with colour `argb` and texture
    // coordinate (u, v) in 0..1; an index outside the capacity is ignored.
    void Set(int index, float x, float y, uint32_t argb, float u, float v);
    // Draws the first `count` vertices with `texture` sampled by `filter`,
    // blended by the texture's and the vertices' alpha.
    bool DrawTriangles(const Texture& texture, int count, Filter filter);

private:
    struct Vertices;
    std::unique_ptr<Vertices> vertices;
};

}  // namespace platform
