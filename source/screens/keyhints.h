#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "screens/textbox.h"
#include "store/settings.h"

class C_Font;

// One line of a keys panel: the keys, and what they do.
struct KeyHint {
    std::string keys;
    std::string what;
};

// A key's name as a hint shows it: upper case, Escape as ESC, the left and
// right arrows as "<-" and "->".
std::string ShownKeyName(int key);

// The seat's keys bound to `actions`, as hints show them, one space apart: "Z X".
std::string BoundKeys(const C_Settings& settings, std::initializer_list<GameAction> actions,
                      int seat = 0);

// The lines of a keys panel from the seat's bindings: move, rotate, drop,
// the line that says held keys repeat (in that mode only), pause (where the
// screen can pause) and menu.
std::vector<KeyHint> KeyHints(const C_Settings& settings, bool withPause, int seat = 0);

// The panel's line for keys that act at the press and repeat while held.
extern const KeyHint kRepeatHint;

// Where a keys panel's lines go: the box under its title, the left edge of
// the second column and the line pitch (closer when the box needs it), in
// screen pixels.
struct KeyPanelPlace {
    TextBox box;
    int whatLeft;
    int pitch;
};

// A keys panel's lines drawn by the code over the blank panel of the
// screen's picture, so that they name the keys the player bound.
class C_KeyPanel {
public:
    C_KeyPanel(std::vector<KeyHint> hints, const KeyPanelPlace& place);
    ~C_KeyPanel();
    C_KeyPanel(const C_KeyPanel&) = delete;
    C_KeyPanel& operator=(const C_KeyPanel&) = delete;

    void Render();
    const std::vector<KeyHint>& Hints() const { return hints; }
    // The lines as drawn: each column cut to its width where it runs over.
    std::vector<KeyHint> Shown() const;

private:
    std::vector<KeyHint> hints;
    KeyPanelPlace place;
    std::vector<KeyHint> shown;
    std::unique_ptr<C_Font> keysFont;
    std::unique_ptr<C_Font> whatFont;
};

// The height of the keys' font wherever the code writes them over a picture.
constexpr int kKeyHintHeight = 11;

// The colours the panel's two columns are drawn in, for the picture's test.
constexpr uint32_t kKeyHintColour = 0xFFEAF0F7;
constexpr uint32_t kKeyHintWhatColour = 0xFF96B2C6;
