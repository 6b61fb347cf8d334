#pragma once

#include <vector>

#include "core/hresult.h"

// One buffered input event: which key or axis (`offset`) and its value.
struct DeviceEvent {
    int offset = 0;
    int data = 0;
};

// Results of a buffered read besides S_OK.
constexpr HRESULT DI_BUFFEROVERFLOW = S_FALSE;  // events were lost; the rest are delivered
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);

// A keyboard or mouse as the game reads it: events are buffered, up to
// `capacity`, between two reads while the device is acquired. Losing the
// foreground unacquires it; reads then fail until it is acquired again.
class C_InputDevice {
public:
    // An exclusive device takes the mouse for itself while acquired.
    C_InputDevice(int bufferSize, bool exclusiveUse);
    ~C_InputDevice();
    C_InputDevice(const C_InputDevice&) = delete;
    C_InputDevice& operator=(const C_InputDevice&) = delete;

    // Makes the device deliver events again. S_OK, or S_FALSE when an exclusive
    // device could not take the mouse for itself and shares it instead.
    HRESULT Acquire();
    void Unacquire();
    bool IsAcquired() const { return acquired; }

    // Buffers one event; one past the capacity is dropped and marks the overflow.
    void Push(DeviceEvent event);
    // Moves the buffered events into `events` and empties the buffer: S_OK,
    // DI_BUFFEROVERFLOW when events were dropped since the last read, or
    // DIERR_NOTACQUIRED (and no events) while not acquired.
    HRESULT GetDeviceData(std::vector<DeviceEvent>* events);

private:
    std::vector<DeviceEvent> buffer;
    int capacity;
    bool exclusive;
    bool acquired = false;
    bool overflowed = false;
};

// A key's or button's state for this frame from its value now and before the
// frame's events: 0 down, 1 up, 2 released since the previous frame.
int InputState(unsigned current, unsigned previous);
