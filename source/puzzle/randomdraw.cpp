#include "puzzle/randomdraw.h"

#include <cstdlib>

namespace {

// rand()'s range is a whole number of 32768-wide blocks on every C library we
// build with, so the low 15 bits are an even draw.
static_assert((RAND_MAX + 1LL) % (kDrawMax + 1LL) == 0, "rand() cannot give even 15-bit draws");

std::function<int()>& DrawSource() {
    static std::function<int()> source;
    return source;
}

}  // namespace

int RandomDraw() {
    if (DrawSource()) {
        return DrawSource()();
    }
    return std::rand() % (kDrawMax + 1);
}

int DrawToIndex(int draw, int n) {
    const int index = static_cast<int>(static_cast<double>(draw) / kDrawMax * n);
    if (index < 0) {
        return 0;
    }
    return index >= n ? n - 1 : index;
}

int RandomIndex(int n) {
    return DrawToIndex(RandomDraw(), n);
}

void SetDrawSource(std::function<int()> source) {
    DrawSource() = std::move(source);
}
