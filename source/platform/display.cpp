#include "platform/display.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

#include "platform/drawlist.h"
#include "platform/sdlaccess.h"

namespace platform {
namespace {

// Demo B's thousand named balls draw 2,002 times a frame, with 17,340
// vertices of text; the other screens far fewer.
constexpr size_t kReservedDraws = 4096;
constexpr size_t kReservedVertices = 32768;

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

DrawList* BeginDraw() {
    return g_activeDisplay != nullptr ? g_activeDisplay->BeginDraw() : nullptr;
}

bool EndDraw() {
    return g_activeDisplay == nullptr || g_activeDisplay->EndDraw();
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
    // The frame being recorded (between Clear and Present) and the frame
    // the window shows: a frame equal to it is not drawn again, and an
    // expose draws it again. Draws outside a frame go through `now`.
    DrawList recording;
    DrawList shown;
    DrawList now;
    bool inFrame = false;
    bool shownValid = false;
    // The renderer's buffer was drawn on outside a frame, or the window
    // must be drawn anyway: the next frame is drawn whatever it holds.
    bool repaint = false;
    unsigned long presents = 0;
    std::string lastError;

    bool Fail() {
        lastError = SDL_GetError();
        return false;
    }
};

Display::Display() : impl(std::make_unique<Impl>()) {
    // The frame lists' room is taken before any picture is loaded, so it is
    // mapped on its own. Grown in the middle of a game, a list lands at the
    // top of the heap, above what the renderer takes and gives back every
    // frame, and holds all of that resident: demo B's thousand balls kept
    // up to 30 MB more that way with Mesa's software rasteriser. A frame
    // that needs more still grows its list.
    for (DrawList* list : {&impl->recording, &impl->shown}) {
        list->Reserve(kReservedDraws, kReservedVertices);
    }
}

Display::~Display() {
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
    }
    return true;
}

void Display::StartGamepads() {
    if (impl->videoUp && SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) {
        SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
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
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(impl->renderer, &outputWidth, &outputHeight);
    impl->recording.Reset(outputWidth, outputHeight);
    impl->recording.Clear(argb, impl->width, impl->height);
    impl->inFrame = true;
    return true;
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
    if (!impl->inFrame) {
        // Whatever was drawn outside a frame: no frame now holds the picture.
        impl->shownValid = false;
        SDL_RenderPresent(impl->renderer);
        ++impl->presents;
        return true;
    }
    impl->inFrame = false;
    if (impl->shownValid && !impl->repaint && impl->recording == impl->shown) {
        return true;  // the window already shows this frame
    }
    const bool drawn = impl->recording.Replay(impl->renderer);
    SDL_RenderPresent(impl->renderer);
    ++impl->presents;
    std::swap(impl->recording, impl->shown);
    impl->shownValid = true;
    impl->repaint = false;
    // The frame before lets go of its textures.
    impl->recording.Reset(0, 0);
    return drawn || impl->Fail();
}

void Display::ForgetShownFrame() {
    impl->shown.Reset(0, 0);
    impl->shownValid = false;
    if (impl->renderer == nullptr) {
        return;
    }
    SDL_RenderFlush(impl->renderer);
    // An OpenGL driver frees a deleted texture only once the frames that
    // drew it are done.
    using Finish = void (*)();
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(impl->renderer, &info) == 0 && info.name != nullptr &&
        SDL_strncmp(info.name, "opengl", 6) == 0) {
        if (auto finish = reinterpret_cast<Finish>(SDL_GL_GetProcAddress("glFinish"))) {
            finish();
        }
    }
}

bool Display::PresentAgain() {
    if (impl->renderer == nullptr || impl->inScene || !impl->shownValid) {
        impl->lastError = "no frame to show again";
        return false;
    }
    const bool drawn = impl->shown.Replay(impl->renderer);
    SDL_RenderPresent(impl->renderer);
    ++impl->presents;
    // The buffer holds the frame on screen again. (A frame for another
    // output size differs from it all the same.)
    impl->repaint = false;
    return drawn || impl->Fail();
}

unsigned long Display::Presents() const {
    return impl->presents;
}

DrawList* Display::BeginDraw() {
    if (impl->renderer == nullptr) {
        return nullptr;
    }
    if (impl->inFrame) {
        return &impl->recording;
    }
    impl->now.Reset(0, 0);
    return &impl->now;
}

bool Display::EndDraw() {
    if (impl->inFrame) {
        return true;
    }
    impl->repaint = true;
    const bool drawn = impl->now.Replay(impl->renderer);
    impl->now.Reset(0, 0);
    return drawn || impl->Fail();
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
    if (impl->inFrame) {
        // The frame so far, drawn for the reading; the buffer then no
        // longer holds what the window shows.
        impl->recording.Replay(impl->renderer);
        impl->repaint = true;
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
    impl->repaint = true;
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
