#include "platform/scaledimage.h"

#include <algorithm>
#include <array>

namespace platform {
namespace {

// One source pixel's share in a destination pixel along one axis.
struct Tap {
    int index;
    float weight;
};

// Along an axis of `from` pixels made `to`: each destination pixel's taps,
// starting at first[i] and ending before first[i + 1]. Its weights sum to 1.
struct Taps {
    std::vector<Tap> taps;
    std::vector<size_t> first;
};

Taps TapsFor(int from, int to) {
    Taps result;
    result.first.reserve(static_cast<size_t>(to) + 1);
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        result.first.push_back(result.taps.size());
        const double begin = i * step;
        const double end = std::min((i + 1) * step, static_cast<double>(from));
        for (int j = static_cast<int>(begin); j < from && j < end; ++j) {
            const double inside = std::min(end, j + 1.0) - std::max(begin, static_cast<double>(j));
            if (inside > 0.0) {
                result.taps.push_back({j, static_cast<float>(inside / (end - begin))});
            }
        }
    }
    result.first.push_back(result.taps.size());
    return result;
}

// Rounded to the nearest of 0..255; a plain cast, as a call per channel would
// cost most of the scaling.
uint32_t Channel(float value) {
    return static_cast<uint32_t>(std::clamp(value, 0.0f, 255.0f) + 0.5f);
}

}  // namespace

Image ScaledImage(const Image& source, int width, int height) {
    Image scaled;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0 ||
        source.argb.size() !=
            static_cast<size_t>(source.width) * static_cast<size_t>(source.height)) {
        return scaled;
    }
    const Taps columns = TapsFor(source.width, width);
    const Taps rows = TapsFor(source.height, height);
    scaled.width = width;
    scaled.height = height;
    scaled.argb.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // One destination row at a time: its source rows summed into `line`
    // (alpha, then each colour times alpha), then `line` summed across.
    std::vector<std::array<float, 4>> line(static_cast<size_t>(source.width));
    for (int y = 0; y < height; ++y) {
        std::fill(line.begin(), line.end(), std::array<float, 4>{});
        for (size_t t = rows.first[static_cast<size_t>(y)]; t < rows.first[y + 1U]; ++t) {
            const Tap& tap = rows.taps[t];
            const uint32_t* row = source.argb.data() + static_cast<size_t>(tap.index) *
                                                           static_cast<size_t>(source.width);
            for (size_t x = 0; x < line.size(); ++x) {
                const uint32_t pixel = row[x];
                const float alpha = static_cast<float>(pixel >> 24) * tap.weight;
                line[x][0] += alpha;
                line[x][1] += static_cast<float>((pixel >> 16) & 0xFF) * alpha;
                line[x][2] += static_cast<float>((pixel >> 8) & 0xFF) * alpha;
                line[x][3] += static_cast<float>(pixel & 0xFF) * alpha;
            }
        }
        uint32_t* out = scaled.argb.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            std::array<float, 4> sum{};
            for (size_t t = columns.first[static_cast<size_t>(x)]; t < columns.first[x + 1U]; ++t) {
                const Tap& tap = columns.taps[t];
                for (size_t c = 0; c < sum.size(); ++c) {
                    sum[c] += line[static_cast<size_t>(tap.index)][c] * tap.weight;
                }
            }
            if (sum[0] <= 0.0f) {
                out[x] = 0;
                continue;
            }
            const float perAlpha = 1.0f / sum[0];
            out[x] = Channel(sum[0]) << 24 | Channel(sum[1] * perAlpha) << 16 |
                     Channel(sum[2] * perAlpha) << 8 | Channel(sum[3] * perAlpha);
        }
    }
    return scaled;
}

}  // namespace platform
