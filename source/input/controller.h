#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/hresult.h"
#include "core/padbuttons.h"
#include "input/keyboard.h"
#include "input/mouse.h"

class C_GameObject;
namespace platform {
struct Event;
}

// What GetKeyState reports for a key.
constexpr int KEY_HELD = 0;
constexpr int KEY_UP = 1;
constexpr int KEY_RELEASED = 2;

// Reads the keyboard and the mouse once per frame, first in the frame, and
// hands control to the current screen's input handling. Screens and objects
// read input only through its queries.
class C_Controller {
public:
    C_Controller() = default;
    ~C_Controller();
    C_Controller(const C_Controller&) = delete;
    C_Controller& operator=(const C_Controller&) = delete;

    // Opens input and makes the keyboard and the mouse; E_FAIL without a window.
    HRESULT Init();
    HRESULT Update();

    // Key and button states: 0 down, 1 up, 2 released since the previous frame.
    // While the console is open the keyboard is its own: every key reads up,
    // and a key that went down for the console reads up until it is let go.
    // A key here is the keyboard's key or the controller button that stands
    // for it on every screen (d-pad: arrows, A: X, B: Z, Start: Space, Back:
    // Escape), whichever says more: down, else released.
    int GetKeyState(int key) const;
    // The keyboard's key alone, and a controller button (PAD_) alone, for
    // the play screen, which binds each to an action of the player's choice.
    int GetKeyboardKeyState(int key) const;
    int GetPadButtonState(int button) const;
    // A button of one controller alone (`pad` its number; kEveryPad reads
    // them all together as GetPadButtonState(button) does, kNoPad none), for
    // players at one machine who each play with a controller of their own.
    int GetPadButtonState(int pad, int button) const;
    // The controllers plugged in that have had some button down, by number.
    std::vector<int> Pads() const;
    // Whether controller `pad` holds some button down.
    bool PadHeld(int pad) const;
    // Whether controller `pad` has been seen and not unplugged since.
    bool PadPlugged(int pad) const;
    // What was typed since the previous frame, as bytes (Backspace 8, Enter
    // 13), while the console was shut.
    const std::string& GetTypedText() const { return typed; }
    bool IsKeyHeld(int key) const { return GetKeyState(key) == KEY_HELD; }
    // Let go since the previous frame: true for that one frame only.
    bool IsKeyReleased(int key) const { return GetKeyState(key) == KEY_RELEASED; }
    int GetMouseButtonState(int button) const;
    int GetMouseX() const;
    int GetMouseY() const;
    int GetMouseZ() const;
    int GetMouseDeltaX() const;
    int GetMouseDeltaY() const;
    int GetMouseDeltaZ() const;
    // Left and top edges inside, right and bottom edges outside.
    bool IsMouseOver(const C_GameObject* obj) const;
    HRESULT Reacquire();
    // The pointer picture at the pointer; screens with buttons call it in Render.
    void DrawMousePointer();

    // One key, controller or mouse event from the event loop, buffered for
    // the next Update.
    void OnInputEvent(const platform::Event& event);
    // Typed bytes from the event loop, after the console saw them.
    void OnText(const char* text);
    // The window lost the foreground: both devices stop delivering until re-acquired.
    void OnFocusLost();

    C_Keyboard* GetKeyboard() const { return keyboard.device.get(); }
    C_Mouse* GetMouse() const { return mouse.get(); }
    bool IsInitialised() const { return initialised != 0; }

private:
    static bool ConsoleHasKeyboard();

    // A device of buttons read as keys are, and those the console took: down
    // while it was open, not yet seen up since.
    struct Buttons {
        std::unique_ptr<C_Keyboard> device;
        std::array<bool, kKeyCodeCount> consoleTook{};

        void Update(bool consoleOpen);
        void OnPress(int slot, bool down, bool consoleOpen);
        int State(int slot) const;
    };

    // One controller: its buttons, and whether it is still plugged in.
    struct OnePad {
        Buttons buttons;
        bool plugged = true;
    };

    // A controller's button went down or up: its own, and every controller's
    // together, where a button is down while any controller holds it.
    void OnPadPress(int id, int button, bool down);

    Buttons keyboard;
    // Every controller's buttons together, each in the slot one past its PAD_
    // number: the key store keeps no slot 0.
    Buttons pad;
    // How many controllers hold each button down.
    std::array<int, kPadButtonCount> padHolds{};
    // Each controller's own, by number.
    std::map<int, OnePad> pads;
    std::string typedPending;
    std::string typed;
    std::unique_ptr<C_Mouse> mouse;
    int initialised = 0;
};
