#include "core/error.h"
#include "core/globals.h"
#include "platform/prompt.h"

// The report lives with the shell, not in core: it is the one place below the
// top of the program that talks to the user.
void DXError(std::string file, int line, HRESULT hr, std::string message) {
    // The pointer is a sprite drawn by the game; a report needs the real one,
    // and it stays visible afterwards.
    platform::ShowSystemCursor();
    if (platform::AskYesNo("Oh Crap...", ComposeErrorText(file, line, hr, message))) {
        RequestQuit();
    }
}
