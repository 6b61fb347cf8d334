#include "input/controller.h"

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "model/gameobject.h"
#include "model/model.h"
#include "platform/events.h"

C_Controller::~C_Controller() {
    keyboard.reset();
    mouse.reset();
}

HRESULT C_Controller::Init() {
    if (!platform::InputAvailable()) {
        DXError("controller", __LINE__, E_FAIL, "CreateDevice() failed on controller.");
        return E_FAIL;
    }
    platform::StartTextInput();
    keyboard = std::make_unique<C_Keyboard>(true);
    mouse = std::make_unique<C_Mouse>(true);
    initialised = 1;
    return S_OK;
}

HRESULT C_Controller::Update() {
    // Without input there are no devices; the screen still gets its turn.
    if (keyboard) {
        keyboard->Update();
        const bool consoleOpen = ConsoleHasKeyboard();
        for (int key = 0; key < kKeyCodeCount; ++key) {
            bool& taken = consoleKeys[static_cast<size_t>(key)];
            taken = (consoleOpen || taken) && keyboard->GetKeyState(key) != KEY_UP;
        }
    }
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
    if (!keyboard || (key >= 0 && key < kKeyCodeCount && consoleKeys[static_cast<size_t>(key)])) {
        return KEY_UP;
    }
    return keyboard->GetKeyState(key);
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
    if (keyboard && keyboard->GetDevice() != nullptr) {
        if (const HRESULT hr = keyboard->GetDevice()->Acquire(); FAILED(hr)) {
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
            if (keyboard) {
                // Decided as the key goes down: a press typed into the console
                // stays the console's even if TAB closes it before the next frame.
                if (event.type == EventType::KeyDown && event.key > 0 &&
                    event.key < kKeyCodeCount) {
                    consoleKeys[static_cast<size_t>(event.key)] = ConsoleHasKeyboard();
                }
                keyboard->OnKey(event.key, event.type == EventType::KeyDown);
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
    if (keyboard && keyboard->GetDevice() != nullptr) {
        keyboard->GetDevice()->Unacquire();
    }
    if (mouse && mouse->GetDevice() != nullptr) {
        mouse->GetDevice()->Unacquire();
    }
}
