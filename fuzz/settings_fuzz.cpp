// Bytes as the settings file. Promises: every value read is one the game can
// use; bytes that are not a whole file are read for their whole lines without
// a line to the console; what is written back reads again without a skipped
// line and writes the same bytes; the console hears a bounded number of lines.
#include <cstdint>
#include <string>

#include "core/keycodes.h"
#include "core/padbuttons.h"
#include "promise.h"
#include "store/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int lines = 0;
    C_Settings settings([&lines](const std::string&) { ++lines; });
    const bool whole = settings.LoadBytes(std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_PROMISE(lines <= C_StoreFile::kMaxReportedLines + 1);
    const std::string written = settings.SaveBytes();
    FUZZ_PROMISE(whole || lines == 0);
    for (int i = 0; i < kGameActionCount; ++i) {
        const auto action = static_cast<GameAction>(i);
        FUZZ_PROMISE(settings.GetKey(action) > 0 && settings.GetKey(action) < kKeyCodeCount);
        FUZZ_PROMISE(settings.GetPadButton(action) >= 0 &&
                     settings.GetPadButton(action) < kPadButtonCount);
    }
    FUZZ_PROMISE(settings.GetMusicVolume() >= 0 &&
                 settings.GetMusicVolume() <= C_Settings::kMaxVolume);
    FUZZ_PROMISE(settings.GetEffectsVolume() >= 0 &&
                 settings.GetEffectsVolume() <= C_Settings::kMaxVolume);

    lines = 0;
    C_Settings again([&lines](const std::string&) { ++lines; });
    FUZZ_PROMISE(again.LoadBytes(written));
    FUZZ_PROMISE(lines == 0);
    FUZZ_PROMISE(again.SaveBytes() == written);
    FUZZ_PROMISE(again.GetLastName() == settings.GetLastName());
    return 0;
}
