#include "screens/keyhints.h"

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

namespace {

std::string BoundKeys(const std::function<int(GameAction)>& keyOf,
                      std::initializer_list<GameAction> actions) {
    std::string keys;
    for (const GameAction action : actions) {
        keys += (keys.empty() ? "" : " ") + ShownKeyName(keyOf(action));
    }
    return keys;
}

}  // namespace

std::string BoundKeys(const C_Settings& settings, std::initializer_list<GameAction> actions) {
    return BoundKeys([&settings](GameAction action) { return settings.GetKey(action); }, actions);
}

std::vector<KeyHint> KeyHints(const C_Settings& settings, bool withPause) {
    return KeyHints([&settings](GameAction action) { return settings.GetKey(action); }, withPause);
}

std::vector<KeyHint> KeyHints(const std::function<int(GameAction)>& keyOf, bool withPause) {
    std::vector<KeyHint> hints = {
        {BoundKeys(keyOf, {GameAction::MoveLeft, GameAction::MoveRight}), "move"},
        {BoundKeys(keyOf, {GameAction::RotateCounterClockwise, GameAction::RotateClockwise}),
         "rotate"},
        {BoundKeys(keyOf, {GameAction::Drop}), "drop"},
    };
    if (withPause) {
        hints.push_back({BoundKeys(keyOf, {GameAction::Pause}), "pause"});
    }
    hints.push_back({BoundKeys(keyOf, {GameAction::Menu}), "menu"});
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
    int y = place.box.top;
    for (const KeyHint& hint : shown) {
        keysFont->DrawText(hint.keys, place.box.left, y, TEXT_FILTERED);
        whatFont->DrawText(hint.what, place.whatLeft, y, TEXT_FILTERED);
        y += place.pitch;
    }
}
