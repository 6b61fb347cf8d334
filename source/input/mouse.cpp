#include "input/mouse.h"

#include <string>

#include "console/console.h"
#include "core/error.h"
#include "core/globals.h"
#include "platform/events.h"
#include "view/sprite.h"
#include "view/view.h"

namespace {

// DirectInput's buffer size for the mouse: events beyond it in one frame are lost.
constexpr int kBufferSize = 8;
constexpr int kButtonsRead = 3;
constexpr uint8_t kButtonDown = 0x80;
constexpr char kPointerPicture[] = "pointer.png";
constexpr uint32_t kPointerColour = 0xFFFFFFFF;

const char* StateLetter(int state) {
    switch (state) {
        case 0:
            return "D";
        case 2:
            return "R";
        default:
            return "U";
    }
}

}  // namespace

C_Mouse::C_Mouse(bool inputOpen) : pointer(std::make_unique<C_Sprite>(kPointerPicture)) {
    platform::PointerPosition(&current.x, &current.y);
    if (!inputOpen) {
        DXError("mouse", __LINE__, 0, "p_DI == NULL. Was not initialized, or something like that.");
        return;
    }
    device = std::make_unique<C_InputDevice>(kBufferSize, true);
    device->Acquire();
}

C_Mouse::~C_Mouse() {
    if (device) {
        device->Unacquire();
    }
}

void C_Mouse::DrawPointer() {
    const Vector2 at{static_cast<float>(current.x), static_cast<float>(current.y)};
    pointer->Draw(at, {0.0f, 0.0f}, 0.0f, {1.0f, 1.0f}, kPointerColour);
}

HRESULT C_Mouse::Update() {
    dx = 0;
    dy = 0;
    dz = 0;
    previous = current;
    if (!device) {
        DXError("mouse", __LINE__, 0, "p_DIMouse is NULL! It was not intialized.");
        return E_FAIL;
    }
    // Taken back only with the focus: a window in the background (whose
    // frames a network match keeps running) must not hold the pointer.
    if (device->GetDeviceData(&events) != S_OK && g_bActive != 0) {
        device->Acquire();
    }
    // Even after an overflow the events that were read still count.
    for (const DeviceEvent& event : events) {
        Apply(event);
    }
    Clamp();
    if (g_pConsole != nullptr && g_pConsole->IsMouseOn()) {
        PrintReadOut();
    }
    return S_OK;
}

void C_Mouse::Apply(const DeviceEvent& event) {
    switch (event.offset) {
        case DIMOFS_X:
            current.x += event.data;
            dx = event.data;
            break;
        case DIMOFS_Y:
            current.y += event.data;
            dy = event.data;
            break;
        case DIMOFS_Z:
            current.z += event.data;
            dz = event.data;
            break;
        default:
            if (event.offset >= DIMOFS_BUTTON0 && event.offset < DIMOFS_BUTTON0 + kButtonsRead) {
                current.buttons[static_cast<size_t>(event.offset - DIMOFS_BUTTON0)] =
                    static_cast<uint8_t>(event.data & 0xFF);
            }
            break;
    }
}

void C_Mouse::Clamp() {
    // The far edges are reachable: the bound is the size itself, not one less.
    const int width = g_pView != nullptr ? g_pView->GetWidth() : 0;
    const int height = g_pView != nullptr ? g_pView->GetHeight() : 0;
    if (current.x <= 0) {
        current.x = 0;
    } else if (current.x >= width) {
        current.x = width;
    }
    if (current.y <= 0) {
        current.y = 0;
    } else if (current.y >= height) {
        current.y = height;
    }
}

void C_Mouse::PrintReadOut() {
    g_pConsole->AddLine("X: " + IntToString(current.x) + "  -  Y: " + IntToString(current.y));
    g_pConsole->AddLine(std::string("Left - ") + StateLetter(GetButtonState(0)) + " Right - " +
                        StateLetter(GetButtonState(1)) + " Middle - " +
                        StateLetter(GetButtonState(2)));
}

int C_Mouse::GetButtonState(int button) const {
    if (button < 0 || button >= kButtonsRead) {
        return 1;
    }
    const auto index = static_cast<size_t>(button);
    return InputState(current.buttons[index], previous.buttons[index]);
}

void C_Mouse::OnMotion(int x, int y) {
    if (!device) {
        return;
    }
    // Each axis is an event of its own, as DirectInput buffers them.
    if (x != 0) {
        device->Push({DIMOFS_X, x});
    }
    if (y != 0) {
        device->Push({DIMOFS_Y, y});
    }
}

void C_Mouse::OnButton(int button, bool down) {
    if (device && button >= 0 && DIMOFS_BUTTON0 + button <= DIMOFS_BUTTON7) {
        device->Push({DIMOFS_BUTTON0 + button, down ? kButtonDown : 0});
    }
}

void C_Mouse::OnWheel(int z) {
    if (device && z != 0) {
        device->Push({DIMOFS_Z, z});
    }
}
