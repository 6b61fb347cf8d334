#pragma once

#include <string>

// The two-player peer session, started from the console.
class C_Net {
public:
    C_Net() = default;
    ~C_Net() = default;
    C_Net(const C_Net&) = delete;
    C_Net& operator=(const C_Net&) = delete;

    // Makes the peer and its addresses; each failure is reported and the
    // remaining steps still run.
    void Init();
    // Every step of Host and Join needs the peer; without one they only mark
    // which side this is.
    // Hosts a session; always returns 1 and marks this side the host.
    int Host();
    // Connects to the session on `hostName`; always returns 0.
    int Join(std::string hostName);

    bool IsHost() const { return isHost != 0; }

private:
    int isHost = 0;
};
