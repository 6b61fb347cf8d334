// The menu's frame as the game draws it, against a bare SDL program drawing
// the same pictures the cheapest correct way: one window of the game's size,
// the renderer SDL picks, the opaque background copied unblended, the
// buttons blended. Run from the repository's root (the pictures are read
// from ./images/). Without arguments it runs itself as "bare" and "game"
// in turn, several rounds, each child timing the process's processor time
// (the renderer's own threads included) over its frames after a warm-up,
// and prints both, the medians and their ratio.
#include <SDL.h>
#include <png.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/globals.h"
#include "platform/prompt.h"
#include "shell/game.h"

namespace {

constexpr int kWidth = 713;
constexpr int kHeight = 653;
constexpr int kWarmUp = 30;
// The game paces its frames at this rate; so does the bare program, as the
// renderer's threads cost differently when frames come back to back.
constexpr double kFramesPerSecond = 75.0;

double ProcessMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

// Picture, opaque or not, as the renderer's texture; null when unreadable.
SDL_Texture* LoadTexture(SDL_Renderer* renderer, const std::string& name, int* width, int* height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    const std::string path = "./images/" + name;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return nullptr;
    }
    image.format = PNG_FORMAT_BGRA;  // ARGB8888 words on a little-endian machine
    std::vector<uint32_t> argb(static_cast<size_t>(image.width) * image.height);
    if (png_image_finish_read(&image, nullptr, argb.data(), 0, nullptr) == 0) {
        return nullptr;
    }
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, *width, *height);
    if (texture == nullptr) {
        return nullptr;
    }
    SDL_UpdateTexture(texture, nullptr, argb.data(), *width * 4);
    const bool opaque =
        std::all_of(argb.begin(), argb.end(), [](uint32_t p) { return (p >> 24) == 0xFF; });
    SDL_SetTextureBlendMode(texture, opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
    return texture;
}

struct Quad {
    SDL_Texture* texture;
    SDL_Rect from;
    SDL_FRect to;
};

// The first frame of a three-frame button, scaled and faded as the menu does.
Quad Button(SDL_Renderer* renderer, const std::string& name, float x, float y, float scale,
            uint8_t alpha) {
    int width = 0;
    int height = 0;
    SDL_Texture* texture = LoadTexture(renderer, name, &width, &height);
    if (texture != nullptr) {
        SDL_SetTextureAlphaMod(texture, alpha);
        if (alpha != 0xFF) {
            SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        }
    }
    const int frameHeight = height / 3;
    return {texture,
            {0, 0, width, frameHeight},
            {x, y, static_cast<float>(width) * scale, static_cast<float>(frameHeight) * scale}};
}

// Which renderer drew, so that both runs can be seen to use the same one.
void TellRenderer(const char* mode, SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (renderer != nullptr && SDL_GetRendererInfo(renderer, &info) == 0) {
        std::fprintf(stderr, "%s: %s renderer\n", mode, info.name);
    }
}

double RunBare(int frames) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return -1;
    }
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          kWidth, kHeight, 0);
    SDL_Renderer* renderer =
        window != nullptr ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (renderer == nullptr) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return -1;
    }
    std::vector<Quad> quads;
    int width = 0;
    int height = 0;
    SDL_Texture* background = LoadTexture(renderer, "menu.png", &width, &height);
    quads.push_back({background,
                     {0, 0, width, height},
                     {0, 0, static_cast<float>(width) * 0.7f, static_cast<float>(height) * 0.7f}});
    const float places[10][2] = {{235, 460}, {320, 460}, {320, 500}, {405, 500}, {405, 540},
                                 {490, 540}, {490, 500}, {490, 460}, {575, 460}, {575, 420}};
    for (int n = 0; n < 10; ++n) {
        quads.push_back(Button(renderer, "level_button_" + std::to_string(n) + "-3-1-3.png",
                               places[n][0], places[n][1], 0.7f, 0x96));
    }
    quads.push_back(Button(renderer, "instruction_button-3-1-3.png", 50, 535, 0.6f, 0xC8));
    SDL_Texture* pointer = LoadTexture(renderer, "pointer.png", &width, &height);
    int mouseX = 0;
    int mouseY = 0;
    SDL_GetMouseState(&mouseX, &mouseY);
    quads.push_back({pointer,
                     {0, 0, width, height},
                     {static_cast<float>(mouseX), static_cast<float>(mouseY),
                      static_cast<float>(width), static_cast<float>(height)}});
    for (const Quad& quad : quads) {
        if (quad.texture == nullptr) {
            std::fprintf(stderr, "a picture is missing: run from the repository's root\n");
            return -1;
        }
    }
    TellRenderer("bare", renderer);
    const double ticksPerFrame =
        static_cast<double>(SDL_GetPerformanceFrequency()) / kFramesPerSecond;
    double next = static_cast<double>(SDL_GetPerformanceCounter());
    double start = 0;
    for (int frame = 0; frame < kWarmUp + frames; ++frame) {
        next += ticksPerFrame;
        const double early = next - static_cast<double>(SDL_GetPerformanceCounter());
        if (early > 0) {
            SDL_Delay(static_cast<Uint32>(early * 1000.0 /
                                          static_cast<double>(SDL_GetPerformanceFrequency())));
        }
        if (frame == kWarmUp) {
            start = ProcessMicroseconds();
        }
        SDL_SetRenderDrawColor(renderer, 0xFF, 0xFF, 0xFF, 0xFF);
        SDL_RenderClear(renderer);
        for (const Quad& quad : quads) {
            SDL_RenderCopyF(renderer, quad.texture, &quad.from, &quad.to);
        }
        SDL_RenderPresent(renderer);
    }
    const double perFrame = (ProcessMicroseconds() - start) / frames;
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return perFrame;
}

double RunGame(int frames) {
    int reports = 0;
    platform::SetPromptHook([&reports](const std::string& title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        ++reports;
        return false;
    });
    double perFrame = -1;
    {
        C_Game game;
        SDL_Window* window = SDL_GetWindowFromID(1);
        TellRenderer("game", window != nullptr ? SDL_GetRenderer(window) : nullptr);
        double start = 0;
        for (int frame = 0; frame < kWarmUp + frames; ++frame) {
            if (frame == kWarmUp) {
                start = ProcessMicroseconds();
            }
            game.Frame();
        }
        perFrame = (ProcessMicroseconds() - start) / frames;
    }
    platform::SetPromptHook(nullptr);
    return reports == 0 ? perFrame : -1;
}

// Runs this program as `mode`; its processor time per frame, or -1.
double Child(const char* self, const char* mode, int frames) {
    const std::string command = std::string(self) + " " + mode + " " + std::to_string(frames);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    double perFrame = -1;
    if (std::fscanf(pipe, "%lf", &perFrame) != 1) {
        perFrame = -1;
    }
    return pclose(pipe) == 0 ? perFrame : -1;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const int frames = argc > 2 ? std::max(atoi(argv[2]), 1) : 300;
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0) {
        const double perFrame = RunBare(frames);
        std::printf("%.1f\n", perFrame);
        return perFrame < 0 ? 1 : 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "game") == 0) {
        const double perFrame = RunGame(frames);
        std::printf("%.1f\n", perFrame);
        return perFrame < 0 ? 1 : 0;
    }
    const int rounds = argc > 1 ? std::max(atoi(argv[1]), 1) : 5;
    std::vector<double> bare;
    std::vector<double> game;
    std::printf("menu frame, processor us per frame over %d frames (%s video)\n", frames,
                getenv("SDL_VIDEODRIVER"));
    std::printf("%6s %10s %10s\n", "round", "bare", "game");
    for (int round = 0; round < rounds; ++round) {
        // Alternating which goes first spreads a drifting load over both.
        const bool bareFirst = round % 2 == 0;
        const double first = Child(argv[0], bareFirst ? "bare" : "game", frames);
        const double second = Child(argv[0], bareFirst ? "game" : "bare", frames);
        const double b = bareFirst ? first : second;
        const double g = bareFirst ? second : first;
        if (b < 0 || g < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        bare.push_back(b);
        game.push_back(g);
        std::printf("%6d %10.0f %10.0f\n", round + 1, b, g);
    }
    const double b = Median(bare);
    const double g = Median(game);
    std::printf("median %10.0f %10.0f   game / bare = %.2f\n", b, g, g / b);
    return 0;
}
