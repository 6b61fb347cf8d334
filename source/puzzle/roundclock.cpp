#include "puzzle/roundclock.h"

#include <cmath>

bool C_RoundClock::Crossed(float period) const {
    // The remainder went down during the frame, or is exactly 0 now: a
    // multiple was passed or reached.
    const float now = std::fmod(current - resetPoint, period);
    return now == 0.0f || std::fmod(previous - resetPoint, period) > now;
}
