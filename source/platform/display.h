#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class DrawList;

// The window and the renderer that draws into it. One exists at a time; the
// other platform services (textures, the prompt) draw on or parent to it.
class Display {
public:
    Display();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Brings up the video system; false if the platform has no video at all.
    bool InitVideo();
    // Game controllers, once video is up: they are a comfort, so they come
    // after the first picture, and the game plays without them.
    void StartGamepads();
    // A visible, fixed-size window whose client area is width x height.
    bool CreateWindow(const std::string& title, int width, int height);
    // An accelerated renderer where there is one, else the software renderer;
    // no vsync, since the frame timer paces frames.
    bool CreateRenderer();
    // The window icon from 32-bit ARGB pixels, row by row.
    void SetIcon(const std::vector<uint32_t>& argb, int width, int height);
    void HideSystemCursor();

    bool HasRenderer() const;
    // What the window system reports of the window: its title and client size.
    std::string WindowTitle() const;
    void WindowSize(int* width, int* height) const;
    int Width() const;
    int Height() const;
    // The widest texture the renderer can make, in pixels.
    int MaxTextureWidth() const;
    // Caps MaxTextureWidth below what the renderer allows (0 removes the cap),
    // standing in for a device with smaller textures.
    void SetTextureWidthLimit(int pixels);

    // One frame: Clear, BeginScene, draws, EndScene, Present. Each returns
    // false if the renderer refused or the calls came out of order. The
    // frame's draws are recorded, and drawn at the Present only when they
    // differ from the frame the window shows (or the window must be drawn
    // anyway): a still picture costs no drawing and no present.
    bool Clear(uint32_t argb);
    bool BeginScene();
    bool EndScene();
    bool Present();
    // Draws the frame the window shows again and presents it, as a window
    // that was covered needs; false if there is none or a scene is open.
    bool PresentAgain();
    // Lets go of the frame on screen, so that its textures are freed now
    // rather than at the next frame shown, and waits until the renderer has
    // drawn it. Nothing can be shown again until the next frame is.
    void ForgetShownFrame();
    // How many times a picture went to the window.
    unsigned long Presents() const;

    // Where the platform's draws go: see BeginDraw in sdlaccess.h.
    DrawList* BeginDraw();
    bool EndDraw();

    // The picture as 32-bit ARGB, row by row, in picture pixels (sampled from
    // the scaled picture in fullscreen): between Clear and Present the frame
    // so far, else what the renderer's buffer holds; false if it cannot be read.
    bool ReadPixels(std::vector<uint32_t>* argb) const;

    // A borderless window covering the current screen, or back to the window.
    // The picture keeps its width x height coordinates: it is scaled to the
    // largest size that fits, keeping its shape, centred between black bars.
    bool SetFullscreen(bool on);
    bool IsFullscreen() const;
    // Stands in for a screen of width x height when going fullscreen (0 x 0
    // removes it): the window then takes that screen mode instead of the desktop.
    void SetFullscreenSize(int width, int height);
    // The whole window as 32-bit ARGB, bars included, and its size in pixels
    // (between Clear and Present, the frame so far).
    bool ReadOutputPixels(std::vector<uint32_t>* argb, int* width, int* height) const;

    // The reason the last failing call gave.
    const std::string& LastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

}  // namespace platform
