#include "input/inputdevice.h"

#include <cstddef>

#include "platform/events.h"

C_InputDevice::C_InputDevice(int bufferSize, bool exclusiveUse)
    : capacity(bufferSize), exclusive(exclusiveUse) {
    buffer.reserve(static_cast<std::size_t>(capacity));
}

C_InputDevice::~C_InputDevice() {
    Unacquire();
}

HRESULT C_InputDevice::Acquire() {
    acquired = true;
    // Some platforms cannot hold the pointer inside the window; a mouse that
    // can leave the window still beats no mouse at all.
    if (exclusive && !platform::CaptureMouse()) {
        return S_FALSE;
    }
    return S_OK;
}

void C_InputDevice::Unacquire() {
    if (acquired && exclusive) {
        platform::ReleaseMouse();
    }
    acquired = false;
    buffer.clear();
    overflowed = false;
}

void C_InputDevice::Push(DeviceEvent event) {
    if (!acquired) {
        return;
    }
    if (static_cast<int>(buffer.size()) >= capacity) {
        overflowed = true;
        return;
    }
    buffer.push_back(event);
}

HRESULT C_InputDevice::GetDeviceData(std::vector<DeviceEvent>* events) {
    events->clear();
    if (!acquired) {
        return DIERR_NOTACQUIRED;
    }
    events->assign(buffer.begin(), buffer.end());
    buffer.clear();
    const HRESULT hr = overflowed ? DI_BUFFEROVERFLOW : S_OK;
    overflowed = false;
    return hr;
}

int InputState(unsigned current, unsigned previous) {
    constexpr unsigned kDown = 0x80;
    if ((current & kDown) != 0) {
        return 0;
    }
    return (previous & kDown) != 0 ? 2 : 1;
}
