// Wall time, headless on the software renderer, of the work this change adds
// to start-up and to each frame: building a font's glyph atlas, drawing a
// line of text, drawing a sprite, and decoding a full-screen PNG. Medians
// of repeated runs, as this machine's timings are noisy.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/globals.h"
#include "platform/image.h"
#include "platform/prompt.h"
#include "view/font.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

double MedianMicroseconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<size_t>(runs / 2)];
}

// A stored (uncompressed) RGBA PNG is the decoder's worst case per pixel.
std::vector<uint8_t> LargePng(int width, int height) {
    auto crc = [](const std::vector<uint8_t>& data) {
        uint32_t c = 0xFFFFFFFF;
        for (uint8_t byte : data) {
            c ^= byte;
            for (int bit = 0; bit < 8; ++bit) {
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
            }
        }
        return ~c;
    };
    auto big32 = [](std::vector<uint8_t>* out, uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) {
            out->push_back(static_cast<uint8_t>(v >> s));
        }
    };
    auto chunk = [&](std::vector<uint8_t>* out, const char* type, std::vector<uint8_t> data) {
        big32(out, static_cast<uint32_t>(data.size()));
        data.insert(data.begin(), type, type + 4);
        out->insert(out->end(), data.begin(), data.end());
        big32(out, crc(data));
    };
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width * 4; ++x) {
            raw.push_back(static_cast<uint8_t>(x ^ y));
        }
    }
    std::vector<uint8_t> z{0x78, 0x01};
    uint32_t a = 1;
    uint32_t b = 0;
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                           static_cast<uint8_t>(~n), static_cast<uint8_t>(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                 raw.begin() + static_cast<ptrdiff_t>(at + n));
    }
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    big32(&z, (b << 16) | a);
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    big32(&header, static_cast<uint32_t>(width));
    big32(&header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});
    chunk(&png, "IHDR", header);
    chunk(&png, "IDAT", z);
    chunk(&png, "IEND", {});
    return png;
}

}  // namespace

int main() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    platform::SetPromptHook([](const std::string&, const std::string&) { return false; });
    g_pView->Init();
    platform::Display* device = g_pView->GetDevice();

    for (int points : {9, 25, 60}) {
        std::printf("font build, %2d points:            %9.0f us\n", points,
                    MedianMicroseconds(9, [&] { C_Font font("Helvitica", points, 0xFF000000); }));
    }
    C_Font font("Helvitica", 25, 0xFF000000);
    const std::string line(120, 'x');
    std::printf("draw 120 characters (3 batches):   %9.1f us\n",
                MedianMicroseconds(201, [&] { font.DrawText(line, 0, 100, TEXT_FILTERED); }));

    const std::vector<uint8_t> png = LargePng(1019, 933);
    std::printf("decode 1019 x 933 RGBA PNG:        %9.0f us\n", MedianMicroseconds(9, [&] {
                    platform::Image image;
                    platform::DecodeImage(png.data(), png.size(), &image);
                }));
    platform::Image image;
    platform::DecodeImage(png.data(), png.size(), &image);
    auto texture = platform::Texture::Create(device, image.argb.data(), image.width, image.height);
    std::printf("draw it at 0.7, turned (software): %9.0f us\n", MedianMicroseconds(21, [&] {
                    texture->Draw({0, 0, image.width, image.height}, 0, 0, 0.7f, 0.7f, 100, 100,
                                  0.3f, 0x80FFFFFF);
                }));
    texture.reset();
    platform::SetPromptHook(nullptr);
    return 0;
}
