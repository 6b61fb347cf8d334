#pragma once

#include <cstdint>
#include <functional>

// Draws run from 0 to 32767, the range the piece and shape formulas assume.
constexpr int kDrawMax = 32767;

// draw / 32767 x n, truncated toward zero; a draw of 32767 gives n - 1, so the
// result is always 0 to n - 1.
int DrawToIndex(int draw, int n);

// Where a round's pieces come from: PCG32 (O'Neill's XSH RR variant, 64-bit
// state, the reference multiplier and increment) written out here, so one
// seed gives the same pieces on every machine and compiler. A draw is the
// top 15 bits of one 32-bit output. A test may force the draws instead.
class C_RandomDraw {
public:
    explicit C_RandomDraw(uint64_t seed = 0) { Seed(seed); }

    void Seed(uint64_t seed);
    // The next draw, 0 to kDrawMax.
    int Draw();
    // An index 0 to n - 1 from the next draw.
    int Index(int n) { return DrawToIndex(Draw(), n); }
    // Draws come from `source` until it is replaced by an empty function.
    void Force(std::function<int()> source) { forced = std::move(source); }

private:
    uint32_t Next();

    uint64_t state = 0;
    std::function<int()> forced;
};

// The draws of pieces and shapes made outside any round: a piece built alone,
// a board filled by hand.
C_RandomDraw& LooseDraws();
