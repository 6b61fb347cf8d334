#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/gamestate.h"
#include "screens/screencontext.h"
#include "screens/textbox.h"
#include "store/settings.h"

class C_Button;
class C_Font;
class C_GameSounds;
class C_Sprite;

// The player's choices, from the menu: for each player (a page each, picked
// by the tabs beside the title) a key and a controller button for every
// action (a click on one, then the new key or button; one that is taken, by
// either player, is refused with a word why) and how held moves act; the
// music and effects volumes (heard as they change), fullscreen and the drop
// preview, and the relay that matches over the internet meet at (a click,
// then the address typed and Enter; one that is no HOST or HOST:PORT is
// refused with a word why, and an empty one names none). Every change is
// saved at once. Escape, or the menu button, goes back; Escape while a key is
// awaited gives up waiting, and while the relay is typed gives up typing.
class C_SettingsScreen : public C_GameState {
public:
    explicit C_SettingsScreen(const ScreenContext& context);
    ~C_SettingsScreen() override;

    void HandleInput() override;
    void Update() override;
    void Render() override;

    // Waits for the key (or, with `pad`, the button) of `action`.
    void StartCapture(GameAction action, bool pad);
    bool IsCapturing() const { return capturing; }
    // The word on the screen about the last key or button tried; empty when
    // it was taken.
    const std::string& GetMessage() const { return message; }
    // Puts every key and button of both players back to the game's own.
    void RestoreDefaults();
    // The player whose keys and moves the screen shows.
    void ShowSeat(int seat);
    int GetSeat() const { return page; }
    // Starts typing the relay's address, from the one set.
    void StartRelayTyping();
    bool IsTypingRelay() const { return typingRelay; }

    // Where the screen writes, in screen pixels; each action's row holds a
    // key box and a controller box, then come the four options.
    static constexpr int kRowTop = 122;
    static constexpr int kRowStep = 36;
    static constexpr int kRowHeight = 30;
    static constexpr int kOptionTop = 418;
    static constexpr int kOptionStep = 34;
    static TextBox KeyBox(int action);
    static TextBox PadBox(int action);
    // The options: music, effects, fullscreen, drop preview.
    static TextBox OptionBox(int option);
    // Within a volume's option row: the value, and the boxes that lower and raise it.
    static TextBox VolumeValueBox(int option);
    static TextBox VolumeDownBox(int option);
    static TextBox VolumeUpBox(int option);
    static constexpr TextBox kMessageBox = {30, 592, 420, 640};
    static constexpr int kOptions = 4;
    // The tab of each player, beside the title.
    static TextBox PlayerBox(int seat);
    // Right of the options, the shown player's moves: the mode's box, then
    // the repeat delay's and interval's rows, each a value between the
    // boxes that lower and raise it.
    static TextBox MoveModeBox();
    static TextBox RepeatValueBox(int row);
    static TextBox RepeatDownBox(int row);
    static TextBox RepeatUpBox(int row);
    // Under the moves, the relay's address.
    static TextBox RelayBox();
    static constexpr int kRepeatDelayRow = 0;
    static constexpr int kRepeatIntervalRow = 1;
    // What one click on a repeat row's - or + moves its value to the next
    // multiple of.
    static constexpr int kRepeatDelayStep = 10;
    static constexpr int kRepeatIntervalStep = 5;
    // Text colours: a value, one under the pointer, the one awaited, the message.
    static constexpr uint32_t kTextColour = 0xFFEAF0F7;
    static constexpr uint32_t kHoverColour = 0xFF7FE6FF;
    static constexpr uint32_t kAwaitColour = 0xFFFFB03C;
    static constexpr uint32_t kMessageColour = 0xFFFFB03C;
    // The tab of the player not shown.
    static constexpr uint32_t kOtherPageColour = 0xFF96B2C6;

private:
    void HandleCapture();
    void HandleRelayTyping();
    void HandleClicks();
    void TryKey(int key);
    void TryPadButton(int button);
    // Sets the binding unless another action holds the code; says why not.
    void Bind(int code);
    void ChangeVolume(int option, int step);
    void HandleMoveClicks();
    void StepRepeat(int row, int direction);
    void Changed();
    void DrawCell(const TextBox& box, const std::string& text, bool awaited,
                  uint32_t colour = kTextColour);
    void DrawMessage();

    ScreenContext context;
    C_Settings* settings;
    std::unique_ptr<C_Sprite> background;
    std::unique_ptr<C_Button> defaultsButton;
    std::unique_ptr<C_Button> menuButton;
    std::unique_ptr<C_Font> font;
    std::unique_ptr<C_GameSounds> sounds;
    bool capturing = false;
    GameAction awaited = GameAction::MoveLeft;
    bool awaitedPad = false;
    int page = 0;
    std::string message;
    bool typingRelay = false;
    std::string relayText;
};
