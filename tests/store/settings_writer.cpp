// The crash test's child: saves the settings kSaves times, numbered from the
// first argument, and after each save writes its number and a newline to
// standard output, so the test knows which saves have finished.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "store/settings.h"
#include "store/settingssnapshot.h"

int main(int argc, char** argv) {
    constexpr int kSaves = 1000;
    if (argc != 2) {
        return 2;
    }
    const int first = std::atoi(argv[1]);
    C_Settings settings(nullptr);
    settings.Load();
    for (int number = first; number < first + kSaves; ++number) {
        ApplySnapshot(settings, number);
        if (!settings.Save()) {
            return 1;
        }
        const std::string line = std::to_string(number) + "\n";
        if (write(STDOUT_FILENO, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            return 1;
        }
    }
    return 0;
}
