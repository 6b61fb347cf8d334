#pragma once

// Shared between platform units only: the SDL objects behind the one Display.

struct SDL_Renderer;
struct SDL_Window;

namespace platform {

SDL_Window* ActiveWindow();
SDL_Renderer* ActiveRenderer();

}  // namespace platform
