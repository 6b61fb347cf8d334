#include "platform/image.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace platform {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Signature, then the IHDR chunk: length, type, 13 bytes of data, CRC.
constexpr size_t kPngHeaderSize = 8 + 4 + 4 + 13 + 4;
constexpr size_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBmpCoreHeaderSize = 12;
constexpr uint32_t kBmpInfoHeaderSize = 40;
// No picture within the bounds needs a larger file, even uncompressed.
constexpr uintmax_t kMaxFileBytes = uintmax_t{256} * 1024 * 1024;
// Enough of any file for either header.
constexpr size_t kHeaderBytes = kBmpFileHeaderSize + kBmpInfoHeaderSize;

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint32_t LittleEndian32(const uint8_t* p) {
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

uint16_t LittleEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[1] << 8) | p[0]);
}

bool WithinBounds(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

bool IsPng(const uint8_t* data, size_t size) {
    return size >= sizeof(kPngSignature) &&
           std::memcmp(data, kPngSignature, sizeof(kPngSignature)) == 0;
}

bool IsBmp(const uint8_t* data, size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

// --- PNG ---

bool PngHeaderSize(const uint8_t* data, size_t size, int* width, int* height) {
    if (size < kPngHeaderSize) {
        return false;
    }
    const uint8_t* chunk = data + sizeof(kPngSignature);
    if (BigEndian32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0) {
        return false;
    }
    // The CRC covers the type and the data: a damaged header is not trusted.
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), chunk + 4, 4 + 13);
    if (BigEndian32(chunk + 8 + 13) != static_cast<uint32_t>(crc)) {
        return false;
    }
    const uint32_t w = BigEndian32(chunk + 8);
    const uint32_t h = BigEndian32(chunk + 12);
    if (!WithinBounds(w, h)) {
        return false;
    }
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

// libpng keeps at most this many ancillary chunks and allocates no chunk
// larger than this; neither matters for the chunks the decoder reads.
constexpr png_uint_32 kPngChunkCacheMax = 64;
constexpr png_alloc_size_t kPngChunkMallocMax = 64 * 1024;

// Whether every chunk up to IEND lies wholly inside the buffer. libpng
// allocates a chunk's declared length before reading it, so a short file
// declaring a huge chunk is refused here, before libpng sees it.
bool PngChunksFit(const uint8_t* data, size_t size) {
    size_t at = sizeof(kPngSignature);
    while (size - at >= 12) {
        const uint32_t length = BigEndian32(data + at);
        if (length > size - at - 12) {
            return false;
        }
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) {
            return true;
        }
        at += 12 + size_t{length};
    }
    return false;
}

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

std::atomic<size_t> g_largestPngAllocation{0};

// libpng allocates through these, so the largest block a file asks for is known.
png_voidp PngAllocate(png_structp, png_alloc_size_t size) {
    size_t largest = g_largestPngAllocation.load();
    while (size > largest && !g_largestPngAllocation.compare_exchange_weak(largest, size)) {
    }
    return std::malloc(size);
}

void PngRelease(png_structp, png_voidp block) {
    std::free(block);
}

// libpng's error paths leave through longjmp: the callbacks below and the
// two functions that call setjmp hold no object with a destructor.
void PngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->size - source->offset) {
        png_error(png, "truncated");
    }
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

[[noreturn]] void PngFail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarn(png_structp, png_const_charp) {}

// Rows come out of libpng as ARGB words where libpng can lay the bytes out
// so (B, G, R, A on a little-endian machine); elsewhere as bytes R, G, B, A
// that this turns into words.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kPngRowsAreArgb = true;
#else
constexpr bool kPngRowsAreArgb = false;
#endif

// Reads the header and asks for 8-bit rows with alpha whatever the file holds.
bool PngReadHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_cache_max(png, kPngChunkCacheMax);
    png_set_chunk_malloc_max(png, kPngChunkMallocMax);
    // Every chunk but the ones decoding needs (IHDR, PLTE, tRNS, IDAT, IEND)
    // is skipped unread: text, sPLT, eXIf, colour profiles, unknown ones.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
#ifdef PNG_IGNORE_ADLER32
    // Every chunk's CRC is still checked, the pixel data's included; zlib's
    // checksum over the inflated pixels costs a pass and guards nothing they do not.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, info);
    // Palette and low-depth grey widen to 8 bits, tRNS becomes alpha.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    if (kPngRowsAreArgb) {
        png_set_bgr(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    return png_get_rowbytes(png, info) == static_cast<size_t>(*width) * 4;
}

bool PngReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

// The next `count` rows of a picture without interlacing, then (last) the
// end of the file.
bool PngReadSomeRows(png_structp png, png_bytepp rows, png_uint_32 count) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_read_rows(png, rows, nullptr, count);
    return true;
}

bool PngReadEnd(png_structp png) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_read_end(png, nullptr);
    return true;
}

// Words from bytes R, G, B, A, where libpng could not lay them out itself.
void RgbaToArgb(uint32_t* pixels, size_t count) {
    if (kPngRowsAreArgb) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        uint8_t rgba[4];
        std::memcpy(rgba, &pixels[i], sizeof(rgba));
        pixels[i] = (uint32_t{rgba[3]} << 24) | (uint32_t{rgba[0]} << 16) |
                    (uint32_t{rgba[1]} << 8) | rgba[2];
    }
}

// libpng's reader over a whole file in memory, its header read.
class PngReader {
public:
    PngReader(const uint8_t* data, size_t size) : source{data, size, 0} {
        int headerWidth = 0;
        int headerHeight = 0;
        if (!PngHeaderSize(data, size, &headerWidth, &headerHeight) || !PngChunksFit(data, size)) {
            return;
        }
        png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn, nullptr,
                                       PngAllocate, PngRelease);
        if (png == nullptr) {
            return;
        }
        info = png_create_info_struct(png);
        png_set_read_fn(png, &source, PngRead);
        ready = info != nullptr && PngReadHeader(png, info, &width, &height) &&
                WithinBounds(width, height);
        interlaced = ready && png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    }
    ~PngReader() {
        if (png != nullptr) {
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        }
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // The whole picture at once, to the end of the file.
    bool ReadAll(Image* image) {
        image->argb.assign(static_cast<size_t>(width) * height, 0);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) {
            rows[y] = reinterpret_cast<png_bytep>(image->argb.data() + size_t{y} * width);
        }
        if (!PngReadRows(png, rows.data())) {
            return false;
        }
        image->width = static_cast<int>(width);
        image->height = static_cast<int>(height);
        RgbaToArgb(image->argb.data(), image->argb.size());
        return true;
    }

    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool ready = false;
    bool interlaced = false;
};

bool DecodePng(const uint8_t* data, size_t size, Image* image) {
    PngReader reader(data, size);
    return reader.ready && reader.ReadAll(image);
}

// Rows handed over at a time when a picture streams: a small buffer, and
// few uploads.
constexpr int kBandRows = 64;

// Hands `image` over in bands.
bool StreamDecoded(const Image& image, const ImageBand& band) {
    for (int y = 0; y < image.height; y += kBandRows) {
        const int rows = std::min(kBandRows, image.height - y);
        if (!band(image.argb.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width), y,
                  rows)) {
            return false;
        }
    }
    return true;
}

bool StreamPng(const uint8_t* data, size_t size, const ImageBegin& begin, const ImageBand& band) {
    PngReader reader(data, size);
    if (!reader.ready) {
        return false;
    }
    const int width = static_cast<int>(reader.width);
    const int height = static_cast<int>(reader.height);
    if (reader.interlaced) {
        // Every pass touches every band: the whole picture is needed first.
        Image image;
        return begin(width, height) && reader.ReadAll(&image) && StreamDecoded(image, band);
    }
    if (!begin(width, height)) {
        return false;
    }
    std::vector<uint32_t> buffer(static_cast<size_t>(width) *
                                 static_cast<size_t>(std::min(kBandRows, height)));
    std::vector<png_bytep> rows(static_cast<size_t>(kBandRows));
    for (int y = 0; y < height; y += kBandRows) {
        const int count = std::min(kBandRows, height - y);
        for (int r = 0; r < count; ++r) {
            rows[static_cast<size_t>(r)] = reinterpret_cast<png_bytep>(
                buffer.data() + static_cast<size_t>(r) * static_cast<size_t>(width));
        }
        if (!PngReadSomeRows(reader.png, rows.data(), static_cast<png_uint_32>(count))) {
            return false;
        }
        RgbaToArgb(buffer.data(), static_cast<size_t>(width) * static_cast<size_t>(count));
        if (!band(buffer.data(), y, count)) {
            return false;
        }
    }
    return PngReadEnd(reader.png);
}

// --- BMP ---

struct BmpHeader {
    int width = 0;
    int height = 0;
    bool topDown = false;
    uint32_t pixelOffset = 0;
};

bool ReadBmpHeader(const uint8_t* data, size_t size, BmpHeader* header) {
    if (size < kBmpFileHeaderSize + 4 || !IsBmp(data, size)) {
        return false;
    }
    const uint8_t* dib = data + kBmpFileHeaderSize;
    const uint32_t dibSize = LittleEndian32(dib);
    int64_t width = 0;
    int64_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    if (dibSize == kBmpCoreHeaderSize && size >= kBmpFileHeaderSize + kBmpCoreHeaderSize) {
        width = LittleEndian16(dib + 4);
        height = LittleEndian16(dib + 6);
        planes = LittleEndian16(dib + 8);
        bitCount = LittleEndian16(dib + 10);
    } else if (dibSize >= kBmpInfoHeaderSize && size >= kBmpFileHeaderSize + kBmpInfoHeaderSize) {
        width = static_cast<int32_t>(LittleEndian32(dib + 4));
        height = static_cast<int32_t>(LittleEndian32(dib + 8));
        planes = LittleEndian16(dib + 12);
        bitCount = LittleEndian16(dib + 14);
        compression = LittleEndian32(dib + 16);
    } else {
        return false;
    }
    // Only uncompressed 24-bit pictures; a negative height means top-down rows.
    constexpr uint32_t kUncompressed = 0;
    if (planes != 1 || bitCount != 24 || compression != kUncompressed) {
        return false;
    }
    header->topDown = height < 0;
    if (height < 0) {
        height = -height;
    }
    if (!WithinBounds(width, height)) {
        return false;
    }
    header->width = static_cast<int>(width);
    header->height = static_cast<int>(height);
    header->pixelOffset = LittleEndian32(data + 10);
    return true;
}

bool DecodeBmp(const uint8_t* data, size_t size, Image* image) {
    BmpHeader header;
    if (!ReadBmpHeader(data, size, &header)) {
        return false;
    }
    const size_t width = static_cast<size_t>(header.width);
    const size_t height = static_cast<size_t>(header.height);
    const size_t rowBytes = width * 3;
    // Rows are padded to whole 32-bit words; the last row's padding may be absent.
    const size_t stride = (rowBytes + 3) / 4 * 4;
    if (header.pixelOffset > size) {
        return false;
    }
    const size_t available = size - header.pixelOffset;
    if (available < rowBytes || (available - rowBytes) / stride < height - 1) {
        return false;
    }
    image->argb.resize(width * height);
    for (size_t y = 0; y < height; ++y) {
        const size_t fileRow = header.topDown ? y : height - 1 - y;
        const uint8_t* bgr = data + header.pixelOffset + fileRow * stride;
        uint32_t* out = image->argb.data() + y * width;
        for (size_t x = 0; x < width; ++x, bgr += 3) {
            out[x] = 0xFF000000u | (uint32_t{bgr[2]} << 16) | (uint32_t{bgr[1]} << 8) | bgr[0];
        }
    }
    image->width = header.width;
    image->height = header.height;
    return true;
}

// Reads the whole file, or at most its first `limit` bytes when `limit` is
// set. Only regular files, and none beyond what any allowed picture needs.
bool ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    const uintmax_t length = std::filesystem::file_size(path, error);
    if (error || length > kMaxFileBytes) {
        return false;
    }
    size_t count = static_cast<size_t>(length);
    if (limit != 0) {
        count = std::min(count, limit);
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    bytes->resize(count);
    file.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(count));
    return static_cast<size_t>(file.gcount()) == count;
}

}  // namespace

bool DecodeImage(const uint8_t* data, size_t size, Image* image) {
    *image = Image{};
    if (data == nullptr) {
        return false;
    }
    bool decoded = false;
    if (IsPng(data, size)) {
        decoded = DecodePng(data, size, image);
    } else if (IsBmp(data, size)) {
        decoded = DecodeBmp(data, size, image);
    }
    if (!decoded) {
        *image = Image{};
    }
    return decoded;
}

bool DecodeImageSize(const uint8_t* data, size_t size, int* width, int* height) {
    if (data == nullptr) {
        return false;
    }
    if (IsPng(data, size)) {
        return PngHeaderSize(data, size, width, height);
    }
    BmpHeader header;
    if (!ReadBmpHeader(data, size, &header)) {
        return false;
    }
    *width = header.width;
    *height = header.height;
    return true;
}

bool LoadImageFile(const std::string& path, Image* image) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, 0, &bytes)) {
        *image = Image{};
        return false;
    }
    return DecodeImage(bytes.data(), bytes.size(), image);
}

bool StreamImageFile(const std::string& path, const ImageBegin& begin, const ImageBand& band) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, 0, &bytes)) {
        return false;
    }
    if (IsPng(bytes.data(), bytes.size())) {
        return StreamPng(bytes.data(), bytes.size(), begin, band);
    }
    Image image;
    return DecodeImage(bytes.data(), bytes.size(), &image) && begin(image.width, image.height) &&
           StreamDecoded(image, band);
}

bool ReadImageFileSize(const std::string& path, int* width, int* height) {
    std::vector<uint8_t> bytes;
    return ReadFile(path, kHeaderBytes, &bytes) &&
           DecodeImageSize(bytes.data(), bytes.size(), width, height);
}

size_t TakeLargestPngAllocation() {
    return g_largestPngAllocation.exchange(0);
}

}  // namespace platform
