#pragma once

// Shared between platform units only: the SDL objects behind the one Display.

struct SDL_Renderer;
struct SDL_Window;

namespace platform {

SDL_Window* ActiveWindow();
SDL_Renderer* ActiveRenderer();
// Changes whenever a renderer is made or destroyed: a texture made under
// another generation belongs to a renderer that no longer exists.
unsigned long RendererGeneration();

// F11 and Alt+Enter: the one Display goes fullscreen or back.
void ToggleFullscreen();
// Forgets every game controller and the keys they held, as the video system goes.
void ForgetGamepads();

}  // namespace platform
