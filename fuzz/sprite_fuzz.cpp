// Sprite file names and their frame grids: the input names a picture whose
// size (or failure) it also chooses; every frame must lie inside the picture.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "promise.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

// Longer names add nothing the grid parser has not seen.
constexpr size_t kLongestName = 120;
// The frames checked one by one; the last is always checked too.
constexpr int kFramesChecked = 512;

std::string g_directory;

void RemoveDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(g_directory, ignored);
}

// A window on SDL's dummy driver, inside a temporary directory whose images/
// receives each input's picture.
bool Setup() {
    InstallFuzzPrompt();
    char pattern[] = "/tmp/sprite_fuzz.XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return false;
    }
    g_directory = pattern;
    std::atexit(RemoveDirectory);
    std::filesystem::create_directory(g_directory + "/images");
    std::filesystem::current_path(g_directory);
    return g_pView->Init() == S_OK;
}

void PutLittle(std::vector<uint8_t>* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out->push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// A grey 24-bit BMP, rows padded to whole words.
std::vector<uint8_t> Bmp(int width, int height) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> out{'B', 'M'};
    PutLittle(&out, 54 + stride * static_cast<uint32_t>(height), 4);
    PutLittle(&out, 0, 4);
    PutLittle(&out, 54, 4);
    PutLittle(&out, 40, 4);
    PutLittle(&out, static_cast<uint32_t>(width), 4);
    PutLittle(&out, static_cast<uint32_t>(height), 4);
    PutLittle(&out, 1, 2);
    PutLittle(&out, 24, 2);
    out.resize(54, 0);  // uncompressed, and nothing else said
    out.resize(54 + stride * static_cast<uint32_t>(height), 0x80);
    return out;
}

void CheckFrame(C_Sprite& sprite, int frame) {
    FUZZ_PROMISE(sprite.SetFrame(frame) == S_OK);
    const platform::TextureRect& rect = sprite.GetSourceRect();
    FUZZ_PROMISE(0 <= rect.left && rect.left <= rect.right && rect.right <= sprite.GetImageWidth());
    FUZZ_PROMISE(0 <= rect.top && rect.top <= rect.bottom &&
                 rect.bottom <= sprite.GetImageHeight());
}

}  // namespace

// The first byte picks the picture's width, the second its height, the third
// whether the file is a picture at all and whether a second sprite shares it;
// the rest is the file name.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = Setup();
    FUZZ_PROMISE(ready);
    if (size < 3) {
        return 0;
    }
    const int width = data[0] % 64 + 1;
    const int height = data[1] % 64 + 1;
    const bool picture = (data[2] & 1) == 0;
    const bool shared = (data[2] & 2) != 0;
    std::string name(reinterpret_cast<const char*>(data + 3), std::min(size - 3, kLongestName));
    // One file inside images/: no separators, no NUL, no "." or "..".
    std::replace(name.begin(), name.end(), '/', '_');
    std::replace(name.begin(), name.end(), '\0', '_');
    if (name.empty() || name == "." || name == "..") {
        name = "_" + name;
    }
    const std::string path = "images/" + name;
    {
        std::ofstream file(path, std::ios::binary);
        const std::vector<uint8_t> bytes =
            picture ? Bmp(width, height) : std::vector<uint8_t>(data, data + size);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    {
        C_Sprite sprite(name);
        if (picture) {
            FUZZ_PROMISE(sprite.GetTexture() != nullptr);
            FUZZ_PROMISE(sprite.GetImageWidth() == width && sprite.GetImageHeight() == height);
        }
        const int frames = sprite.GetTotalAnimations();
        FUZZ_PROMISE(frames >= 1);
        FUZZ_PROMISE(int64_t{sprite.GetRows()} * sprite.GetColumns() >= frames);
        for (int frame = 0; frame < std::min(frames, kFramesChecked); ++frame) {
            CheckFrame(sprite, frame);
        }
        CheckFrame(sprite, frames - 1);
        FUZZ_PROMISE(sprite.SetFrame(frames) != S_OK && sprite.SetFrame(-1) != S_OK);
        sprite.NextFrame();
        FUZZ_PROMISE(sprite.GetCurrentFrame() == 0);
        if (shared) {
            // The second reads the size from the header of the same file.
            C_Sprite second(name);
            FUZZ_PROMISE(second.GetImageWidth() == sprite.GetImageWidth() &&
                         second.GetImageHeight() == sprite.GetImageHeight());
            FUZZ_PROMISE(second.GetTotalAnimations() == frames);
        }
    }
    FUZZ_PROMISE(g_textureCache.empty());
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return 0;
}
