#pragma once

namespace platform {

enum class EventType {
    None,
    Quit,        // window closed, SIGTERM/SIGINT, or PostQuit
    Activate,    // the window became the foreground window
    Deactivate,  // the window lost the foreground
    Expose,      // what the window showed was lost (covered, resized, the renderer reset): show it
                 // again
    Text,        // typed bytes (Tab, Return, Backspace and Escape arrive as 9, 13, 8, 27)
    KeyDown,     // a key went down (not its auto-repeats); `key` says which
    KeyUp,
    MouseMotion,      // relative movement `dx`, `dy` in pixels
    MouseButtonDown,  // `button` 0 left, 1 right, 2 middle, 3 and 4 the side buttons
    MouseButtonUp,
    MouseWheel,     // `wheel`: 120 per notch away from the user, negative towards
    PadButtonDown,  // a game controller's button went down; `button` is its PAD_ number, `pad`
                    // the controller's
    PadButtonUp,
    PadRemoved,          // the game controller `pad` was unplugged (after its buttons' PadButtonUp)
    FullscreenSwitched,  // F11 or Alt+Enter switched the window to fullscreen or back
    Other,               // anything the system does not react to
};

struct Event {
    EventType type = EventType::None;
    // Text events: the typed bytes, NUL-terminated.
    char text[32] = {};
    // Key events: the key's DIK_ code (input/keycodes.h).
    int key = 0;
    int dx = 0;
    int dy = 0;
    // Mouse buttons as above; controller buttons by PAD_ number (core/padbuttons.h).
    int button = 0;
    // Controller events: which controller, by a number of its own from 0 that
    // it keeps until unplugged.
    int pad = 0;
    int wheel = 0;
};

// Takes one pending event; false when none is pending. A key that also types
// a control character gives its KeyDown first and its Text on the next call.
// F11 and Alt+Enter switch the window to fullscreen and back and give
// FullscreenSwitched. A game controller's buttons arrive as PadButtonDown and
// PadButtonUp, each controller's own, the left stick as the d-pad (one press
// per push past half its travel; a button held by the d-pad and the stick at
// once goes up when both let go); one that is unplugged lets go of every
// button it held and gives PadRemoved.
bool PollEvent(Event* event);

// Blocks until an event is pending, without taking it.
void WaitEvent();

// Asks the event loop to end; each request is delivered once, as a Quit event.
void PostQuit();

// Whether keyboard and mouse can be read: the event system and the window exist.
bool InputAvailable();

// Typed text arrives as Text events from now on.
void StartTextInput();

// Exclusive use of the mouse: the pointer is hidden and held inside the
// window, and only relative motion is reported. False if the platform refuses.
bool CaptureMouse();
void ReleaseMouse();

// The pointer's position over the window, in window pixels (0, 0 if unknown).
void PointerPosition(int* x, int* y);

// The key's DIK_ code, 0 for keys the game has no code for.
int KeyCodeForScancode(int scancode);

}  // namespace platform
