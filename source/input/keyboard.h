#pragma once

#include <array>
#include <memory>
#include <vector>

#include "core/hresult.h"
#include "core/keycodes.h"
#include "input/inputdevice.h"

// The system keyboard: which keys are down now and were down before this
// frame's events, by DIK_ code.
class C_Keyboard {
public:
    // Sets the device up when input can be read (`inputOpen`), else reports.
    explicit C_Keyboard(bool inputOpen);
    ~C_Keyboard();
    C_Keyboard(const C_Keyboard&) = delete;
    C_Keyboard& operator=(const C_Keyboard&) = delete;

    // Takes this frame's events. A failed read (focus lost, more events than
    // the buffer holds) re-acquires the device and clears every key.
    HRESULT Update();
    // 0 down, 1 up, 2 released since the previous frame; 1 for codes out of range.
    int GetKeyState(int key) const;

    // A key went down or up; buffered for the next Update.
    void OnKey(int key, bool down);
    C_InputDevice* GetDevice() const { return device.get(); }

private:
    std::unique_ptr<C_InputDevice> device;
    std::array<unsigned, kKeyCodeCount> current{};
    std::array<unsigned, kKeyCodeCount> previous{};
    std::vector<DeviceEvent> events;
};
