#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "core/hresult.h"
#include "model/vector2.h"
#include "platform/image.h"
#include "platform/texture.h"

// The texture made from one image file, held by every sprite of that name.
struct SpriteTexture {
    // Null when the texture could not be made.
    std::unique_ptr<platform::Texture> texture;
    int referenceCount = 1;
};

// The textures alive, by bare file name. A record enters only once its
// texture exists, and leaves when the last sprite holding it is destroyed.
extern std::map<std::string, SpriteTexture*> g_textureCache;

// A picture from "./images/" + a bare file name, cut into a grid of equal
// frames as the name says: "name-frames-columns-rows.ext", or one frame when
// the name carries no such numbers.
class C_Sprite {
public:
    // Never fails: a missing or bad file is reported and leaves a sprite
    // whose first Draw reports the missing texture; no Draw draws anything.
    explicit C_Sprite(std::string fileName);
    // The same, given the file's pixels already decoded (as `decoded`, when
    // it holds any) for a name the cache does not hold yet.
    C_Sprite(std::string fileName, platform::Image decoded);
    ~C_Sprite();
    C_Sprite(const C_Sprite&) = delete;
    C_Sprite& operator=(const C_Sprite&) = delete;

    // E_FAIL, and no change, unless 0 <= frame < the number of frames.
    HRESULT SetFrame(int frame);
    // The next frame, back to the first after the last.
    void NextFrame();
    // Scales the frame by `scaling` about its top-left corner, turns it by
    // `rotation` radians clockwise about `rotationCenter` (measured from the
    // scaled top-left corner), moves it by `position`, and draws it
    // modulated by the ARGB `colour`.
    HRESULT Draw(const Vector2& position, const Vector2& rotationCenter, float rotation,
                 const Vector2& scaling, uint32_t colour);

    int GetFrameWidth() const { return frameWidth; }
    int GetFrameHeight() const { return frameHeight; }
    // Half the frame, halved as integers.
    Vector2 GetCentre() const;
    platform::Texture* GetTexture() const;

    int GetImageWidth() const { return imageWidth; }
    int GetImageHeight() const { return imageHeight; }
    int GetRows() const { return rows; }
    int GetColumns() const { return columns; }
    int GetTotalAnimations() const { return totalAnimations; }
    int GetCurrentFrame() const { return currentFrame; }
    const platform::TextureRect& GetSourceRect() const { return sourceRect; }
    const std::string& GetFileName() const { return fileName; }

private:
    void LoadTexture(platform::Image* decoded);
    void ParseFileName();
    void UpdateSourceRect();

    SpriteTexture* texture = nullptr;
    int frameWidth = 0;
    int frameHeight = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    int rows = 1;
    int columns = 1;
    int totalAnimations = 1;
    int currentFrame = 0;
    platform::TextureRect sourceRect;
    std::string fileName;
    bool reportedMissingTexture = false;
};
