// Bytes as a replay file. Promises: a refused file gives one line and
// leaves nothing read; a read one is no larger than its bytes allow, writes
// back to bytes that read to the same replay, and plays its first frames
// (whatever times and commands it holds) without a fault.
#include <algorithm>
#include <cstdint>
#include <string>

#include "promise.h"
#include "replay/framecoding.h"
#include "replay/replayfile.h"
#include "replay/replayplayer.h"

namespace {

// Enough to reach every kind of frame in a seed, few enough to stay fast.
constexpr uint32_t kFramesPlayed = 600;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InstallFuzzPrompt();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Replay replay;
    std::string why;
    if (!ReadReplay(bytes, replay, why)) {
        FUZZ_PROMISE(!why.empty() && why.find('\n') == std::string::npos);
        FUZZ_PROMISE(replay.sides.empty() && replay.times.empty());
        return 0;
    }
    FUZZ_PROMISE(why.empty());
    FUZZ_PROMISE(replay.times.size() <= size);
    FUZZ_PROMISE(static_cast<int>(replay.sides.size()) == replay.Sides());
    for (int side = 0; side < replay.PlayedSides(); ++side) {
        const ReplaySide& played = replay.sides[static_cast<size_t>(side)];
        FUZZ_PROMISE(played.commands.size() <= size);
        FUZZ_PROMISE(FramesIn(played.commands) == replay.frames);
    }
    FUZZ_PROMISE(replay.news.size() <= size && replay.snapshots.size() <= size);
    FUZZ_PROMISE(FramesIn(replay.times) == replay.frames);

    const std::string written = WriteReplay(replay);
    Replay again;
    FUZZ_PROMISE(ReadReplay(written, again, why));
    FUZZ_PROMISE(WriteReplay(again) == written);

    C_ReplayPlayer player(replay);
    for (uint32_t frame = 0; frame < kFramesPlayed && player.Step(); ++frame) {
    }
    FUZZ_PROMISE(player.Frame() == std::min(replay.frames, kFramesPlayed));
    return 0;
}
