#include "platform/userfiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// A file of `size` bytes, each its offset's low byte, removed at the end.
class SizedFile {
public:
    explicit SizedFile(std::size_t size)
        : path(::testing::TempDir() + "userfiles_" + std::to_string(getpid()) + "_" +
               std::to_string(size)) {
        std::ofstream out(path, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i) {
            out.put(static_cast<char>(i & 0xFF));
        }
    }
    ~SizedFile() { std::remove(path.c_str()); }
    SizedFile(const SizedFile&) = delete;
    SizedFile& operator=(const SizedFile&) = delete;

    const std::string path;
};

// Every size around a limit reads as Read or TooLarge with the right bytes,
// and the string handed back holds about what the file holds: a store file
// or a replay of a few bytes read under a limit of megabytes must not keep a
// buffer of the limit's size.
TEST(ReadWholeFile, ReadsEverySizeAroundTheLimitIntoABufferOfTheFilesSize) {
    constexpr std::size_t kLimit = 4u * 1024u * 1024u;
    struct Case {
        std::size_t size;
        std::size_t limit;
        platform::ReadStatus status;
    };
    const Case cases[] = {
        {0, kLimit, platform::ReadStatus::Read},     {10, kLimit, platform::ReadStatus::Read},
        {70000, kLimit, platform::ReadStatus::Read}, {100, 100, platform::ReadStatus::Read},
        {101, 100, platform::ReadStatus::TooLarge},  {5000, 100, platform::ReadStatus::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + ", limit " + std::to_string(c.limit));
        const SizedFile file(c.size);
        std::string bytes;
        std::string reason;
        EXPECT_EQ(platform::ReadWholeFile(file.path, c.limit, bytes, reason), c.status);
        const std::size_t kept = std::min(c.size, c.limit);
        ASSERT_EQ(bytes.size(), kept);
        for (std::size_t i = 0; i < kept; ++i) {
            ASSERT_EQ(static_cast<unsigned char>(bytes[i]), i & 0xFF) << "at " << i;
        }
        EXPECT_LE(bytes.capacity(), 2 * kept + 64);
    }
}

}  // namespace
