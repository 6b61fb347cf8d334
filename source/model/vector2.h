#pragma once

// A position, size, scale or velocity on the screen, in pixels unless said.
struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;
};
