#include "input/keyboard.h"

#include "core/error.h"

namespace {

// DirectInput's buffer size for the keyboard: events beyond it in one frame are an overflow.
constexpr int kBufferSize = 8;
constexpr unsigned kKeyDown = 0x80;

}  // namespace

C_Keyboard::C_Keyboard(bool inputOpen) {
    if (!inputOpen) {
        DXError("keyboard", __LINE__, 0,
                "p_DI == NULL. Was not initialized, or something like that.");
        return;
    }
    device = std::make_unique<C_InputDevice>(kBufferSize, false);
    device->Acquire();
}

C_Keyboard::~C_Keyboard() {
    if (device) {
        device->Unacquire();
    }
}

HRESULT C_Keyboard::Update() {
    if (!device) {
        DXError("keyboard", __LINE__, 0, "p_DIKeyboard == NULL.");
        return E_FAIL;
    }
    if (device->GetDeviceData(&events) != S_OK) {
        // Whatever happened to the keys meanwhile is unknown: none stays down.
        device->Acquire();
        current.fill(0);
        previous.fill(0);
        return S_OK;
    }
    previous = current;
    for (const DeviceEvent& event : events) {
        current[static_cast<size_t>(event.offset)] = static_cast<unsigned>(event.data);
    }
    return S_OK;
}

int C_Keyboard::GetKeyState(int key) const {
    if (key < 0 || key >= kKeyCodeCount) {
        return 1;
    }
    const auto index = static_cast<size_t>(key);
    return InputState(current[index], previous[index]);
}

void C_Keyboard::OnKey(int key, bool down) {
    if (device && key > 0 && key < kKeyCodeCount) {
        device->Push({key, down ? static_cast<int>(kKeyDown) : 0});
    }
}
