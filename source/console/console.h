#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "core/hresult.h"

// The drop-down console: the last lines any part of the system printed, the
// typed command line, and the run-time flags the commands switch.
class C_Font;
class C_Sprite;

class C_Console {
public:
    C_Console();
    // The font and the backdrop go first, then the input and the lines.
    ~C_Console();
    C_Console(const C_Console&) = delete;
    C_Console& operator=(const C_Console&) = delete;

    // Clears the flags, makes the font and the backdrop, and prints the
    // banner. Always S_OK: a font or picture that fails reports itself.
    HRESULT Init();
    // Safe from any thread; the oldest line goes once there are more than
    // the open console shows.
    void AddLine(std::string text);
    // One typed byte; everything but TAB is ignored while the console is closed.
    // The bytes of a UTF-8 character join the input only once all have come
    // and only if the whole character fits in kMaxInputBytes.
    HRESULT OnChar(char c);
    // A key went down: while open, Up and Down walk the lines run before
    // (newest first) and back to the line being typed; other keys do nothing.
    void OnKeyDown(int key);
    // Runs the input line as a command and echoes its reply; the caller empties it.
    void ExecuteCommand();
    // Moves the slide one step.
    HRESULT Update();
    // The backdrop, the input bar and text, and the lines that fit above it,
    // oldest at the top; nothing while closed and fully slid away.
    HRESULT Render();

    void SetPaused(bool paused) { pauseFlag = paused ? 1 : 0; }
    void SetFpsOn(bool on) { fpsFlag = on ? 1 : 0; }
    void SetTestOn(bool on) { testFlag = on ? 1 : 0; }
    void SetMouseOn(bool on) { mouseFlag = on ? 1 : 0; }
    void ClearLines();

    bool IsOpen() const { return open != 0; }
    bool IsPaused() const { return pauseFlag != 0; }
    bool IsFpsOn() const { return fpsFlag != 0; }
    bool IsTestOn() const { return testFlag != 0; }
    bool IsMouseOn() const { return mouseFlag != 0; }
    int GetOffset() const { return offset; }
    int GetHeight() const { return height; }
    int GetLineHeight() const { return lineHeight; }
    const std::string& GetInput() const { return input; }
    // A copy of the lines, newest first.
    std::list<std::string> GetLines() const;

    // Generous for any command, and a paste cannot grow the line without end.
    static constexpr std::size_t kMaxInputBytes = 1000;
    // How many lines run before Up and Down can recall, for this run only.
    static constexpr std::size_t kHistorySize = 32;

    // The backdrop's tint is opaque enough that the black lines stay readable
    // even over a black screen; the input bar darkens whatever lies under the
    // white input text.
    static constexpr uint32_t kBackdropColour = 0x80FAFFFF;
    static constexpr uint32_t kLineColour = 0xFF000000;
    static constexpr uint32_t kInputBarColour = 0xC8000000;
    static constexpr uint32_t kInputColour = 0xFFFFFFFF;

private:
    void AppendByte(unsigned char byte);
    void AppendCharacter(const std::string& character);
    void RemoveLastCharacter();
    void Remember(const std::string& line);
    void StopRecalling();

    int open = 0;
    int fpsFlag = 0;
    int testFlag = 0;
    int mouseFlag = 0;
    int pauseFlag = 0;
    // Guards `lines`: the network handler prints from its own thread.
    mutable std::mutex linesLock;
    std::list<std::string> lines;
    std::string input;
    // The first bytes of a UTF-8 character whose last bytes have not come yet.
    std::string partialCharacter;
    std::size_t partialLength = 0;
    // Lines run before, newest first; none blank, none the same as the one before.
    std::deque<std::string> history;
    // How far back the input line was recalled from (0: it is being typed),
    // and the typed line to come back to.
    std::size_t recalled = 0;
    std::string draft;
    int lineHeight = 13;
    int lineCapacity = 40;
    int height = 13 * 40;
    int offset = 0;
    int initialised = 0;
    // Declared last so they are destroyed first.
    std::unique_ptr<C_Sprite> backdrop;
    std::unique_ptr<C_Font> font;
};
