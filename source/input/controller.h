#pragma once

#include "shell/hresult.h"

// Reads the keyboard and the mouse once per frame, first in the frame, and
// hands control to the current screen's input handling.
class C_Controller {
public:
    C_Controller() = default;
    ~C_Controller() = default;
    C_Controller(const C_Controller&) = delete;
    C_Controller& operator=(const C_Controller&) = delete;

    HRESULT Init();
    HRESULT Update();

private:
    int initialised = 0;
};
