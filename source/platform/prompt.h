#pragma once

#include <functional>
#include <string>

namespace platform {

// Answers a yes/no question; true means Yes.
using PromptHook = std::function<bool(const std::string& title, const std::string& text)>;

// Asks the user a blocking yes/no question with an error icon. A message box
// where a display exists; otherwise the text goes to standard error and the
// answer is read from standard input when that is a terminal, else it is No.
// SIGTERM, SIGINT or a request to close the window while the box is open
// closes it as if answered No, and from then on every question is No at once:
// the run is ending, and the event loop leaves through the normal shutdown.
bool AskYesNo(const std::string& title, const std::string& text);

// Replaces the question with `hook` (tests record and answer); an empty hook
// restores the real prompt.
void SetPromptHook(PromptHook hook);

// Makes the system mouse cursor visible over the window.
void ShowSystemCursor();

}  // namespace platform
