#pragma once

#include <string>

enum RoundSound { SOUND_BONUS, SOUND_GHOST };

// What the rules tell the world as they run: console lines and the board's
// sounds. A round passes them on, or keeps them to itself when quiet.
class C_RoundEvents {
public:
    virtual ~C_RoundEvents() = default;
    virtual void Line(const std::string& line) = 0;
    virtual void Sound(RoundSound sound) = 0;
    // False when the lines go nowhere, so they need not be built.
    virtual bool Listening() const { return true; }
    // False when no sound is ever played, so none need be loaded.
    virtual bool Audible() const { return true; }
};
