#pragma once

// The two-player peer session, started from the console.
class C_Net {
public:
    C_Net() = default;
    ~C_Net() = default;
    C_Net(const C_Net&) = delete;
    C_Net& operator=(const C_Net&) = delete;
};
