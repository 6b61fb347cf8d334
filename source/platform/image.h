#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// A decoded picture: 32-bit ARGB pixels, row by row from the top, at the
// file's own size; opaque where the file has no alpha.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

// Bounds on what a file may ask for, so a hostile header cannot make the
// decoder allocate without limit: each side, and the pixels in all.
constexpr int kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t{4096} * 4096;

// PNG (any colour type, bit depth and interlace libpng reads) or uncompressed
// 24-bit BMP (bottom-up or top-down rows). False, with `image` emptied, for
// anything corrupt, truncated, unsupported or beyond the bounds above.
bool DecodeImage(const uint8_t* data, size_t size, Image* image);

// The pixel size from the header alone, under the same rules for the header.
bool DecodeImageSize(const uint8_t* data, size_t size, int* width, int* height);

// The same two, reading the file at `path`; false also when it cannot be read.
bool LoadImageFile(const std::string& path, Image* image);
bool ReadImageFileSize(const std::string& path, int* width, int* height);

// A picture handed over as it is decoded: first its size (`begin`), then
// bands of whole rows from the top, as ARGB (`band`: the rows' pixels, the
// first row's number, how many rows). Either returning false stops it.
using ImageBegin = std::function<bool(int width, int height)>;
using ImageBand = std::function<bool(const uint32_t* argb, int firstRow, int rows)>;

// The file at `path` decoded as LoadImageFile decodes it, but handed over a
// band at a time, so no buffer of the whole picture is needed (save for an
// interlaced PNG or a BMP). False for any file LoadImageFile refuses; some
// bands may have been handed over by then.
bool StreamImageFile(const std::string& path, const ImageBegin& begin, const ImageBand& band);

// The largest single block the PNG decoder has asked for since the last call
// (or since start), and a fresh record from now on: what a file made it
// allocate, for tests that hold hostile files to a small cost.
size_t TakeLargestPngAllocation();

}  // namespace platform
