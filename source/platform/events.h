#pragma once

namespace platform {

enum class EventType {
    None,
    Quit,        // window closed, SIGTERM/SIGINT, or PostQuit
    Activate,    // the window became the foreground window
    Deactivate,  // the window lost the foreground
    Text,        // typed bytes (Tab, Return, Backspace and Escape arrive as 9, 13, 8, 27)
    Other,       // anything the system does not react to
};

struct Event {
    EventType type = EventType::None;
    // Text events: the typed bytes, NUL-terminated.
    char text[32] = {};
};

// Takes one pending event; false when none is pending.
bool PollEvent(Event* event);

// Blocks until an event is pending, without taking it.
void WaitEvent();

// Asks the event loop to end; each request is delivered once, as a Quit event.
void PostQuit();

}  // namespace platform
