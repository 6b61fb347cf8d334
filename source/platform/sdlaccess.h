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

}  // namespace platform
