#include "model/clock.h"

#include <chrono>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Taken by whichever comes first: the first reading (possibly from another translation unit's
// static constructor) or this file's own static initialisation below.
SteadyClock::time_point Origin() {
    static const SteadyClock::time_point origin = SteadyClock::now();
    return origin;
}
[[maybe_unused]] const SteadyClock::time_point originAtStart = Origin();

// Constant-initialised, so a static constructor in any file sees the real clock selected.
constinit bool stepped = false;
constinit std::int32_t stepMilliseconds = 0;
constinit std::int32_t steppedFrame = 0;

} // namespace

std::int32_t ElapsedMilliseconds() {
    if (stepped) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(steppedFrame) *
                                         static_cast<std::uint32_t>(stepMilliseconds));
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        SteadyClock::now() - Origin());
    // A 32-bit count, as the saver has always used it; the conversion wraps modulo 2^32.
    return static_cast<std::int32_t>(elapsed.count());
}

void UseSteppedClock(std::int32_t step) {
    stepped = true;
    stepMilliseconds = step;
    steppedFrame = 0;
}

void SetClockFrame(std::int32_t frame) { steppedFrame = frame; }

void UseRealClock() { stepped = false; }
