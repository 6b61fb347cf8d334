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

// The second player's keys, in GameAction's order: the left of the letter
// block, on the two rows above the one that holds Z and X, so that neither
// player's hands share a row. A move, the drop and a turn held together are
// two keys of the middle row and one of the top row, a chord cheap keyboards
// read. Start, pause and menu on the number row. A pad is the player's own:
// its buttons are the first player's.
constexpr int kSecondSeatKeys[kGameActionCount] = {DIK_A, DIK_D, DIK_Q, DIK_W,
                                                   DIK_S, DIK_1, DIK_2, DIK_3};

// Where a later seat's key goes when an earlier seat holds its default.
constexpr int kSpareKeys[] = {DIK_E, DIK_R, DIK_F, DIK_G, DIK_T, DIK_Y, DIK_H, DIK_4, DIK_5, DIK_6};

// Every entry of a seat after the first starts with its prefix.
constexpr const char* kSeatPrefixes[kSeats] = {"", "p2."};
constexpr const char* kKeyPrefix = "key.";
constexpr const char* kPadPrefix = "pad.";
constexpr const char* kMoves = "moves";
constexpr const char* kRepeatDelay = "repeat_delay";
constexpr const char* kRepeatInterval = "repeat_interval";
constexpr const char* kClassic = "classic";
constexpr const char* kRepeating = "repeating";
constexpr const char* kMusicVolume = "music_volume";
constexpr const char* kEffectsVolume = "effects_volume";
constexpr const char* kFullscreen = "fullscreen";
constexpr const char* kDropPreview = "drop_preview";
constexpr const char* kLastName = "last_name";
constexpr const char* kRelay = "relay";
// No host name is longer.
constexpr std::size_t kMaxHostName = 253;
constexpr const char* kOn = "on";
constexpr const char* kOff = "off";

std::size_t Index(GameAction action) {
    return static_cast<std::size_t>(action);
}

std::size_t SeatIndex(int seat) {
    return seat > 0 && seat < kSeats ? static_cast<std::size_t>(seat) : 0;
}

std::string SeatKey(int seat, const char* prefix, const char* word) {
    return std::string(kSeatPrefixes[SeatIndex(seat)]) + prefix + word;
}

// Leaves `ms` as it was unless `text` is a plain number from `least` to `most`.
bool ParseMilliseconds(const std::string& text, int least, int most, int& ms) {
    if (text.empty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int value = std::stoi(text);
    if (value < least || value > most || text != std::to_string(value)) {
        return false;
    }
    ms = value;
    return true;
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

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

}  // namespace

bool ParseHostPort(const std::string& text, uint16_t defaultPort, std::string& host,
                   uint16_t& port) {
    const std::string trimmed = Trimmed(text);
    const std::size_t colon = trimmed.find(':');
    const std::string name = trimmed.substr(0, colon);
    const bool nameGood = !name.empty() && name.size() <= kMaxHostName && name.front() != '-' &&
                          name.front() != '.' && std::all_of(name.begin(), name.end(), [](char c) {
                              return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                     (c >= '0' && c <= '9') || c == '-' || c == '.';
                          });
    if (!nameGood) {
        return false;
    }
    uint16_t number = defaultPort;
    if (colon != std::string::npos) {
        const std::string digits = trimmed.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 || digits.front() == '0' ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        const long value = std::stol(digits);
        if (value > 65535) {
            return false;
        }
        number = static_cast<uint16_t>(value);
    }
    host = name;
    port = number;
    return true;
}

C_Settings::C_Settings(LineSink sink)
    : C_StoreFile(platform::UserFolder::Config, kFileName, kKind, kVersion, std::move(sink)) {
    Reset();
}

int C_Settings::DefaultKey(GameAction action, int seat) {
    return SeatIndex(seat) == 0 ? kActions[Index(action)].key : kSecondSeatKeys[Index(action)];
}

int C_Settings::DefaultPadButton(GameAction action, int /*seat*/) {
    return kActions[Index(action)].padButton;
}

int C_Settings::GetKey(GameAction action, int seat) const {
    return keys[SeatIndex(seat)][Index(action)];
}

int C_Settings::GetPadButton(GameAction action, int seat) const {
    return padButtons[SeatIndex(seat)][Index(action)];
}

bool C_Settings::SetKey(GameAction action, int key, int seat) {
    if (KeyName(key).empty()) {
        return false;
    }
    keys[SeatIndex(seat)][Index(action)] = key;
    return true;
}

bool C_Settings::SetPadButton(GameAction action, int button, int seat) {
    if (PadButtonName(button).empty()) {
        return false;
    }
    padButtons[SeatIndex(seat)][Index(action)] = button;
    return true;
}

bool C_Settings::ActionOfKey(int key, GameAction& action, int seat) const {
    const Bindings& bound = keys[SeatIndex(seat)];
    const auto found = std::find(bound.begin(), bound.end(), key);
    action = static_cast<GameAction>(found - bound.begin());
    return found != bound.end();
}

bool C_Settings::ActionOfPadButton(int button, GameAction& action, int seat) const {
    const Bindings& bound = padButtons[SeatIndex(seat)];
    const auto found = std::find(bound.begin(), bound.end(), button);
    action = static_cast<GameAction>(found - bound.begin());
    return found != bound.end();
}

bool C_Settings::SeatOfKey(int key, int& seat, GameAction& action) const {
    for (seat = 0; seat < kSeats; ++seat) {
        if (ActionOfKey(key, action, seat)) {
            return true;
        }
    }
    return false;
}

void C_Settings::RestoreDefaultBindings() {
    for (int seat = 0; seat < kSeats; ++seat) {
        for (int i = 0; i < kGameActionCount; ++i) {
            const auto action = static_cast<GameAction>(i);
            keys[SeatIndex(seat)][Index(action)] = DefaultKey(action, seat);
            padButtons[SeatIndex(seat)][Index(action)] = DefaultPadButton(action, seat);
        }
    }
}

const MoveRepeat& C_Settings::GetMoveRepeat(int seat) const {
    return repeats[SeatIndex(seat)];
}

void C_Settings::SetMoveRepeat(int seat, const MoveRepeat& repeat) {
    MoveRepeat& kept = repeats[SeatIndex(seat)];
    kept.repeating = repeat.repeating;
    kept.delayMs = std::clamp(repeat.delayMs, kMinRepeatDelay, kMaxRepeatDelay);
    kept.intervalMs = std::clamp(repeat.intervalMs, kMinRepeatInterval, kMaxRepeatInterval);
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

bool C_Settings::SetRelay(const std::string& text) {
    std::string host;
    uint16_t port = 0;
    const std::string trimmed = Trimmed(text);
    if (!trimmed.empty() && !ParseHostPort(trimmed, 1, host, port)) {
        return false;
    }
    relay = trimmed;
    return true;
}

void C_Settings::Reset() {
    RestoreDefaultBindings();
    repeats.fill(MoveRepeat{});
    musicVolume = kMaxVolume;
    effectsVolume = kMaxVolume;
    fullscreen = false;
    dropPreview = false;
    lastName.clear();
    relay.clear();
}

bool C_Settings::TakeBinding(const C_RecordFile::Entry& entry, bool& understood) {
    for (int seat = 0; seat < kSeats; ++seat) {
        for (int i = 0; i < kGameActionCount; ++i) {
            const GameAction action = static_cast<GameAction>(i);
            const char* word = kActions[i].word;
            if (entry.key == SeatKey(seat, kKeyPrefix, word)) {
                understood = SetKey(action, KeyFromName(entry.value), seat);
                return true;
            }
            if (entry.key == SeatKey(seat, kPadPrefix, word)) {
                understood = SetPadButton(action, PadButtonFromName(entry.value), seat);
                return true;
            }
        }
    }
    return false;
}

bool C_Settings::TakeMoveRepeat(const C_RecordFile::Entry& entry, bool& understood) {
    for (int seat = 0; seat < kSeats; ++seat) {
        MoveRepeat& repeat = repeats[SeatIndex(seat)];
        if (entry.key == SeatKey(seat, "", kMoves)) {
            understood = entry.value == kClassic || entry.value == kRepeating;
            repeat.repeating = understood ? entry.value == kRepeating : repeat.repeating;
            return true;
        }
        if (entry.key == SeatKey(seat, "", kRepeatDelay)) {
            understood =
                ParseMilliseconds(entry.value, kMinRepeatDelay, kMaxRepeatDelay, repeat.delayMs);
            return true;
        }
        if (entry.key == SeatKey(seat, "", kRepeatInterval)) {
            understood = ParseMilliseconds(entry.value, kMinRepeatInterval, kMaxRepeatInterval,
                                           repeat.intervalMs);
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
    if (key == kRelay) {
        return SetRelay(entry.value);
    }
    return true;
}

void C_Settings::Take(const C_RecordFile& file) {
    for (const C_RecordFile::Entry& entry : file.GetEntries()) {
        bool understood = true;
        if (!TakeBinding(entry, understood) && !TakeMoveRepeat(entry, understood)) {
            understood = TakeChoice(entry);
        }
        if (!understood) {
            Skip(entry, "\"" + entry.key + "\" cannot be \"" + entry.value + "\"");
        }
    }
    ParkSharedKeys(file);
}

void C_Settings::ParkSharedKeys(const C_RecordFile& file) {
    for (int seat = 1; seat < kSeats; ++seat) {
        for (int i = 0; i < kGameActionCount; ++i) {
            const auto action = static_cast<GameAction>(i);
            int holder = 0;
            GameAction held = action;
            if (!SeatOfKey(GetKey(action, seat), holder, held) || holder == seat) {
                continue;
            }
            const std::string entryKey = SeatKey(seat, kKeyPrefix, kActions[i].word);
            for (const C_RecordFile::Entry& entry : file.GetEntries()) {
                if (entry.key == entryKey && KeyFromName(entry.value) == GetKey(action, seat)) {
                    Skip(entry, "\"" + entry.key + "\" cannot be \"" + entry.value + "\": player " +
                                    std::to_string(holder + 1) + " has it");
                }
            }
            // Free of every other binding, and one the settings screen takes.
            auto taken = [&](int key) {
                if (key == DIK_TAB || KeyName(key).empty()) {
                    return true;
                }
                for (int other = 0; other < kSeats * kGameActionCount; ++other) {
                    const int otherSeat = other / kGameActionCount;
                    const int otherAction = other % kGameActionCount;
                    if ((otherSeat != seat || otherAction != i) &&
                        keys[SeatIndex(otherSeat)][static_cast<std::size_t>(otherAction)] == key) {
                        return true;
                    }
                }
                return false;
            };
            int free = DefaultKey(action, seat);
            for (const int spare : kSpareKeys) {
                free = taken(free) ? spare : free;
            }
            for (int code = 1; taken(free) && code < kKeyCodeCount; ++code) {
                free = code;
            }
            SetKey(action, free, seat);
        }
    }
}

void C_Settings::Give(C_RecordFile& file) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        for (int i = 0; i < kGameActionCount; ++i) {
            const auto action = static_cast<GameAction>(i);
            const char* word = kActions[i].word;
            file.Set(SeatKey(seat, kKeyPrefix, word), KeyName(GetKey(action, seat)));
            file.Set(SeatKey(seat, kPadPrefix, word), PadButtonName(GetPadButton(action, seat)));
        }
        const MoveRepeat& repeat = GetMoveRepeat(seat);
        file.Set(SeatKey(seat, "", kMoves), repeat.repeating ? kRepeating : kClassic);
        file.Set(SeatKey(seat, "", kRepeatDelay), std::to_string(repeat.delayMs));
        file.Set(SeatKey(seat, "", kRepeatInterval), std::to_string(repeat.intervalMs));
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
    if (relay.empty()) {
        file.Remove(kRelay);
    } else {
        file.Set(kRelay, relay);
    }
}

bool C_Settings::Knows(const std::string& key) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        for (const ActionRow& row : kActions) {
            if (key == SeatKey(seat, kKeyPrefix, row.word) ||
                key == SeatKey(seat, kPadPrefix, row.word)) {
                return true;
            }
        }
        for (const char* word : {kMoves, kRepeatDelay, kRepeatInterval}) {
            if (key == SeatKey(seat, "", word)) {
                return true;
            }
        }
    }
    for (const char* choice :
         {kMusicVolume, kEffectsVolume, kFullscreen, kDropPreview, kLastName, kRelay}) {
        if (key == choice) {
            return true;
        }
    }
    return false;
}
