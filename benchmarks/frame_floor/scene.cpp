#include "scene.h"

#include <SDL.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace floor_bench {

namespace {

struct SceneName {
    Scene scene;
    const char* name;
};

constexpr SceneName kScenes[] = {{Scene::Still, "still"},
                                 {Scene::Menu, "menu"},
                                 {Scene::Play, "play"},
                                 {Scene::Pong, "pong"},
                                 {Scene::DemoB, "demob"}};

}  // namespace

Scene SceneNamed(const char* name) {
    for (const SceneName& known : kScenes) {
        if (std::strcmp(name, known.name) == 0) {
            return known.scene;
        }
    }
    return Scene::Menu;
}

const char* NameOf(Scene scene) {
    for (const SceneName& known : kScenes) {
        if (known.scene == scene) {
            return known.name;
        }
    }
    return "?";
}

void PrintResult(const Result& result) {
    std::printf("%.1f %.1f %ld\n", result.microsecondsPerFrame, result.startMilliseconds,
                result.peakKilobytes);
}

void FinishFrame() {
    using Finish = void (*)();
    static const auto finish = reinterpret_cast<Finish>(SDL_GL_GetProcAddress("glFinish"));
    if (finish != nullptr && SDL_GL_GetCurrentContext() != nullptr) {
        finish();
    }
}

double ProcessMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

long long MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long PeakKilobytes() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    long peak = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            peak = std::strtol(line + 6, nullptr, 10);
        }
    }
    std::fclose(status);
    return peak;
}

PointerPlace PointerAt(int frame) {
    const double t = static_cast<double>(frame);
    return {static_cast<int>(std::lround(330.0 + 300.0 * std::sin(t * 0.047))),
            static_cast<int>(std::lround(480.0 + 80.0 * std::sin(t * 0.031)))};
}

std::vector<MenuButton> MenuButtons() {
    static const float places[10][2] = {{235, 460}, {320, 460}, {320, 500}, {405, 500}, {405, 540},
                                        {490, 540}, {490, 500}, {490, 460}, {575, 460}, {575, 420}};
    static const char* const levels[10] = {"level_button_0-3-1-3.png", "level_button_1-3-1-3.png",
                                           "level_button_2-3-1-3.png", "level_button_3-3-1-3.png",
                                           "level_button_4-3-1-3.png", "level_button_5-3-1-3.png",
                                           "level_button_6-3-1-3.png", "level_button_7-3-1-3.png",
                                           "level_button_8-3-1-3.png", "level_button_9-3-1-3.png"};
    std::vector<MenuButton> buttons;
    for (int n = 0; n < 10; ++n) {
        buttons.push_back({levels[n], places[n][0], places[n][1], 0.7f, 0x96});
    }
    buttons.push_back({"instruction_button-3-1-3.png", 50, 535, 0.6f, 0xC8});
    buttons.push_back({"versus_button-3-1-3.png", 50, 376, 0.6f, 0xC8});
    buttons.push_back({"scores_button-3-1-3.png", 50, 429, 0.6f, 0xC8});
    buttons.push_back({"settings_button-3-1-3.png", 50, 482, 0.6f, 0xC8});
    return buttons;
}

float ListFadeAt(int frame) {
    return 250.0f - static_cast<float>(frame % 200);
}

BallPlace PlaceOfBall(int n) {
    return {static_cast<float>((n * 37) % 680), static_cast<float>(559 - (n / 20) * 11),
            static_cast<float>(n % 7) * 0.14f};
}

std::vector<BoardPiece> PlayBoard() {
    std::vector<BoardPiece> pieces;
    uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(n));
    };
    const int colours[] = {0, 1, 2, 3, 4, 5, 6};
    // The last column stays empty: no row is full, so nothing clears.
    for (int column = 0; column + 1 < kBoardColumns; ++column) {
        const int height = 4 + next(8);
        for (int row = kBoardRows - height; row < kBoardRows; ++row) {
            pieces.push_back({column, row, colours[next(7)], next(5), next(4)});
        }
    }
    return pieces;
}

}  // namespace floor_bench
