#pragma once

#include <memory>
#include <string>

#include "core/hresult.h"
#include "platform/display.h"
#include "platform/image.h"

// Owns the window and the renderer, shows the loading picture once during
// start-up, and draws each frame: clear to white, the model, the console.
// A frame that draws what the window already shows goes no further than the
// device's recording of it.
class C_View {
public:
    C_View() = default;
    ~C_View() = default;
    C_View(const C_View&) = delete;
    C_View& operator=(const C_View&) = delete;

    // Window, renderer and the loading picture; E_FAIL on any failure.
    HRESULT Init();
    // One frame; E_FAIL when a step of it failed (the rest is skipped).
    HRESULT Render();
    // Shows the frame on screen again, as a window that lost its picture
    // needs, without running a frame; false when there is none to show.
    bool Repaint();

    // Every later sprite and text draw is scaled by `scale` about the
    // top-left corner, then moved by (x, y); (1, 0, 0) leaves them alone. A
    // screen that sets it sets it back before it returns from its Render.
    void SetDrawTransform(float scale, float x, float y);
    // The device every texture and draw goes to; null before Init.
    platform::Display* GetDevice() const { return device.get(); }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    bool IsWindowed() const { return windowed != 0; }
    bool IsInitialised() const { return initialised != 0; }

private:
    HRESULT CreateMainWindow();
    HRESULT CreateRenderer();
    void DrawLoadingPicture();

    int width = 713;
    int height = 653;
    std::string title = "Tubrix";
    std::unique_ptr<platform::Display> device;
    // Decoded during Init, until the loading picture's texture is made.
    platform::Image loadingPicture;
    int windowed = 1;
    int initialised = 0;
};
