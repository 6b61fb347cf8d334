#include "net/net.h"

#include "core/error.h"

void C_Net::Init() {
    // No session layer is built in yet, so there is never a peer to make.
    DXError("net", __LINE__, E_NOTIMPL, "Couldn't Create DPlayPeer");
}

int C_Net::Host() {
    isHost = 1;
    return 1;
}

int C_Net::Join(std::string hostName) {
    (void)hostName;
    isHost = 0;
    return 0;
}
