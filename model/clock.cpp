#include "model/clock.h"

namespace {

// Constant-initialised, so a static constructor in any file sees the real clock selected.
constinit CounterReader readCounter = StartupMicroseconds;
constinit std::int64_t countsPerSecond = 1000000;
constinit std::int64_t originCount = 0;
constinit bool originTaken = false;
constinit bool stepped = false;
constinit std::int32_t stepMilliseconds = 0;
constinit std::int32_t steppedFrame = 0;

// The origin is taken by whichever comes first: the first reading (possibly from another
// translation unit's static constructor) or this file's own static initialisation below.
std::int64_t RealMilliseconds() {
    if (!originTaken) {
        originCount = readCounter();
        originTaken = true;
    }
    const std::int64_t counts = readCounter() - originCount;
    // Whole seconds and the rest apart: no product overflows, whatever the counter's rate.
    return counts / countsPerSecond * 1000 + counts % countsPerSecond * 1000 / countsPerSecond;
}
[[maybe_unused]] const std::int64_t originAtStart = RealMilliseconds();

} // namespace

std::int32_t ElapsedMilliseconds() {
    if (stepped) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(steppedFrame) *
                                         static_cast<std::uint32_t>(stepMilliseconds));
    }
    // A 32-bit count, as the saver has always used it; the conversion wraps modulo 2^32.
    return static_cast<std::int32_t>(RealMilliseconds());
}

void UseRealClockCounter(CounterReader read, std::int64_t perSecond) {
    const std::int64_t elapsed = RealMilliseconds();
    readCounter = read;
    countsPerSecond = perSecond;
    // Rounded up, so that the first reading from the new counter is not a millisecond early.
    originCount = read() - (elapsed * perSecond + 999) / 1000;
}

void UseSteppedClock(std::int32_t step) {
    stepped = true;
    stepMilliseconds = step;
    steppedFrame = 0;
}

void SetClockFrame(std::int32_t frame) {
    steppedFrame = frame;
}

void UseRealClock() {
    stepped = false;
}
