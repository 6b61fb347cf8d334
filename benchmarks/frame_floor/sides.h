#pragma once

#include "scene.h"

namespace floor_bench {

// `frames` timed frames of `scene` after a warm-up; `startedAt` is the
// monotonic time the parent started this process. The bare program's run:
Result RunBare(Scene scene, int frames, long long startedAt);
// and the same scene driven through the game's own states.
Result RunGame(Scene scene, int frames, long long startedAt);

}  // namespace floor_bench
