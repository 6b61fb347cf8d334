#include "platform/events.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <cstring>
#include <deque>
#include <map>
#include <utility>

#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "platform/sdlaccess.h"

namespace platform {
namespace {

std::atomic<int> g_quitRequests{0};

// Events that one system event gave besides the first: a key's Text after
// its KeyDown, a controller's buttons.
std::deque<Event> g_pendingEvents;

// DirectInput reports wheel motion in these units per notch.
constexpr int kWheelDelta = 120;

constexpr std::pair<SDL_Scancode, int> kKeyCodes[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, DIK_1},
    {SDL_SCANCODE_2, DIK_2},
    {SDL_SCANCODE_3, DIK_3},
    {SDL_SCANCODE_4, DIK_4},
    {SDL_SCANCODE_5, DIK_5},
    {SDL_SCANCODE_6, DIK_6},
    {SDL_SCANCODE_7, DIK_7},
    {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9},
    {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH},
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DIK_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1},
    {SDL_SCANCODE_F2, DIK_F2},
    {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5},
    {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7},
    {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
    {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_F13, DIK_F13},
    {SDL_SCANCODE_F14, DIK_F14},
    {SDL_SCANCODE_F15, DIK_F15},
    {SDL_SCANCODE_KP_EQUALS, DIK_NUMPADEQUALS},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_KP_COMMA, DIK_NUMPADCOMMA},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT},
    {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN},
    {SDL_SCANCODE_RGUI, DIK_RWIN},
    {SDL_SCANCODE_APPLICATION, DIK_APPS},
};

using KeyCodeTable = std::array<unsigned char, SDL_NUM_SCANCODES>;

KeyCodeTable BuildKeyCodeTable() {
    KeyCodeTable table{};
    for (const auto& [scancode, code] : kKeyCodes) {
        table[scancode] = static_cast<unsigned char>(code);
    }
    return table;
}

const KeyCodeTable g_keyCodeTable = BuildKeyCodeTable();

// A game controller's buttons by the game's numbers.
constexpr std::pair<SDL_GameControllerButton, int> kPadButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, PAD_A},
    {SDL_CONTROLLER_BUTTON_B, PAD_B},
    {SDL_CONTROLLER_BUTTON_X, PAD_X},
    {SDL_CONTROLLER_BUTTON_Y, PAD_Y},
    {SDL_CONTROLLER_BUTTON_BACK, PAD_BACK},
    {SDL_CONTROLLER_BUTTON_GUIDE, PAD_GUIDE},
    {SDL_CONTROLLER_BUTTON_START, PAD_START},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, PAD_LEFT_STICK},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, PAD_RIGHT_STICK},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PAD_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PAD_RIGHT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PAD_DPAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PAD_DPAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PAD_DPAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PAD_DPAD_RIGHT},
};

// The left stick presses an arrow past half its travel and lets go only back
// inside a quarter, so a stick resting near the edge gives one press, not many.
constexpr int kStickPress = 16384;
constexpr int kStickRelease = 8192;

struct Pad {
    std::array<bool, SDL_CONTROLLER_BUTTON_MAX> buttons{};
    int stickX = 0;  // -1 left, 1 right
    int stickY = 0;  // -1 up, 1 down
    // How many of its buttons and stick directions hold each of the game's
    // buttons: the d-pad's and the stick's arrows are one.
    std::array<int, kPadButtonCount> holds{};
};

std::map<SDL_JoystickID, Pad> g_pads;

void PadPress(SDL_JoystickID id, int button, bool down) {
    int& holds = g_pads[id].holds[static_cast<size_t>(button)];
    holds += down ? 1 : -1;
    if (holds == (down ? 1 : 0)) {
        Event event;
        event.type = down ? EventType::PadButtonDown : EventType::PadButtonUp;
        event.button = button;
        event.pad = static_cast<int>(id);
        g_pendingEvents.push_back(event);
    }
}

void OnPadButton(SDL_JoystickID id, int button, bool down) {
    for (const auto& [sdlButton, padButton] : kPadButtons) {
        if (sdlButton == button) {
            bool& held = g_pads[id].buttons[static_cast<size_t>(button)];
            if (held != down) {
                held = down;
                PadPress(id, padButton, down);
            }
            return;
        }
    }
}

// -1, 0 or 1 for a stick axis at `value` that was at `held`.
int StickDirection(int held, int value) {
    const int threshold = held != 0 ? kStickRelease : kStickPress;
    if (value >= threshold) {
        return 1;
    }
    return value <= -threshold ? -1 : 0;
}

void OnPadAxis(SDL_JoystickID id, int axis, int value) {
    if (axis != SDL_CONTROLLER_AXIS_LEFTX && axis != SDL_CONTROLLER_AXIS_LEFTY) {
        return;
    }
    const bool across = axis == SDL_CONTROLLER_AXIS_LEFTX;
    int& held = across ? g_pads[id].stickX : g_pads[id].stickY;
    const int now = StickDirection(held, value);
    if (now == held) {
        return;
    }
    const int towardsMinus = across ? PAD_DPAD_LEFT : PAD_DPAD_UP;
    const int towardsPlus = across ? PAD_DPAD_RIGHT : PAD_DPAD_DOWN;
    if (held != 0) {
        PadPress(id, held < 0 ? towardsMinus : towardsPlus, false);
    }
    held = now;
    if (now != 0) {
        PadPress(id, now < 0 ? towardsMinus : towardsPlus, true);
    }
}

// A controller that goes lets go of everything it held, then says it went.
void OnPadRemoved(SDL_JoystickID id) {
    if (g_pads.count(id) != 0) {
        for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
            OnPadButton(id, button, false);
        }
        OnPadAxis(id, SDL_CONTROLLER_AXIS_LEFTX, 0);
        OnPadAxis(id, SDL_CONTROLLER_AXIS_LEFTY, 0);
        g_pads.erase(id);
        Event event;
        event.type = EventType::PadRemoved;
        event.pad = static_cast<int>(id);
        g_pendingEvents.push_back(event);
    }
    if (SDL_GameController* controller = SDL_GameControllerFromInstanceID(id)) {
        SDL_GameControllerClose(controller);
    }
}

// The game's numbering of SDL's buttons; -1 for the ones it has none for.
int ButtonNumber(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT:
            return 0;
        case SDL_BUTTON_RIGHT:
            return 1;
        case SDL_BUTTON_MIDDLE:
            return 2;
        case SDL_BUTTON_X1:
            return 3;
        case SDL_BUTTON_X2:
            return 4;
        default:
            return -1;
    }
}

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

// F11 and Alt+Enter switch fullscreen; the game sees only that they did.
bool IsFullscreenToggle(const SDL_KeyboardEvent& in) {
    const SDL_Scancode scancode = in.keysym.scancode;
    return scancode == SDL_SCANCODE_F11 ||
           ((scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER) &&
            (in.keysym.mod & KMOD_ALT) != 0);
}

// A key held down repeats its typed character but is one press to the game.
void TranslateKeyDown(const SDL_KeyboardEvent& in, Event* out) {
    if (IsFullscreenToggle(in)) {
        if (in.repeat == 0) {
            ToggleFullscreen();
            out->type = EventType::FullscreenSwitched;
        }
        return;
    }
    const char c = ControlCharacter(in.keysym.scancode);
    const int code = KeyCodeForScancode(in.keysym.scancode);
    if (in.repeat != 0 || code == 0) {
        if (c != 0) {
            SetText(out, c);
        }
        return;
    }
    out->type = EventType::KeyDown;
    out->key = code;
    if (c != 0) {
        Event text;
        SetText(&text, c);
        g_pendingEvents.push_back(text);
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
            } else if (in.window.event == SDL_WINDOWEVENT_EXPOSED ||
                       in.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                out->type = EventType::Expose;
            }
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            out->type = EventType::Expose;
            break;
        case SDL_TEXTINPUT:
            out->type = EventType::Text;
            std::memcpy(out->text, in.text.text, sizeof(out->text));
            out->text[sizeof(out->text) - 1] = '\0';
            break;
        case SDL_KEYDOWN:
            TranslateKeyDown(in.key, out);
            break;
        case SDL_KEYUP:
            if (const int code = KeyCodeForScancode(in.key.keysym.scancode); code != 0) {
                out->type = EventType::KeyUp;
                out->key = code;
            }
            break;
        case SDL_MOUSEMOTION:
            out->type = EventType::MouseMotion;
            out->dx = in.motion.xrel;
            out->dy = in.motion.yrel;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (const int button = ButtonNumber(in.button.button); button >= 0) {
                out->type = in.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseButtonDown
                                                           : EventType::MouseButtonUp;
                out->button = button;
            }
            break;
        // A controller's keys follow as pending events.
        case SDL_CONTROLLERDEVICEADDED:
            SDL_GameControllerOpen(in.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            OnPadRemoved(in.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            OnPadButton(in.cbutton.which, in.cbutton.button, in.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION:
            OnPadAxis(in.caxis.which, in.caxis.axis, in.caxis.value);
            break;
        case SDL_MOUSEWHEEL:
            out->type = EventType::MouseWheel;
            out->wheel = in.wheel.y * kWheelDelta;
            if (in.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
                out->wheel = -out->wheel;
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
    if (!g_pendingEvents.empty()) {
        *event = g_pendingEvents.front();
        g_pendingEvents.pop_front();
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
    if (g_quitRequests.load() > 0 || !g_pendingEvents.empty()) {
        return;
    }
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        // Nothing can arrive but a quit request; do not spin while waiting.
        SDL_Delay(10);
        return;
    }
    SDL_WaitEvent(nullptr);
}

void ForgetGamepads() {
    g_pads.clear();
}

void PostQuit() {
    ++g_quitRequests;
}

bool InputAvailable() {
    return SDL_WasInit(SDL_INIT_EVENTS) != 0 && ActiveWindow() != nullptr;
}

void StartTextInput() {
    SDL_StartTextInput();
}

bool CaptureMouse() {
    return SDL_SetRelativeMouseMode(SDL_TRUE) == 0;
}

void ReleaseMouse() {
    SDL_SetRelativeMouseMode(SDL_FALSE);
}

void PointerPosition(int* x, int* y) {
    *x = 0;
    *y = 0;
    if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
        SDL_GetMouseState(x, y);
        // In picture pixels, which differ from the window's in fullscreen.
        if (SDL_Renderer* renderer = ActiveRenderer(); renderer != nullptr) {
            float pictureX = 0.0f;
            float pictureY = 0.0f;
            SDL_RenderWindowToLogical(renderer, *x, *y, &pictureX, &pictureY);
            *x = static_cast<int>(pictureX);
            *y = static_cast<int>(pictureY);
        }
    }
}

int KeyCodeForScancode(int scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    return g_keyCodeTable[static_cast<size_t>(scancode)];
}

}  // namespace platform
