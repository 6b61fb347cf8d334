#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The one message either side of a session sends: who it is and which
// application it runs. Nothing else travels.
struct C_Hello {
    using Guid = std::array<uint8_t, 16>;

    static constexpr uint8_t kVersion = 1;
    static constexpr std::size_t kMaxNameBytes = 32;
    // Version, GUID and name length before the name itself.
    static constexpr std::size_t kHeaderBytes = 1 + 16 + 1;

    Guid guid{};
    std::string name;

    // Empty when the name is empty, too long or not printable ASCII.
    std::vector<uint8_t> Encode() const;
    // Reads untrusted bytes: false, with `out` unchanged, unless they are
    // exactly one well-formed hello.
    static bool Decode(const std::vector<uint8_t>& bytes, C_Hello& out);
};
