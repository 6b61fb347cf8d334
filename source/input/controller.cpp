#include "input/controller.h"

#include <algorithm>
#include <utility>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "model/gameobject.h"
#include "model/model.h"
#include "platform/events.h"

namespace {

// The controller buttons that stand for keys on every screen.
constexpr std::pair<int, int> kPadKeys[] = {
    {PAD_DPAD_UP, DIK_UP},
    {PAD_DPAD_DOWN, DIK_DOWN},
    {PAD_DPAD_LEFT, DIK_LEFT},
    {PAD_DPAD_RIGHT, DIK_RIGHT},
    {PAD_A, DIK_X},
    {PAD_B, DIK_Z},
    {PAD_START, DIK_SPACE},
    {PAD_BACK, DIK_ESCAPE},
};

int PadSlot(int button) {
    return button + 1;
}

// Down if either is down, else released if either was released.
int EitherState(int a, int b) {
    if (a == KEY_HELD || b == KEY_HELD) {
        return KEY_HELD;
    }
    return a == KEY_RELEASED || b == KEY_RELEASED ? KEY_RELEASED : KEY_UP;
}

}  // namespace

void C_Controller::Buttons::Update(bool consoleOpen) {
    if (!device) {
        return;
    }
    device->Update();
    for (int slot = 0; slot < kKeyCodeCount; ++slot) {
        bool& taken = consoleTook[static_cast<size_t>(slot)];
        taken = (consoleOpen || taken) && device->GetKeyState(slot) != KEY_UP;
    }
}

void C_Controller::Buttons::OnPress(int slot, bool down, bool consoleOpen) {
    if (!device) {
        return;
    }
    // Decided as the key goes down: a press typed into the console stays
    // the console's even if TAB closes it before the next frame.
    if (down && slot > 0 && slot < kKeyCodeCount) {
        consoleTook[static_cast<size_t>(slot)] = consoleOpen;
    }
    device->OnKey(slot, down);
}

int C_Controller::Buttons::State(int slot) const {
    if (!device || (slot >= 0 && slot < kKeyCodeCount && consoleTook[static_cast<size_t>(slot)])) {
        return KEY_UP;
    }
    return device->GetKeyState(slot);
}

C_Controller::~C_Controller() {
    keyboard.device.reset();
    pad.device.reset();
    pads.clear();
    mouse.reset();
}

HRESULT C_Controller::Init() {
    if (!platform::InputAvailable()) {
        DXError("controller", __LINE__, E_FAIL, "CreateDevice() failed on controller.");
        return E_FAIL;
    }
    platform::StartTextInput();
    keyboard.device = std::make_unique<C_Keyboard>(true);
    pad.device = std::make_unique<C_Keyboard>(true);
    mouse = std::make_unique<C_Mouse>(true);
    initialised = 1;
    return S_OK;
}

HRESULT C_Controller::Update() {
    // Without input there are no devices; the screen still gets its turn.
    const bool consoleOpen = ConsoleHasKeyboard();
    keyboard.Update(consoleOpen);
    pad.Update(consoleOpen);
    for (auto& [id, one] : pads) {
        one.buttons.Update(consoleOpen);
    }
    typed.swap(typedPending);
    typedPending.clear();
    if (mouse) {
        mouse->Update();
    }
    // No screen after a rejected switch: nothing to hand input to.
    if (C_GameState* state = g_pModel->GetState(); state != nullptr) {
        state->HandleInput();
    }
    return S_OK;
}

int C_Controller::GetKeyState(int key) const {
    int state = keyboard.State(key);
    for (const auto& [button, standsFor] : kPadKeys) {
        if (standsFor == key) {
            state = EitherState(state, GetPadButtonState(button));
        }
    }
    return state;
}

int C_Controller::GetKeyboardKeyState(int key) const {
    return keyboard.State(key);
}

int C_Controller::GetPadButtonState(int button) const {
    if (button < 0 || button >= kPadButtonCount) {
        return KEY_UP;
    }
    return pad.State(PadSlot(button));
}

int C_Controller::GetPadButtonState(int padNumber, int button) const {
    if (padNumber == kEveryPad) {
        return GetPadButtonState(button);
    }
    const auto found = pads.find(padNumber);
    if (found == pads.end() || button < 0 || button >= kPadButtonCount) {
        return KEY_UP;
    }
    return found->second.buttons.State(PadSlot(button));
}

std::vector<int> C_Controller::Pads() const {
    std::vector<int> plugged;
    for (const auto& [id, one] : pads) {
        if (one.plugged) {
            plugged.push_back(id);
        }
    }
    return plugged;
}

bool C_Controller::PadHeld(int padNumber) const {
    for (int button = 0; button < kPadButtonCount; ++button) {
        if (GetPadButtonState(padNumber, button) == KEY_HELD) {
            return true;
        }
    }
    return false;
}

bool C_Controller::PadPlugged(int padNumber) const {
    const auto found = pads.find(padNumber);
    return found != pads.end() && found->second.plugged;
}

void C_Controller::OnPadPress(int id, int button, bool down) {
    const bool consoleOpen = ConsoleHasKeyboard();
    OnePad& one = pads[id];
    if (!one.buttons.device) {
        one.buttons.device = std::make_unique<C_Keyboard>(true);
    }
    one.buttons.OnPress(PadSlot(button), down, consoleOpen);
    int& holds = padHolds[static_cast<size_t>(button)];
    holds = std::max(0, holds + (down ? 1 : -1));
    if (holds == (down ? 1 : 0)) {
        pad.OnPress(PadSlot(button), down, consoleOpen);
    }
}

void C_Controller::OnText(const char* text) {
    if (!ConsoleHasKeyboard()) {
        typedPending += text;
    }
}

bool C_Controller::ConsoleHasKeyboard() {
    return g_pConsole != nullptr && g_pConsole->IsOpen();
}

int C_Controller::GetMouseButtonState(int button) const {
    return mouse ? mouse->GetButtonState(button) : 1;
}

int C_Controller::GetMouseX() const {
    return mouse ? mouse->GetState().x : 0;
}

int C_Controller::GetMouseY() const {
    return mouse ? mouse->GetState().y : 0;
}

int C_Controller::GetMouseZ() const {
    return mouse ? mouse->GetState().z : 0;
}

int C_Controller::GetMouseDeltaX() const {
    return mouse ? mouse->GetDeltaX() : 0;
}

int C_Controller::GetMouseDeltaY() const {
    return mouse ? mouse->GetDeltaY() : 0;
}

int C_Controller::GetMouseDeltaZ() const {
    return mouse ? mouse->GetDeltaZ() : 0;
}

bool C_Controller::IsMouseOver(const C_GameObject* obj) const {
    const Vector2 at = obj->GetPosition();
    const auto x = static_cast<float>(GetMouseX());
    const auto y = static_cast<float>(GetMouseY());
    return at.x <= x && x < at.x + static_cast<float>(obj->GetScaledWidth()) && at.y <= y &&
           y < at.y + static_cast<float>(obj->GetScaledHeight());
}

void C_Controller::DrawMousePointer() {
    if (mouse) {
        mouse->DrawPointer();
    }
}

HRESULT C_Controller::Reacquire() {
    HRESULT result = S_OK;
    if (pad.device && pad.device->GetDevice() != nullptr) {
        pad.device->GetDevice()->Acquire();
    }
    for (auto& [id, one] : pads) {
        if (one.buttons.device && one.buttons.device->GetDevice() != nullptr) {
            one.buttons.device->GetDevice()->Acquire();
        }
    }
    if (keyboard.device && keyboard.device->GetDevice() != nullptr) {
        if (const HRESULT hr = keyboard.device->GetDevice()->Acquire(); FAILED(hr)) {
            DXError("keyboard", __LINE__, hr, "Keyboard was not ReAquired.");
            result = hr;
        }
    }
    if (mouse && mouse->GetDevice() != nullptr) {
        if (const HRESULT hr = mouse->GetDevice()->Acquire(); FAILED(hr)) {
            DXError("mouse", __LINE__, hr, "Mouse was not ReAquired.");
            result = hr;
        }
    }
    return result;
}

void C_Controller::OnInputEvent(const platform::Event& event) {
    using platform::EventType;
    switch (event.type) {
        case EventType::KeyDown:
        case EventType::KeyUp:
            keyboard.OnPress(event.key, event.type == EventType::KeyDown, ConsoleHasKeyboard());
            break;
        case EventType::PadButtonDown:
        case EventType::PadButtonUp:
            if (initialised != 0 && event.button >= 0 && event.button < kPadButtonCount) {
                OnPadPress(event.pad, event.button, event.type == EventType::PadButtonDown);
            }
            break;
        case EventType::PadRemoved:
            if (const auto found = pads.find(event.pad); found != pads.end()) {
                found->second.plugged = false;
            }
            break;
        case EventType::MouseMotion:
            if (mouse) {
                mouse->OnMotion(event.dx, event.dy);
            }
            break;
        case EventType::MouseButtonDown:
        case EventType::MouseButtonUp:
            if (mouse) {
                mouse->OnButton(event.button, event.type == EventType::MouseButtonDown);
            }
            break;
        case EventType::MouseWheel:
            if (mouse) {
                mouse->OnWheel(event.wheel);
            }
            break;
        default:
            break;
    }
}

void C_Controller::OnFocusLost() {
    std::vector<Buttons*> all = {&keyboard, &pad};
    for (auto& [id, one] : pads) {
        all.push_back(&one.buttons);
    }
    for (Buttons* buttons : all) {
        if (buttons->device && buttons->device->GetDevice() != nullptr) {
            buttons->device->GetDevice()->Unacquire();
        }
    }
    if (mouse && mouse->GetDevice() != nullptr) {
        mouse->GetDevice()->Unacquire();
    }
}
