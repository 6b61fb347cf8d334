#include "platform/prompt.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "platform/sdlaccess.h"

namespace platform {
namespace {

PromptHook g_promptHook;

bool HasRealDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
           std::strcmp(driver, "dummy") != 0;
}

bool AskWithMessageBox(const std::string& title, const std::string& text, bool* answer) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_ERROR;
    box.window = ActiveWindow();
    box.title = title.c_str();
    box.message = text.c_str();
    box.numbuttons = 2;
    box.buttons = buttons;
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        return false;
    }
    *answer = pressed == 1;
    return true;
}

bool AskOnTerminal(const std::string& title, const std::string& text) {
    std::cerr << title << "\n" << text << " [y/N] " << std::flush;
    if (isatty(STDIN_FILENO) == 0) {
        std::cerr << "\n";
        return false;
    }
    std::string reply;
    if (!std::getline(std::cin, reply)) {
        return false;
    }
    return !reply.empty() && (reply[0] == 'y' || reply[0] == 'Y');
}

}  // namespace

bool AskYesNo(const std::string& title, const std::string& text) {
    if (g_promptHook) {
        return g_promptHook(title, text);
    }
    bool answer = false;
    if (HasRealDisplay() && AskWithMessageBox(title, text, &answer)) {
        return answer;
    }
    return AskOnTerminal(title, text);
}

void SetPromptHook(PromptHook hook) {
    g_promptHook = std::move(hook);
}

void ShowSystemCursor() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

}  // namespace platform
