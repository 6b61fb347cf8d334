#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Display;
struct DrawnTexture;

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
// fades it, which gives the same pixels for less work. Between the display's
// Clear and Present draws are recorded, and drawn at the Present; outside a
// frame they are drawn at once.
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
    // `argb`, linearly filtered. False when the renderer is gone (or,
    // outside a frame, refuses).
    bool Draw(const TextureRect& source, float x, float y, float scaleX, float scaleY,
              float centreX, float centreY, float radians, uint32_t argb) const;

private:
    friend class VertexBuffer;
    Texture(std::shared_ptr<DrawnTexture> drawn, int width, int height, bool opaque);
    // False when the renderer that made it is gone.
    bool IsLive() const;

    std::shared_ptr<DrawnTexture> drawn;
    int width;
    int height;
    bool opaque;
    mutable Filter filter = Filter::Point;
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
    // blended by the texture's and the vertices' alpha (recorded in a frame,
    // as Texture::Draw is).
    bool DrawTriangles(const Texture& texture, int count, Filter filter);

private:
    struct Vertices;
    std::unique_ptr<Vertices> vertices;
};

}  // namespace platform
