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
    if (key == DIK_ESCAPE) {
        return "ESC";
    }
    std::string name = KeyName(key);
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

std::string BoundKeys(const C_Settings& settings, std::initializer_list<GameAction> actions) {
    std::string keys;
    for (const GameAction action : actions) {
        keys += (keys.empty() ? "" : " ") + ShownKeyName(settings.GetKey(action));
    }
    return keys;
}

std::vector<KeyHint> KeyHints(const C_Settings& settings, bool withPause) {
    std::vector<KeyHint> hints = {
        {BoundKeys(settings, {GameAction::MoveLeft, GameAction::MoveRight}), "move"},
        {BoundKeys(settings, {GameAction::RotateCounterClockwise, GameAction::RotateClockwise}),
         "rotate"},
        {BoundKeys(settings, {GameAction::Drop}), "drop"},
    };
    if (withPause) {
        hints.push_back({BoundKeys(settings, {GameAction::Pause}), "pause"});
    }
    hints.push_back({BoundKeys(settings, {GameAction::Menu}), "menu"});
    return hints;
}

C_KeyPanel::C_KeyPanel(std::vector<KeyHint> hintsIn, const KeyPanelPlace& placeIn)
    : hints(std::move(hintsIn)),
      place(placeIn),
      keysFont(std::make_unique<C_Font>("Arial", kKeyHintHeight, kKeyHintColour)),
      whatFont(std::make_unique<C_Font>("Arial", kKeyHintHeight, kKeyHintWhatColour)) {}

C_KeyPanel::~C_KeyPanel() = default;

void C_KeyPanel::Render() {
    const int keysWidth = place.whatLeft - place.box.left - kColumnGap;
    const int whatWidth = place.box.right - place.whatLeft;
    int y = place.box.top;
    for (const KeyHint& hint : hints) {
        keysFont->DrawText(keysFont->Fitted(hint.keys, keysWidth), place.box.left, y,
                           TEXT_FILTERED);
        whatFont->DrawText(whatFont->Fitted(hint.what, whatWidth), place.whatLeft, y,
                           TEXT_FILTERED);
        y += place.pitch;
    }
}
