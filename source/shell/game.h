#pragma once

#include <string>

namespace platform {
struct Event;
}

// The application: its constructor brings the framework objects up in order,
// Frame runs one frame, and its destructor tears everything down.
class C_Game {
public:
    // Initialises view, console, controller and model, reporting each failure
    // and going on.
    C_Game();
    // Releases every wave and the sound device, then deletes net, model,
    // controller, console and view, in that order.
    ~C_Game();
    C_Game(const C_Game&) = delete;
    C_Game& operator=(const C_Game&) = delete;

    // Input, then the model's update, then drawing. The second frame first
    // starts what the first picture did not need.
    void Frame();

private:
    long frames = 0;
};

// The window's event handler: activation, typed characters, quit, and an
// expose, which shows the last frame again without running one.
// Returns false for the quit request.
bool HandleEvent(const platform::Event& event);

// Runs the event loop until a quit request: one event per turn, a frame on a
// turn that found none while the window is active, a blocking wait while it
// is not. Returns how many frames ran.
long RunEventLoop(C_Game& game);

// What the command line asks for: `--replay FILE` opens that replay on its
// game's screen. False, with the line to print in `why`, for anything else.
struct Options {
    std::string replay;
};
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& why);

// The whole program: seeds the random numbers, starts up, loops, shuts down.
int GameMain(int argc = 0, const char* const* argv = nullptr);
