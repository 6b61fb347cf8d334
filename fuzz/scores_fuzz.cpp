// Bytes as the high-score file. Promises: never more than ten games, best
// first, each with a sanitised name; bytes that are not a whole file are read
// for their whole lines without a line to the console; what is written back
// reads again without a skipped line into the same table and the same bytes.
#include <cstdint>
#include <string>

#include "promise.h"
#include "store/highscores.h"
#include "store/playername.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int lines = 0;
    C_HighScores scores([&lines](const std::string&) { ++lines; });
    const bool whole = scores.LoadBytes(std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_PROMISE(lines <= C_StoreFile::kMaxReportedLines + 1);
    const auto& entries = scores.GetEntries();
    FUZZ_PROMISE(whole || lines == 0);
    FUZZ_PROMISE(entries.size() <= static_cast<size_t>(C_HighScores::kPlaces));
    for (size_t i = 0; i < entries.size(); ++i) {
        FUZZ_PROMISE(i == 0 || entries[i - 1].score >= entries[i].score);
        FUZZ_PROMISE(!entries[i].name.empty() &&
                     SanitisePlayerName(entries[i].name) == entries[i].name);
        FUZZ_PROMISE(entries[i].score >= 0 && entries[i].rows >= 0 && entries[i].piecesPiped >= 0);
    }

    const std::string written = scores.SaveBytes();
    lines = 0;
    C_HighScores again([&lines](const std::string&) { ++lines; });
    FUZZ_PROMISE(again.LoadBytes(written));
    FUZZ_PROMISE(lines == 0);
    FUZZ_PROMISE(again.SaveBytes() == written);
    FUZZ_PROMISE(again.GetEntries().size() == entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        FUZZ_PROMISE(again.GetEntries()[i].name == entries[i].name);
        FUZZ_PROMISE(again.GetEntries()[i].score == entries[i].score);
        FUZZ_PROMISE(again.GetEntries()[i].date == entries[i].date);
    }
    return 0;
}
