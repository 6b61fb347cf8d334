#pragma once

#include <list>
#include <vector>

#include "core/hresult.h"
#include "model/gameobject.h"

// One screen of the system. The model runs exactly one at a time: it is built
// by a switch, drawn once, then gets HandleInput, Update and Render each frame.
class C_GameState {
public:
    C_GameState() = default;
    // A derived state deletes what it made; the object list owns nothing.
    virtual ~C_GameState() = default;
    C_GameState(const C_GameState&) = delete;
    C_GameState& operator=(const C_GameState&) = delete;

    virtual void HandleInput() = 0;
    virtual void Update() = 0;
    // What a screen advances once for each frame it draws (fades, pulses):
    // after Update, even while the console's pause holds Update, so that
    // Render only draws and may draw a frame twice.
    virtual void DrawStep() {}
    virtual void Render() = 0;
    // False for a screen the console's pause must not hold: a match over
    // the network, which the other machine plays on regardless.
    virtual bool Pausable() const { return true; }

    // Inserts before the first object whose x is at least obj's x. Returns 0.
    HRESULT AddObject(C_GameObject* obj);
    // 0 when obj was listed and is now removed, E_FAIL when it was not there.
    HRESULT RemoveObject(C_GameObject* obj);
    // Reports each overlapping pair to both objects, I first, and swaps
    // neighbours back into x order as it passes them. An object's OnCollide
    // may move or resize only the two objects it is given and may not add or
    // remove objects: the sweep keeps the boxes it compares in an array of its
    // own and reads them again only from those two.
    void CheckCollisions();

    const std::list<C_GameObject*>& GetObjects() const { return objectList; }

protected:
    HRESULT result = 0;
    std::list<C_GameObject*> objectList;
    std::list<C_GameObject*>::iterator cursor = objectList.begin();

private:
    // The sweep's copy of the list, with each object's box, one array per
    // coordinate; kept between sweeps so a sweep allocates nothing once the
    // list has stopped growing.
    struct SweepBoxes {
        std::vector<C_GameObject*> objects;
        std::vector<float> x;
        std::vector<float> y;
        std::vector<float> right;   // x + scaled width
        std::vector<float> bottom;  // y + scaled height

        void Resize(size_t n);
        void Read(size_t at, C_GameObject* object);
        void Swap(size_t a, size_t b);
    };

    SweepBoxes sweep;
};
