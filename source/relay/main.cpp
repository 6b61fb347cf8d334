// tubrix-relay: rooms by code for matches over the internet.
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>
#include <string>

#include "net/relaymessage.h"
#include "relay/relayserver.h"
#include "relay/roomtable.h"

#ifndef TUBRIX_RELAY_VERSION
#define TUBRIX_RELAY_VERSION "unknown"
#endif

namespace {

const char* const kUsage =
    "Usage: tubrix-relay [OPTION]...\n"
    "Meets Tubrix players by room code and passes their match between them.\n"
    "\n"
    "  --port N                      UDP port to listen on (default 27421)\n"
    "  --max-rooms N                 rooms held at once (default 4096)\n"
    "  --max-rooms-per-address N     rooms one address may open (default 4)\n"
    "  --max-watchers-per-address N  rooms one address may watch (default 4)\n"
    "  --help                        show this and exit\n"
    "  --version                     show the version and exit\n";

// A whole decimal number in [low, high], or false.
bool ReadNumber(const char* text, unsigned long low, unsigned long high, unsigned long* out) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) {
        return false;
    }
    *out = value;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RelayLimits limits;
    unsigned long port = kRelayDefaultPort;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (option == "--version") {
            std::cout << "tubrix-relay " << TUBRIX_RELAY_VERSION << " (protocol " << kRelayProtocol
                      << ")\n";
            return 0;
        }
        unsigned long value = 0;
        const char* argument = i + 1 < argc ? argv[i + 1] : nullptr;
        const unsigned long most = std::numeric_limits<uint32_t>::max();
        bool good = false;
        if (option == "--port") {
            good = ReadNumber(argument, 1, 65535, &port);
        } else if (option == "--max-rooms") {
            good = ReadNumber(argument, 1, most, &value);
            limits.maxRooms = value;
        } else if (option == "--max-rooms-per-address") {
            good = ReadNumber(argument, 1, most, &value);
            limits.maxRoomsPerAddress = value;
        } else if (option == "--max-watchers-per-address") {
            good = ReadNumber(argument, 0, most, &value);
            limits.maxWatchersPerAddress = value;
        } else {
            std::cerr << "tubrix-relay: unknown option '" << option << "'\n" << kUsage;
            return 2;
        }
        if (!good) {
            std::cerr << "tubrix-relay: " << option << " needs a number in range\n";
            return 2;
        }
        ++i;
    }

    // Every thread started from here on leaves the stop signals to this one.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);

    C_RelayServer relay(limits, [](const std::string& line) {
        // One write per line, so lines from two threads never interleave.
        const std::string whole = line + "\n";
        std::fwrite(whole.data(), 1, whole.size(), stderr);
    });
    if (!relay.Start(static_cast<uint16_t>(port))) {
        std::cerr << "tubrix-relay: cannot listen on UDP port " << port << "\n";
        return 1;
    }
    std::cerr << "tubrix-relay " << TUBRIX_RELAY_VERSION << " listening on UDP port "
              << relay.Port() << "\n";
    int received = 0;
    sigwait(&stops, &received);
    std::cerr << "tubrix-relay: stopping on " << (received == SIGINT ? "SIGINT" : "SIGTERM")
              << " with " << relay.Rooms() << " rooms\n";
    relay.Stop();
    return 0;
}
