#pragma once

#include <array>
#include <memory>

#include "core/hresult.h"
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
    int GetKeyState(int key) const;
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

    // One key or mouse event from the event loop, buffered for the next Update.
    void OnInputEvent(const platform::Event& event);
    // The window lost the foreground: both devices stop delivering until re-acquired.
    void OnFocusLost();

    C_Keyboard* GetKeyboard() const { return keyboard.get(); }
    C_Mouse* GetMouse() const { return mouse.get(); }
    bool IsInitialised() const { return initialised != 0; }

private:
    static bool ConsoleHasKeyboard();

    std::unique_ptr<C_Keyboard> keyboard;
    // Keys the console took: down while it was open, not yet seen up since.
    std::array<bool, kKeyCodeCount> consoleKeys{};
    std::unique_ptr<C_Mouse> mouse;
    int initialised = 0;
};
