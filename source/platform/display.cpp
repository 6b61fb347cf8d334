#include "platform/display.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

#include "platform/sdlaccess.h"

namespace platform {
namespace {

Display* g_activeDisplay = nullptr;
SDL_Window* g_activeWindow = nullptr;
SDL_Renderer* g_activeRenderer = nullptr;
unsigned long g_rendererGeneration = 0;

}  // namespace

SDL_Window* ActiveWindow() {
    return g_activeWindow;
}

SDL_Renderer* ActiveRenderer() {
    return g_activeRenderer;
}

unsigned long RendererGeneration() {
    return g_rendererGeneration;
}

void ToggleFullscreen() {
    if (g_activeDisplay != nullptr) {
        g_activeDisplay->SetFullscreen(!g_activeDisplay->IsFullscreen());
    }
}

struct Display::Impl {
    bool videoUp = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    int width = 0;
    int height = 0;
    int textureWidthLimit = 0;
    int fullscreenWidth = 0;
    int fullscreenHeight = 0;
    bool inScene = false;
    // Each frame is drawn here and then copied to the window, so that the
    // window can be shown again (after an expose) without drawing anew: the
    // window's own buffer is undefined after a present. Null where the
    // renderer has no target textures; frames then go straight to the window.
    SDL_Texture* frame = nullptr;
    int frameWidth = 0;
    int frameHeight = 0;
    bool frameKept = false;
    std::string lastError;

    bool Fail() {
        lastError = SDL_GetError();
        return false;
    }

    // Draws go to the frame from here to the present, laid out as the window
    // is: the frame has the window's pixel size and the picture's scaling.
    void TargetFrame() {
        SDL_SetRenderTarget(renderer, nullptr);
        int outputWidth = 0;
        int outputHeight = 0;
        SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight);
        if (frame != nullptr && (outputWidth != frameWidth || outputHeight != frameHeight)) {
            SDL_DestroyTexture(frame);
            frame = nullptr;
            frameKept = false;
        }
        if (frame == nullptr) {
            frame = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                      outputWidth, outputHeight);
            if (frame == nullptr) {
                return;
            }
            SDL_SetTextureBlendMode(frame, SDL_BLENDMODE_NONE);
            SDL_SetTextureScaleMode(frame, SDL_ScaleModeNearest);
            frameWidth = outputWidth;
            frameHeight = outputHeight;
        }
        if (SDL_SetRenderTarget(renderer, frame) == 0) {
            SDL_RenderSetLogicalSize(renderer, width, height);
        }
    }

    // The frame onto the whole window, pixel for pixel, bars included.
    bool CopyFrame() {
        SDL_RenderSetLogicalSize(renderer, 0, 0);
        const bool copied = SDL_RenderCopy(renderer, frame, nullptr, nullptr) == 0;
        SDL_RenderSetLogicalSize(renderer, width, height);
        return copied || Fail();
    }
};

Display::Display() : impl(std::make_unique<Impl>()) {}

Display::~Display() {
    if (impl->frame != nullptr) {
        SDL_DestroyTexture(impl->frame);
    }
    if (impl->renderer != nullptr) {
        SDL_DestroyRenderer(impl->renderer);
        g_activeRenderer = nullptr;
        ++g_rendererGeneration;
    }
    if (impl->window != nullptr) {
        SDL_DestroyWindow(impl->window);
        g_activeWindow = nullptr;
        g_activeDisplay = nullptr;
    }
    if (impl->videoUp) {
        ForgetGamepads();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
    }
}

bool Display::InitVideo() {
    if (!impl->videoUp) {
        // SDL's own SIGINT/SIGTERM handlers turn both into a quit request.
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            return impl->Fail();
        }
        impl->videoUp = true;
        // Game controllers are a comfort: the game plays without them.
        SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
    return true;
}

bool Display::CreateWindow(const std::string& title, int width, int height) {
    // Made for OpenGL from the start where the driver has it: SDL's OpenGL
    // renderer, and on X11 the window surface of its software renderer too,
    // would otherwise destroy the window and make another, which the desktop
    // shows as a flash and which leaves a window id that no longer exists.
    impl->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                    width, height, SDL_WINDOW_SHOWN | SDL_WINDOW_OPENGL);
    if (impl->window == nullptr) {
        impl->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                        SDL_WINDOWPOS_UNDEFINED, width, height, SDL_WINDOW_SHOWN);
    }
    if (impl->window == nullptr) {
        return impl->Fail();
    }
    impl->width = width;
    impl->height = height;
    g_activeWindow = impl->window;
    g_activeDisplay = this;
    SDL_RaiseWindow(impl->window);
    return true;
}

bool Display::CreateRenderer() {
    if (impl->window == nullptr) {
        impl->lastError = "no window";
        return false;
    }
    impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_ACCELERATED);
    if (impl->renderer == nullptr) {
        impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (impl->renderer == nullptr) {
        return impl->Fail();
    }
    SDL_SetRenderDrawBlendMode(impl->renderer, SDL_BLENDMODE_BLEND);
    // Everything above draws in picture pixels whatever size the window has;
    // the renderer scales, centres, and scales relative mouse motion to match.
    SDL_RenderSetLogicalSize(impl->renderer, impl->width, impl->height);
    g_activeRenderer = impl->renderer;
    ++g_rendererGeneration;
    return true;
}

void Display::SetIcon(const std::vector<uint32_t>& argb, int width, int height) {
    if (impl->window == nullptr || width <= 0 || height <= 0 ||
        argb.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
        return;
    }
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(argb.data()), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (icon != nullptr) {
        SDL_SetWindowIcon(impl->window, icon);
        SDL_FreeSurface(icon);
    }
}

void Display::HideSystemCursor() {
    SDL_ShowCursor(SDL_DISABLE);
}

bool Display::HasRenderer() const {
    return impl->renderer != nullptr;
}

std::string Display::WindowTitle() const {
    return impl->window != nullptr ? SDL_GetWindowTitle(impl->window) : "";
}

void Display::WindowSize(int* width, int* height) const {
    *width = 0;
    *height = 0;
    if (impl->window != nullptr) {
        SDL_GetWindowSize(impl->window, width, height);
    }
}

int Display::Width() const {
    return impl->width;
}

int Display::Height() const {
    return impl->height;
}

int Display::MaxTextureWidth() const {
    SDL_RendererInfo info{};
    if (impl->renderer == nullptr || SDL_GetRendererInfo(impl->renderer, &info) != 0) {
        return 0;
    }
    // Zero means the renderer sets no limit of its own.
    const int width = info.max_texture_width > 0 ? info.max_texture_width : 16384;
    return impl->textureWidthLimit > 0 ? std::min(width, impl->textureWidthLimit) : width;
}

void Display::SetTextureWidthLimit(int pixels) {
    impl->textureWidthLimit = pixels;
}

bool Display::Clear(uint32_t argb) {
    if (impl->renderer == nullptr) {
        impl->lastError = "no renderer";
        return false;
    }
    impl->TargetFrame();
    // A clear takes the whole window: a scaled picture first gets its black
    // bars, then the picture's own colour. A window of the picture's own size
    // is cleared in one pass, cheaper than filling a rectangle over it.
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(impl->renderer, &outputWidth, &outputHeight);
    if (outputWidth == impl->width && outputHeight == impl->height) {
        SDL_SetRenderDrawColor(impl->renderer, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF,
                               argb >> 24);
        return SDL_RenderClear(impl->renderer) == 0 || impl->Fail();
    }
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    SDL_GetRenderDrawBlendMode(impl->renderer, &mode);
    SDL_SetRenderDrawBlendMode(impl->renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(impl->renderer, 0, 0, 0, 0xFF);
    bool cleared = SDL_RenderClear(impl->renderer) == 0;
    SDL_SetRenderDrawColor(impl->renderer, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF,
                           argb >> 24);
    cleared = cleared && SDL_RenderFillRect(impl->renderer, nullptr) == 0;
    SDL_SetRenderDrawBlendMode(impl->renderer, mode);
    return cleared || impl->Fail();
}

bool Display::BeginScene() {
    if (impl->renderer == nullptr || impl->inScene) {
        impl->lastError = impl->inScene ? "scene already begun" : "no renderer";
        return false;
    }
    impl->inScene = true;
    return true;
}

bool Display::EndScene() {
    if (!impl->inScene) {
        impl->lastError = "no scene to end";
        return false;
    }
    impl->inScene = false;
    return true;
}

bool Display::Present() {
    if (impl->renderer == nullptr || impl->inScene) {
        impl->lastError = impl->inScene ? "present inside a scene" : "no renderer";
        return false;
    }
    bool shown = true;
    if (impl->frame != nullptr && SDL_GetRenderTarget(impl->renderer) == impl->frame) {
        SDL_SetRenderTarget(impl->renderer, nullptr);
        shown = impl->CopyFrame();
        impl->frameKept = shown;
    } else {
        // Drawn straight to the window: the frame no longer holds what it shows.
        impl->frameKept = false;
    }
    SDL_RenderPresent(impl->renderer);
    return shown;
}

bool Display::PresentAgain() {
    if (impl->renderer == nullptr || impl->inScene || !impl->frameKept ||
        SDL_GetRenderTarget(impl->renderer) != nullptr) {
        impl->lastError = "no frame to show again";
        return false;
    }
    const bool shown = impl->CopyFrame();
    SDL_RenderPresent(impl->renderer);
    return shown;
}

bool Display::ReadPixels(std::vector<uint32_t>* argb) const {
    if (impl->renderer == nullptr || argb == nullptr) {
        return false;
    }
    std::vector<uint32_t> output;
    int outputWidth = 0;
    int outputHeight = 0;
    if (!ReadOutputPixels(&output, &outputWidth, &outputHeight)) {
        return false;
    }
    if (outputWidth == impl->width && outputHeight == impl->height) {
        *argb = std::move(output);
        return true;
    }
    // Each picture pixel's centre, found in the scaled picture.
    argb->assign(static_cast<size_t>(impl->width) * static_cast<size_t>(impl->height), 0);
    for (int y = 0; y < impl->height; ++y) {
        for (int x = 0; x < impl->width; ++x) {
            int windowX = 0;
            int windowY = 0;
            SDL_RenderLogicalToWindow(impl->renderer, static_cast<float>(x) + 0.5f,
                                      static_cast<float>(y) + 0.5f, &windowX, &windowY);
            windowX = std::clamp(windowX, 0, outputWidth - 1);
            windowY = std::clamp(windowY, 0, outputHeight - 1);
            (*argb)[static_cast<size_t>(y) * static_cast<size_t>(impl->width) +
                    static_cast<size_t>(x)] =
                output[static_cast<size_t>(windowY) * static_cast<size_t>(outputWidth) +
                       static_cast<size_t>(windowX)];
        }
    }
    return true;
}

bool Display::ReadOutputPixels(std::vector<uint32_t>* argb, int* width, int* height) const {
    if (impl->renderer == nullptr || argb == nullptr ||
        SDL_GetRendererOutputSize(impl->renderer, width, height) != 0) {
        return false;
    }
    argb->assign(static_cast<size_t>(*width) * static_cast<size_t>(*height), 0);
    // A read stays inside the picture's viewport: drop the scaling for it.
    SDL_RenderSetLogicalSize(impl->renderer, 0, 0);
    const bool read = SDL_RenderReadPixels(impl->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                           argb->data(), *width * 4) == 0;
    SDL_RenderSetLogicalSize(impl->renderer, impl->width, impl->height);
    return read || impl->Fail();
}

bool Display::SetFullscreen(bool on) {
    if (impl->window == nullptr) {
        impl->lastError = "no window";
        return false;
    }
    Uint32 flags = on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    if (on && impl->fullscreenWidth > 0 && impl->fullscreenHeight > 0) {
        SDL_DisplayMode mode{};
        mode.w = impl->fullscreenWidth;
        mode.h = impl->fullscreenHeight;
        if (SDL_SetWindowDisplayMode(impl->window, &mode) != 0) {
            return impl->Fail();
        }
        flags = SDL_WINDOW_FULLSCREEN;
    }
    if (SDL_SetWindowFullscreen(impl->window, flags) != 0) {
        return impl->Fail();
    }
    if (!on) {
        // Some video drivers leave the window at the screen's size.
        SDL_SetWindowSize(impl->window, impl->width, impl->height);
    }
    return true;
}

bool Display::IsFullscreen() const {
    return impl->window != nullptr &&
           (SDL_GetWindowFlags(impl->window) & SDL_WINDOW_FULLSCREEN) != 0;
}

void Display::SetFullscreenSize(int width, int height) {
    impl->fullscreenWidth = width;
    impl->fullscreenHeight = height;
}

const std::string& Display::LastError() const {
    return impl->lastError;
}

}  // namespace platform
