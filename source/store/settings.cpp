#include "store/settings.h"

#include <algorithm>

#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "store/keynames.h"
#include "store/playername.h"

namespace {

struct ActionRow {
    const char* word;
    int key;
    int padButton;
};

// In GameAction's order. The keys and buttons the game has always answered
// to: the arrows, Z and X, Space, P and Esc; the controller's d-pad, B and A,
// Start and Back, and Y, free until now, for the pause.
constexpr ActionRow kActions[kGameActionCount] = {
    {"left", DIK_LEFT, PAD_DPAD_LEFT}, {"right", DIK_RIGHT, PAD_DPAD_RIGHT},
    {"rotate_ccw", DIK_Z, PAD_B},      {"rotate_cw", DIK_X, PAD_A},
    {"drop", DIK_DOWN, PAD_DPAD_DOWN}, {"start", DIK_SPACE, PAD_START},
    {"pause", DIK_P, PAD_Y},           {"menu", DIK_ESCAPE, PAD_BACK},
};

constexpr const char* kKeyPrefix = "key.";
constexpr const char* kPadPrefix = "pad.";
constexpr const char* kMusicVolume = "music_volume";
constexpr const char* kEffectsVolume = "effects_volume";
constexpr const char* kFullscreen = "fullscreen";
constexpr const char* kDropPreview = "drop_preview";
constexpr const char* kLastName = "last_name";
constexpr const char* kOn = "on";
constexpr const char* kOff = "off";

std::size_t Index(GameAction action) {
    return static_cast<std::size_t>(action);
}

// Leaves `volume` as it was unless `text` is a plain 0 to 10.
bool ParseVolume(const std::string& text, int& volume) {
    for (int level = 0; level <= C_Settings::kMaxVolume; ++level) {
        if (text == std::to_string(level)) {
            volume = level;
            return true;
        }
    }
    return false;
}

bool ParseSwitch(const std::string& text, bool& on) {
    if (text != kOn && text != kOff) {
        return false;
    }
    on = text == kOn;
    return true;
}

}  // namespace

C_Settings::C_Settings(LineSink sink)
    : C_StoreFile(platform::UserFolder::Config, kFileName, kKind, kVersion, std::move(sink)) {
    Reset();
}

int C_Settings::DefaultKey(GameAction action) {
    return kActions[Index(action)].key;
}

int C_Settings::DefaultPadButton(GameAction action) {
    return kActions[Index(action)].padButton;
}

int C_Settings::GetKey(GameAction action) const {
    return keys[Index(action)];
}

int C_Settings::GetPadButton(GameAction action) const {
    return padButtons[Index(action)];
}

bool C_Settings::SetKey(GameAction action, int key) {
    if (KeyName(key).empty()) {
        return false;
    }
    keys[Index(action)] = key;
    return true;
}

bool C_Settings::SetPadButton(GameAction action, int button) {
    if (PadButtonName(button).empty()) {
        return false;
    }
    padButtons[Index(action)] = button;
    return true;
}

bool C_Settings::ActionOfKey(int key, GameAction& action) const {
    const auto found = std::find(keys.begin(), keys.end(), key);
    action = static_cast<GameAction>(found - keys.begin());
    return found != keys.end();
}

bool C_Settings::ActionOfPadButton(int button, GameAction& action) const {
    const auto found = std::find(padButtons.begin(), padButtons.end(), button);
    action = static_cast<GameAction>(found - padButtons.begin());
    return found != padButtons.end();
}

void C_Settings::RestoreDefaultBindings() {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keys[i] = kActions[i].key;
        padButtons[i] = kActions[i].padButton;
    }
}

void C_Settings::SetMusicVolume(int volume) {
    musicVolume = std::clamp(volume, 0, kMaxVolume);
}

void C_Settings::SetEffectsVolume(int volume) {
    effectsVolume = std::clamp(volume, 0, kMaxVolume);
}

void C_Settings::SetLastName(const std::string& name) {
    lastName = SanitisePlayerName(name);
}

void C_Settings::Reset() {
    RestoreDefaultBindings();
    musicVolume = kMaxVolume;
    effectsVolume = kMaxVolume;
    fullscreen = false;
    dropPreview = false;
    lastName.clear();
}

bool C_Settings::TakeBinding(const C_RecordFile::Entry& entry, bool& understood) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const GameAction action = static_cast<GameAction>(i);
        if (entry.key == kKeyPrefix + std::string(kActions[i].word)) {
            understood = SetKey(action, KeyFromName(entry.value));
            return true;
        }
        if (entry.key == kPadPrefix + std::string(kActions[i].word)) {
            understood = SetPadButton(action, PadButtonFromName(entry.value));
            return true;
        }
    }
    return false;
}

bool C_Settings::TakeChoice(const C_RecordFile::Entry& entry) {
    const std::string& key = entry.key;
    if (key == kMusicVolume) {
        return ParseVolume(entry.value, musicVolume);
    }
    if (key == kEffectsVolume) {
        return ParseVolume(entry.value, effectsVolume);
    }
    if (key == kFullscreen) {
        return ParseSwitch(entry.value, fullscreen);
    }
    if (key == kDropPreview) {
        return ParseSwitch(entry.value, dropPreview);
    }
    if (key == kLastName) {
        SetLastName(entry.value);
    }
    return true;
}

void C_Settings::Take(const C_RecordFile& file) {
    for (const C_RecordFile::Entry& entry : file.GetEntries()) {
        bool understood = true;
        if (!TakeBinding(entry, understood)) {
            understood = TakeChoice(entry);
        }
        if (!understood) {
            Skip(entry, "\"" + entry.key + "\" cannot be \"" + entry.value + "\"");
        }
    }
}

void C_Settings::Give(C_RecordFile& file) const {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        file.Set(kKeyPrefix + std::string(kActions[i].word), KeyName(keys[i]));
        file.Set(kPadPrefix + std::string(kActions[i].word), PadButtonName(padButtons[i]));
    }
    file.Set(kMusicVolume, std::to_string(musicVolume));
    file.Set(kEffectsVolume, std::to_string(effectsVolume));
    file.Set(kFullscreen, fullscreen ? kOn : kOff);
    file.Set(kDropPreview, dropPreview ? kOn : kOff);
    if (lastName.empty()) {
        file.Remove(kLastName);
    } else {
        file.Set(kLastName, lastName);
    }
}

bool C_Settings::Knows(const std::string& key) const {
    for (const ActionRow& row : kActions) {
        if (key == kKeyPrefix + std::string(row.word) ||
            key == kPadPrefix + std::string(row.word)) {
            return true;
        }
    }
    for (const char* choice :
         {kMusicVolume, kEffectsVolume, kFullscreen, kDropPreview, kLastName}) {
        if (key == choice) {
            return true;
        }
    }
    return false;
}
