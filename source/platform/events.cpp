#include "platform/events.h"

#include <SDL.h>

#include <atomic>
#include <cstring>

namespace platform {
namespace {

std::atomic<int> g_quitRequests{0};

bool TakeQuitRequest() {
    int pending = g_quitRequests.load();
    while (pending > 0) {
        if (g_quitRequests.compare_exchange_weak(pending, pending - 1)) {
            return true;
        }
    }
    return false;
}

void SetText(Event* event, char c) {
    event->type = EventType::Text;
    event->text[0] = c;
    event->text[1] = '\0';
}

// The keys that type a control character rather than text.
char ControlCharacter(SDL_Scancode scancode) {
    switch (scancode) {
        case SDL_SCANCODE_TAB:
            return 9;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER:
            return 13;
        case SDL_SCANCODE_BACKSPACE:
            return 8;
        case SDL_SCANCODE_ESCAPE:
            return 27;
        default:
            return 0;
    }
}

void Translate(const SDL_Event& in, Event* out) {
    out->type = EventType::Other;
    switch (in.type) {
        case SDL_QUIT:
            out->type = EventType::Quit;
            break;
        case SDL_WINDOWEVENT:
            if (in.window.event == SDL_WINDOWEVENT_SHOWN ||
                in.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                out->type = EventType::Activate;
            } else if (in.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                out->type = EventType::Deactivate;
            }
            break;
        case SDL_TEXTINPUT:
            out->type = EventType::Text;
            std::memcpy(out->text, in.text.text, sizeof(out->text));
            out->text[sizeof(out->text) - 1] = '\0';
            break;
        case SDL_KEYDOWN:
            if (const char c = ControlCharacter(in.key.keysym.scancode); c != 0) {
                SetText(out, c);
            }
            break;
        default:
            break;
    }
}

}  // namespace

bool PollEvent(Event* event) {
    *event = Event{};
    if (TakeQuitRequest()) {
        event->type = EventType::Quit;
        return true;
    }
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return false;
    }
    SDL_Event in;
    if (SDL_PollEvent(&in) == 0) {
        return false;
    }
    Translate(in, event);
    return true;
}

void WaitEvent() {
    if (g_quitRequests.load() > 0) {
        return;
    }
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        // Nothing can arrive but a quit request; do not spin while waiting.
        SDL_Delay(10);
        return;
    }
    SDL_WaitEvent(nullptr);
}

void PostQuit() {
    ++g_quitRequests;
}

}  // namespace platform
