#pragma once

// Shared between platform units only: the SDL objects behind the one Display.

struct SDL_Renderer;
struct SDL_Window;

namespace platform {

class DrawList;

SDL_Window* ActiveWindow();
SDL_Renderer* ActiveRenderer();
// Changes whenever a renderer is made or destroyed: a texture made under
// another generation belongs to a renderer that no longer exists.
unsigned long RendererGeneration();

// Where a draw goes: the frame being recorded, between the display's Clear
// and Present; outside a frame, an empty list that EndDraw draws at once.
// Null without a renderer.
DrawList* BeginDraw();
// Ends a draw begun by BeginDraw: false if, drawn at once, it was refused.
bool EndDraw();

// F11 and Alt+Enter: the one Display goes fullscreen or back.
void ToggleFullscreen();
// Forgets every game controller and the keys they held, as the video system goes.
void ForgetGamepads();

}  // namespace platform
