#include "model/gamestate.h"

#include <cstring>
#include <utility>

namespace {

// Four lanes of floats and of comparison results (all bits set for true).
typedef float Lanes __attribute__((vector_size(16)));
typedef int Masks __attribute__((vector_size(16)));

Lanes Load(const float* from) {
    Lanes lanes;
    std::memcpy(&lanes, from, sizeof lanes);
    return lanes;
}

Lanes Splat(float value) {
    return Lanes{value, value, value, value};
}

}  // namespace

HRESULT C_GameState::AddObject(C_GameObject* obj) {
    cursor = objectList.begin();
    while (cursor != objectList.end() && (*cursor)->GetPosition().x < obj->GetPosition().x) {
        ++cursor;
    }
    objectList.insert(cursor, obj);
    return 0;
}

HRESULT C_GameState::RemoveObject(C_GameObject* obj) {
    for (cursor = objectList.begin(); cursor != objectList.end(); ++cursor) {
        if (*cursor == obj) {
            cursor = objectList.erase(cursor);
            return 0;
        }
    }
    return E_FAIL;
}

void C_GameState::SweepBoxes::Resize(size_t n) {
    objects.resize(n);
    x.resize(n);
    y.resize(n);
    right.resize(n);
    bottom.resize(n);
}

void C_GameState::SweepBoxes::Read(size_t at, C_GameObject* object) {
    const Vector2 position = object->GetPosition();
    objects[at] = object;
    x[at] = position.x;
    y[at] = position.y;
    // The same sums Collide makes: the scaled sizes are whole pixels.
    right[at] = position.x + static_cast<float>(object->GetScaledWidth());
    bottom[at] = position.y + static_cast<float>(object->GetScaledHeight());
}

void C_GameState::SweepBoxes::Swap(size_t a, size_t b) {
    std::swap(objects[a], objects[b]);
    std::swap(x[a], x[b]);
    std::swap(y[a], y[b]);
    std::swap(right[a], right[b]);
    std::swap(bottom[a], bottom[b]);
}

// The sweep runs on a copy of the list's boxes: most pairs it visits neither
// overlap nor swap, and those are passed over in a tight loop, eight at a
// time. Pairs are visited, reported and swapped exactly as a walk of the list
// would.
void C_GameState::CheckCollisions() {
    const size_t n = objectList.size();
    sweep.Resize(n);
    size_t at = 0;
    for (C_GameObject* object : objectList) {
        sweep.Read(at++, object);
    }
    const float* xs = sweep.x.data();
    const float* ys = sweep.y.data();
    const float* rights = sweep.right.data();
    const float* bottoms = sweep.bottom.data();
    bool swapped = false;
    for (size_t i = 0; i < n; ++i) {
        size_t j = i + 1;
        while (j < n) {
            const float ix = xs[i];
            const float iy = ys[i];
            const float iRight = rights[i];
            const float iBottom = bottoms[i];
            // Something to do with (i, j): the inner loop stops, the boxes
            // overlap (the right-hand test of Collide is the stop test's
            // complement), or they are out of order.
            auto needsWork = [&](size_t k) {
                return (iRight <= xs[k]) | (ix > xs[k]) |
                       ((rights[k] >= ix) & (bottoms[k] >= iy) & (iBottom >= ys[k]));
            };
            const Lanes lanesX = Splat(ix);
            const Lanes lanesY = Splat(iy);
            const Lanes lanesRight = Splat(iRight);
            const Lanes lanesBottom = Splat(iBottom);
            auto blockNeedsWork = [&](size_t k) {
                const Lanes x = Load(xs + k);
                const Masks m = (lanesRight <= x) | (lanesX > x) |
                                ((Load(rights + k) >= lanesX) & (Load(bottoms + k) >= lanesY) &
                                 (lanesBottom >= Load(ys + k)));
                return (m[0] | m[1] | m[2] | m[3]) != 0;
            };
            while (j + 8 <= n && !blockNeedsWork(j) && !blockNeedsWork(j + 4)) {
                j += 8;
            }
            while (j < n && !needsWork(j)) {
                ++j;
            }
            if (j == n) {
                break;
            }
            // Strict where Collide is inclusive: a pair touching only on this
            // x edge is not reported.
            if (iRight <= xs[j]) {
                break;
            }
            if (!(rights[j] < ix) && !(bottoms[j] < iy) && !(iBottom < ys[j])) {
                C_GameObject* a = sweep.objects[i];
                C_GameObject* b = sweep.objects[j];
                a->OnCollide(b);
                b->OnCollide(a);
                sweep.Read(i, a);
                sweep.Read(j, b);
            }
            if (xs[i] > xs[j]) {
                sweep.Swap(i, j);
                swapped = true;
            }
            ++j;
        }
    }
    if (swapped) {
        cursor = objectList.begin();
        for (C_GameObject* object : sweep.objects) {
            *cursor = object;
            ++cursor;
        }
    }
    cursor = objectList.end();
}
