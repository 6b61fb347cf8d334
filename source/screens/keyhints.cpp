#include "screens/keyhints.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/keycodes.h"
#include "store/keynames.h"
#include "view/font.h"

namespace {

constexpr int kColumnGap = 4;

}  // namespace

std::string ShownKeyName(int key) {
    // Short enough that the usual pairs fit a panel's column, as the arrows
    // the font cannot draw would.
    switch (key) {
        case DIK_ESCAPE:
            return "ESC";
        case DIK_LEFT:
            return "<-";
        case DIK_RIGHT:
            return "->";
        default:
            break;
    }
    std::string name = KeyName(key);
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

const KeyHint kRepeatHint = {"held", "repeats"};

std::string BoundKeys(const C_Settings& settings, std::initializer_list<GameAction> actions,
                      int seat) {
    std::string keys;
    for (const GameAction action : actions) {
        keys += (keys.empty() ? "" : " ") + ShownKeyName(settings.GetKey(action, seat));
    }
    return keys;
}

std::vector<KeyHint> KeyHints(const C_Settings& settings, bool withPause, int seat) {
    std::vector<KeyHint> hints = {
        {BoundKeys(settings, {GameAction::MoveLeft, GameAction::MoveRight}, seat), "move"},
        {BoundKeys(settings, {GameAction::RotateCounterClockwise, GameAction::RotateClockwise},
                   seat),
         "rotate"},
        {BoundKeys(settings, {GameAction::Drop}, seat), "drop"},
    };
    if (settings.GetMoveRepeat(seat).repeating) {
        hints.push_back(kRepeatHint);
    }
    if (withPause) {
        hints.push_back({BoundKeys(settings, {GameAction::Pause}, seat), "pause"});
    }
    hints.push_back({BoundKeys(settings, {GameAction::Menu}, seat), "menu"});
    return hints;
}

C_KeyPanel::C_KeyPanel(std::vector<KeyHint> hintsIn, const KeyPanelPlace& placeIn)
    : hints(std::move(hintsIn)),
      place(placeIn),
      keysFont(std::make_unique<C_Font>("Arial", kKeyHintHeight, kKeyHintColour)),
      whatFont(std::make_unique<C_Font>("Arial", kKeyHintHeight, kKeyHintWhatColour)) {}

C_KeyPanel::~C_KeyPanel() = default;

std::vector<KeyHint> C_KeyPanel::Shown() const {
    const int keysWidth = place.whatLeft - place.box.left - kColumnGap;
    const int whatWidth = place.box.right - place.whatLeft;
    std::vector<KeyHint> lines;
    for (const KeyHint& hint : hints) {
        lines.push_back(
            {keysFont->Fitted(hint.keys, keysWidth), whatFont->Fitted(hint.what, whatWidth)});
    }
    return lines;
}

void C_KeyPanel::Render() {
    // The bindings hold while a screen is up: cut once, at the first draw.
    if (shown.empty()) {
        shown = Shown();
    }
    // Closer together when more lines come than the pitch fits in the box.
    const int lines = static_cast<int>(shown.size());
    const int pitch =
        lines < 2 ? place.pitch
                  : std::min(place.pitch,
                             (place.box.bottom - place.box.top - kKeyHintHeight) / (lines - 1));
    int y = place.box.top;
    for (const KeyHint& hint : shown) {
        keysFont->DrawText(hint.keys, place.box.left, y, TEXT_FILTERED);
        whatFont->DrawText(hint.what, place.whatLeft, y, TEXT_FILTERED);
        y += pitch;
    }
}
