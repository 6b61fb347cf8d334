#include "puzzle/randomdraw.h"

namespace {

constexpr uint64_t kMultiplier = 6364136223846793005ULL;
// Any odd increment selects a stream; this is the reference one.
constexpr uint64_t kIncrement = 1442695040888963407ULL;
constexpr int kDrawBits = 15;

}  // namespace

int DrawToIndex(int draw, int n) {
    const int index = static_cast<int>(static_cast<double>(draw) / kDrawMax * n);
    if (index < 0) {
        return 0;
    }
    return index >= n ? n - 1 : index;
}

void C_RandomDraw::Seed(uint64_t seed) {
    // As pcg32_srandom_r: one step from zero, the seed added, one more step.
    state = 0;
    Next();
    state += seed;
    Next();
}

uint32_t C_RandomDraw::Next() {
    const uint64_t old = state;
    state = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

int C_RandomDraw::Draw() {
    if (forced) {
        return forced();
    }
    return static_cast<int>(Next() >> (32 - kDrawBits));
}

C_RandomDraw& LooseDraws() {
    static C_RandomDraw draws;
    return draws;
}
