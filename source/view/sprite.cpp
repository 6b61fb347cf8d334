#include "view/sprite.h"

#include <cstdint>

#include "core/error.h"
#include "core/globals.h"
#include "platform/image.h"
#include "view/view.h"

std::map<std::string, SpriteTexture*> g_textureCache;

namespace {

const char* const kSource = "sprite";
const char* const kImageDirectory = "./images/";

}  // namespace

C_Sprite::C_Sprite(std::string fileName_) : C_Sprite(std::move(fileName_), platform::Image{}) {}

C_Sprite::C_Sprite(std::string fileName_, platform::Image decoded)
    : fileName(std::move(fileName_)) {
    LoadTexture(&decoded);
    ParseFileName();
    frameWidth = imageWidth / columns;
    frameHeight = imageHeight / rows;
    currentFrame = 0;
    UpdateSourceRect();
}

C_Sprite::~C_Sprite() {
    if (texture == nullptr || --texture->referenceCount > 0) {
        return;
    }
    // Only the record this sprite holds leaves the cache: a record that never
    // entered it must not take a later sprite's entry of the same name along.
    const auto cached = g_textureCache.find(fileName);
    if (cached != g_textureCache.end() && cached->second == texture) {
        g_textureCache.erase(cached);
    }
    delete texture;
    texture = nullptr;
}

void C_Sprite::LoadTexture(platform::Image* decoded) {
    const auto cached = g_textureCache.find(fileName);
    if (cached != g_textureCache.end()) {
        texture = cached->second;
        ++texture->referenceCount;
        // A cached record always holds its texture, which knows the size: a
        // hit reads no file.
        imageWidth = texture->texture->Width();
        imageHeight = texture->texture->Height();
        return;
    }
    texture = new SpriteTexture();
    platform::Display* device = g_pView != nullptr ? g_pView->GetDevice() : nullptr;
    // A file is decoded band by band straight into its texture; pixels
    // already decoded are copied there.
    texture->texture = decoded->argb.empty()
                           ? platform::Texture::Load(device, kImageDirectory + fileName)
                           : platform::Texture::Create(device, decoded->argb.data(), decoded->width,
                                                       decoded->height);
    if (!texture->texture) {
        DXError(kSource, __LINE__, E_FAIL, "Could not create texture from " + fileName);
        return;
    }
    g_textureCache[fileName] = texture;
    imageWidth = texture->texture->Width();
    imageHeight = texture->texture->Height();
}

void C_Sprite::ParseFileName() {
    // Each number follows one of the first three dashes and is read as atoi
    // reads: up to the next character that is not a digit.
    const size_t first = fileName.find('-');
    const size_t second = first == std::string::npos ? first : fileName.find('-', first + 1);
    const size_t third = second == std::string::npos ? second : fileName.find('-', second + 1);
    if (third == std::string::npos) {
        return;
    }
    const int frames = StringToInt(fileName.substr(first + 1));
    const int gridColumns = StringToInt(fileName.substr(second + 1));
    const int gridRows = StringToInt(fileName.substr(third + 1));
    if (frames <= 0 || gridColumns <= 0 || gridRows <= 0) {
        return;
    }
    if (int64_t{gridRows} * gridColumns < frames) {
        DXError(kSource, __LINE__, 0,
                fileName + " name is screwed up... Rows * Columns < totalAnimations?!?");
        return;
    }
    totalAnimations = frames;
    columns = gridColumns;
    rows = gridRows;
}

void C_Sprite::UpdateSourceRect() {
    sourceRect.left = (currentFrame % columns) * frameWidth;
    sourceRect.top = (currentFrame / columns) * frameHeight;
    sourceRect.right = sourceRect.left + frameWidth;
    sourceRect.bottom = sourceRect.top + frameHeight;
}

HRESULT C_Sprite::SetFrame(int frame) {
    if (frame < 0 || frame >= totalAnimations) {
        return E_FAIL;
    }
    currentFrame = frame;
    UpdateSourceRect();
    return S_OK;
}

void C_Sprite::NextFrame() {
    currentFrame = (currentFrame + 1) % totalAnimations;
    UpdateSourceRect();
}

HRESULT C_Sprite::Draw(const Vector2& position, const Vector2& rotationCenter, float rotation,
                       const Vector2& scaling, uint32_t colour) {
    platform::Texture* picture = GetTexture();
    if (picture == nullptr) {
        // Once is enough: a sprite drawn every frame would otherwise put a
        // modal report in front of the player on every frame.
        if (!reportedMissingTexture) {
            reportedMissingTexture = true;
            DXError(kSource, __LINE__, 0, "trying to render sprite, but texture is NULL");
        }
        return E_FAIL;
    }
    if (!picture->Draw(sourceRect, position.x, position.y, scaling.x, scaling.y, rotationCenter.x,
                       rotationCenter.y, rotation, colour)) {
        DXError(kSource, __LINE__, E_FAIL, "Failed to draw sprite " + fileName);
        return E_FAIL;
    }
    return S_OK;
}

Vector2 C_Sprite::GetCentre() const {
    return {static_cast<float>(frameWidth / 2), static_cast<float>(frameHeight / 2)};
}

platform::Texture* C_Sprite::GetTexture() const {
    return texture != nullptr ? texture->texture.get() : nullptr;
}
