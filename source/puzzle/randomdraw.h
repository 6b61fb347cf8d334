#pragma once

#include <functional>

// The puzzle's random numbers: draws of 0 to 32767 from C's rand(), seeded
// with srand(), turned into table indices.
constexpr int kDrawMax = 32767;

// The next draw, 0 to kDrawMax.
int RandomDraw();

// draw / 32767 x n, truncated toward zero; a draw of 32767 gives n - 1, so the
// result is always 0 to n - 1.
int DrawToIndex(int draw, int n);

// An index 0 to n - 1 from the next draw.
int RandomIndex(int n);

// Replaces where draws come from (tests force exact draws); an empty function
// restores rand().
void SetDrawSource(std::function<int()> source);
