#include "platform/machine.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(MachineTest, TheAddressShownIsAReachableOneFollowedByTheHostName) {
    std::array<char, 256> name{};
    ASSERT_EQ(gethostname(name.data(), name.size() - 1), 0);
    const std::string shown = platform::MachineAddress();
    if (shown == name.data()) {
        GTEST_SKIP() << "no interface but the loopback here";
    }
    const std::string address = shown.substr(0, shown.find(' '));
    EXPECT_EQ(shown, address + " (" + name.data() + ")");
    in_addr parsed{};
    ASSERT_EQ(inet_pton(AF_INET, address.c_str(), &parsed), 1) << shown;
    EXPECT_NE(address.rfind("127.", 0), 0u) << shown;
}

}  // namespace
