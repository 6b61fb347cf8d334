#pragma once

#include <array>
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

// The player's choices, kept in the config folder's settings.txt. Every value
// always holds something valid: a setter clamps or ignores what is out of range.
class C_Settings : public C_StoreFile {
public:
    explicit C_Settings(LineSink sink);

    int GetKey(GameAction action) const;
    int GetPadButton(GameAction action) const;
    // Binds `key` (a key code below kKeyCodeCount with a name) or `button`;
    // false, and nothing changed, for one that has no name. Whether another
    // action holds it already is for the caller to decide (ActionOfKey).
    bool SetKey(GameAction action, int key);
    bool SetPadButton(GameAction action, int button);
    // The action `key` or `button` is bound to; false if none.
    bool ActionOfKey(int key, GameAction& action) const;
    bool ActionOfPadButton(int button, GameAction& action) const;
    void RestoreDefaultBindings();

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

    // The key and button an action has until the player changes them.
    static int DefaultKey(GameAction action);
    static int DefaultPadButton(GameAction action);

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
    // True if `entry` binds an action; `understood` says whether it named a key.
    bool TakeBinding(const C_RecordFile::Entry& entry, bool& understood);
    // False if `entry` is a choice this version knows with a value it does not.
    bool TakeChoice(const C_RecordFile::Entry& entry);

    std::array<int, kGameActionCount> keys{};
    std::array<int, kGameActionCount> padButtons{};
    int musicVolume = kMaxVolume;
    int effectsVolume = kMaxVolume;
    bool fullscreen = false;
    bool dropPreview = false;
    std::string lastName;
};
