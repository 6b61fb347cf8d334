// The picture decoder on any bytes, then again with every PNG chunk's CRC
// made right, so mutations get past the checksums into libpng itself.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/image.h"
#include "promise.h"

namespace {

// libpng needs a row or two and zlib's window, whatever the file declares.
constexpr size_t kMostPngAllocation = 1024 * 1024;
// What the size read of a file on disk looks at: a BMP's two headers.
constexpr size_t kHeaderPrefix = 14 + 40;

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

uint32_t Big32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Rewrites the CRC of every whole chunk after the signature; false when the
// bytes are no PNG or nothing changed.
bool RepairPngCrcs(std::vector<uint8_t>* bytes) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes->size() < 8 || std::memcmp(bytes->data(), kSignature, 8) != 0) {
        return false;
    }
    bool changed = false;
    size_t at = 8;
    while (bytes->size() - at >= 12) {
        const uint64_t length = Big32(bytes->data() + at);
        if (length > bytes->size() - at - 12) {
            break;
        }
        uint8_t* crc = bytes->data() + at + 8 + length;
        const uint32_t right = Crc32(bytes->data() + at + 4, 4 + length);
        if (Big32(crc) != right) {
            for (int i = 0; i < 4; ++i) {
                crc[i] = static_cast<uint8_t>(right >> (24 - 8 * i));
            }
            changed = true;
        }
        at += 12 + length;
    }
    return changed;
}

void CheckDecode(const uint8_t* data, size_t size) {
    platform::TakeLargestPngAllocation();
    platform::Image image;
    const bool decoded = platform::DecodeImage(data, size, &image);
    FUZZ_PROMISE(platform::TakeLargestPngAllocation() <= kMostPngAllocation);
    int width = -1;
    int height = -1;
    const bool sized = platform::DecodeImageSize(data, size, &width, &height);
    // A file's size is read from its first bytes alone; they must say the same.
    int prefixWidth = -1;
    int prefixHeight = -1;
    const bool prefixSized =
        platform::DecodeImageSize(data, std::min(size, kHeaderPrefix), &prefixWidth, &prefixHeight);
    FUZZ_PROMISE(prefixSized == sized);
    FUZZ_PROMISE(!sized || (prefixWidth == width && prefixHeight == height));
    if (!decoded) {
        FUZZ_PROMISE(image.width == 0 && image.height == 0 && image.argb.empty());
        return;
    }
    FUZZ_PROMISE(image.width > 0 && image.height > 0);
    FUZZ_PROMISE(image.width <= platform::kMaxImageSide && image.height <= platform::kMaxImageSide);
    FUZZ_PROMISE(image.argb.size() == static_cast<size_t>(image.width) * image.height);
    FUZZ_PROMISE(sized && width == image.width && height == image.height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (InstallFuzzPrompt(), true);
    (void)ready;
    CheckDecode(data, size);
    std::vector<uint8_t> repaired(data, data + size);
    if (RepairPngCrcs(&repaired)) {
        CheckDecode(repaired.data(), repaired.size());
    }
    return 0;
}
