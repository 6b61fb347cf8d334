#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "store/storefile.h"

// What a player can do in a game, each bound to one key and one controller button.
enum class GameAction {
    MoveLeft,
    MoveRight,
    RotateCounterClockwise,
    RotateClockwise,
    Drop,
    Start,
    Pause,
    Menu,
};
constexpr int kGameActionCount = 8;

// Players at one machine, each with bindings of their own: seat 0 is the one
// player of a single game.
constexpr int kSeats = 2;

// How a seat's held moves act. Classic: a move or turn once per press, when
// the key is let go. Repeating: left and right at the press, then again after
// `delayMs` held and every `intervalMs` after that; turns once at the press;
// the drop at the press and every `intervalMs` held.
struct MoveRepeat {
    bool repeating = false;
    int delayMs = 170;
    int intervalMs = 50;

    bool operator==(const MoveRepeat& other) const {
        return repeating == other.repeating && delayMs == other.delayMs &&
               intervalMs == other.intervalMs;
    }
};

// A relay's address as the player writes it: a host name or dotted address,
// maybe with ":PORT". True, with `host` and `port` (`defaultPort` where none
// is written), when `text` is one; spaces round it are no part of it.
bool ParseHostPort(const std::string& text, uint16_t defaultPort, std::string& host,
                   uint16_t& port);

// The player's choices, kept in the config folder's settings.txt. Every value
// always holds something valid: a setter clamps or ignores what is out of range.
// Bindings and moves are kept per seat; a seat out of range reads and writes
// seat 0's. No key is bound for both seats: the settings screen refuses one,
// and a file that binds one for both leaves it with the first seat.
class C_Settings : public C_StoreFile {
public:
    explicit C_Settings(LineSink sink);

    int GetKey(GameAction action, int seat = 0) const;
    int GetPadButton(GameAction action, int seat = 0) const;
    // Binds `key` (a key code below kKeyCodeCount with a name) or `button`;
    // false, and nothing changed, for one that has no name. Whether another
    // action holds it already is for the caller to decide (SeatOfKey).
    bool SetKey(GameAction action, int key, int seat = 0);
    bool SetPadButton(GameAction action, int button, int seat = 0);
    // The seat's action `key` or `button` is bound to; false if none.
    bool ActionOfKey(int key, GameAction& action, int seat = 0) const;
    bool ActionOfPadButton(int button, GameAction& action, int seat = 0) const;
    // The seat and action that hold `key`, first seat first; false if none.
    bool SeatOfKey(int key, int& seat, GameAction& action) const;
    // Every seat's keys and buttons: putting back one seat's alone could
    // give a key to both.
    void RestoreDefaultBindings();

    const MoveRepeat& GetMoveRepeat(int seat) const;
    // Clamps the delay and the interval into their ranges.
    void SetMoveRepeat(int seat, const MoveRepeat& repeat);

    int GetMusicVolume() const { return musicVolume; }
    int GetEffectsVolume() const { return effectsVolume; }
    void SetMusicVolume(int volume);
    void SetEffectsVolume(int volume);
    bool IsFullscreen() const { return fullscreen; }
    void SetFullscreen(bool on) { fullscreen = on; }
    bool IsDropPreviewOn() const { return dropPreview; }
    void SetDropPreview(bool on) { dropPreview = on; }
    // The name last typed for the score table, sanitised; empty until then.
    const std::string& GetLastName() const { return lastName; }
    void SetLastName(const std::string& name);
    // Where matches over the internet meet, HOST[:PORT] as written; empty
    // until the player names one.
    const std::string& GetRelay() const { return relay; }
    // False, and nothing changed, unless `text` is such an address or empty
    // (no relay).
    bool SetRelay(const std::string& text);

    // The key and button an action has until the player changes them.
    static int DefaultKey(GameAction action, int seat = 0);
    static int DefaultPadButton(GameAction action, int seat = 0);

    static constexpr int kMinRepeatDelay = 50;
    static constexpr int kMaxRepeatDelay = 500;
    static constexpr int kMinRepeatInterval = 16;
    static constexpr int kMaxRepeatInterval = 200;

    // Full volume is the level the game always played at.
    static constexpr int kMaxVolume = 10;
    static constexpr const char* kFileName = "settings.txt";
    static constexpr const char* kKind = "tubrix-settings";
    static constexpr int kVersion = 1;

protected:
    void Reset() override;
    void Take(const C_RecordFile& file) override;
    void Give(C_RecordFile& file) const override;
    bool Knows(const std::string& key) const override;

private:
    using Bindings = std::array<int, kGameActionCount>;

    // True if `entry` binds an action; `understood` says whether it named a key.
    bool TakeBinding(const C_RecordFile::Entry& entry, bool& understood);
    // True if `entry` is a seat's moves; `understood` says whether its value was good.
    bool TakeMoveRepeat(const C_RecordFile::Entry& entry, bool& understood);
    // False if `entry` is a choice this version knows with a value it does not.
    bool TakeChoice(const C_RecordFile::Entry& entry);
    // Gives the later seat's keys that an earlier seat holds free ones: its
    // own default, else the first key no seat holds. The file's entry that
    // bound one is reported.
    void ParkSharedKeys(const C_RecordFile& file);

    std::array<Bindings, kSeats> keys{};
    std::array<Bindings, kSeats> padButtons{};
    std::array<MoveRepeat, kSeats> repeats{};
    int musicVolume = kMaxVolume;
    int effectsVolume = kMaxVolume;
    bool fullscreen = false;
    bool dropPreview = false;
    std::string lastName;
    std::string relay;
};
