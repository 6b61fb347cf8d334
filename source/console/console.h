#pragma once

#include <list>
#include <mutex>
#include <string>

#include "shell/hresult.h"

// The drop-down console: the last lines any part of the system printed, the
// typed command line, and the run-time flags the commands switch.
class C_Console {
public:
    C_Console() = default;
    ~C_Console() = default;
    C_Console(const C_Console&) = delete;
    C_Console& operator=(const C_Console&) = delete;

    // Clears the flags and prints the banner. Cannot fail.
    HRESULT Init();
    // Safe from any thread; the line list is trimmed by the next Update.
    void AddLine(std::string text);
    // One typed byte; everything but TAB is ignored while the console is closed.
    HRESULT OnChar(char c);
    // Trims the line list and moves the slide one step.
    HRESULT Update();
    HRESULT Render();

    void SetPaused(bool paused) { pauseFlag = paused ? 1 : 0; }
    void SetFpsOn(bool on) { fpsFlag = on ? 1 : 0; }

    bool IsOpen() const { return open != 0; }
    bool IsPaused() const { return pauseFlag != 0; }
    bool IsFpsOn() const { return fpsFlag != 0; }
    bool IsTestOn() const { return testFlag != 0; }
    bool IsMouseOn() const { return mouseFlag != 0; }
    int GetOffset() const { return offset; }
    const std::string& GetInput() const { return input; }
    // A copy of the lines, newest first.
    std::list<std::string> GetLines() const;

private:
    int open = 0;
    int fpsFlag = 0;
    int testFlag = 0;
    int mouseFlag = 0;
    int pauseFlag = 0;
    // Guards `lines`: the network handler prints from its own thread.
    mutable std::mutex linesLock;
    std::list<std::string> lines;
    std::string input;
    int lineHeight = 13;
    int lineCapacity = 40;
    int height = 13 * 40;
    int offset = 0;
    int initialised = 0;
};
