#pragma once

#include <string>

namespace platform {

// This machine as another on its network would reach it, to tell the other
// player: the first IPv4 address of an interface that is up and neither the
// loopback nor a virtual bridge, and the host name, as "192.168.1.20
// (mybox)"; either alone when the other is unknown, empty when both are.
std::string MachineAddress();

}  // namespace platform
