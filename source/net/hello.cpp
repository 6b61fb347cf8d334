#include "net/hello.h"

#include <algorithm>
#include <utility>

namespace {

bool IsNameByte(uint8_t byte) {
    return byte > 0x20 && byte < 0x7f;
}

bool IsValidName(const std::string& name) {
    return !name.empty() && name.size() <= C_Hello::kMaxNameBytes &&
           std::all_of(name.begin(), name.end(),
                       [](char c) { return IsNameByte(static_cast<uint8_t>(c)); });
}

}  // namespace

std::vector<uint8_t> C_Hello::Encode() const {
    if (!IsValidName(name)) {
        return {};
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(kHeaderBytes + name.size());
    bytes.push_back(kVersion);
    bytes.insert(bytes.end(), guid.begin(), guid.end());
    bytes.push_back(static_cast<uint8_t>(name.size()));
    bytes.insert(bytes.end(), name.begin(), name.end());
    return bytes;
}

bool C_Hello::Decode(const std::vector<uint8_t>& bytes, C_Hello& out) {
    if (bytes.size() < kHeaderBytes || bytes[0] != kVersion) {
        return false;
    }
    const std::size_t nameLength = bytes[kHeaderBytes - 1];
    // The stated length must account for every remaining byte, no more, no less.
    if (nameLength != bytes.size() - kHeaderBytes) {
        return false;
    }
    C_Hello hello;
    std::copy(bytes.begin() + 1, bytes.begin() + 1 + 16, hello.guid.begin());
    hello.name.assign(bytes.begin() + kHeaderBytes, bytes.end());
    if (!IsValidName(hello.name)) {
        return false;
    }
    out = std::move(hello);
    return true;
}
