#include "platform/machine.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstring>

namespace platform {

namespace {

// Bridges that containers and virtual machines add: another machine on the
// network does not reach this one through them.
bool IsVirtualBridge(const char* name) {
    for (const char* prefix : {"docker", "br-", "veth", "virbr", "lxcbr"}) {
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) {
            return true;
        }
    }
    return false;
}

std::string FirstAddress() {
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        return {};
    }
    std::string found;
    for (const ifaddrs* at = interfaces; at != nullptr && found.empty(); at = at->ifa_next) {
        if (at->ifa_addr == nullptr || at->ifa_addr->sa_family != AF_INET ||
            (at->ifa_flags & IFF_UP) == 0 || (at->ifa_flags & IFF_LOOPBACK) != 0 ||
            IsVirtualBridge(at->ifa_name)) {
            continue;
        }
        std::array<char, INET_ADDRSTRLEN> text{};
        const auto* address = reinterpret_cast<const sockaddr_in*>(at->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text.data(), text.size()) != nullptr) {
            found = text.data();
        }
    }
    freeifaddrs(interfaces);
    return found;
}

std::string HostName() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

}  // namespace

std::string MachineAddress() {
    const std::string address = FirstAddress();
    const std::string name = HostName();
    if (address.empty() || name.empty()) {
        return address + name;
    }
    return address + " (" + name + ")";
}

}  // namespace platform
