#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/hresult.h"
#include "input/inputdevice.h"

class C_Sprite;

// Where the buffered mouse events apply, as DirectInput numbers them.
constexpr int DIMOFS_X = 0;
constexpr int DIMOFS_Y = 4;
constexpr int DIMOFS_Z = 8;
constexpr int DIMOFS_BUTTON0 = 12;
constexpr int DIMOFS_BUTTON7 = 19;

// The system mouse, taken for the game alone: the pointer position is built
// from relative movement and kept on the back buffer.
class C_Mouse {
public:
    struct State {
        int x = 0;
        int y = 0;
        int z = 0;
        // 0x80 down; the fourth is never set.
        std::array<uint8_t, 4> buttons{};
    };

    // Makes the pointer sprite and sets the device up when input can be read
    // (`inputOpen`), else reports. The pointer starts where the system
    // pointer is over the window.
    explicit C_Mouse(bool inputOpen);
    ~C_Mouse();
    C_Mouse(const C_Mouse&) = delete;
    C_Mouse& operator=(const C_Mouse&) = delete;

    // Takes this frame's events, clamps the pointer to 0..width, 0..height
    // inclusive, and prints the read-out while the console asks for it.
    HRESULT Update();
    // 0 down, 1 up, 2 released since the previous frame; 1 for other buttons.
    int GetButtonState(int button) const;
    const State& GetState() const { return current; }
    int GetDeltaX() const { return dx; }
    int GetDeltaY() const { return dy; }
    int GetDeltaZ() const { return dz; }
    // The pointer picture with its top-left corner at the pointer.
    void DrawPointer();

    void OnMotion(int x, int y);
    void OnButton(int button, bool down);
    void OnWheel(int z);
    C_InputDevice* GetDevice() const { return device.get(); }

private:
    void Apply(const DeviceEvent& event);
    void Clamp();
    void PrintReadOut();

    std::unique_ptr<C_InputDevice> device;
    State current;
    State previous;
    int dx = 0;
    int dy = 0;
    int dz = 0;
    std::vector<DeviceEvent> events;
    std::unique_ptr<C_Sprite> pointer;
};
