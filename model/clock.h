#pragma once

#include <cstdint>

// Milliseconds since the process started, as a 32-bit signed count. Real by default and
// monotonic: changing the wall clock while the saver runs changes nothing. Seconds are this
// value times 0.001, read fresh at each use.
std::int32_t ElapsedMilliseconds();

// A stepped clock makes renders and tests repeatable: it stands at 0 until the first frame and
// reads frame × step milliseconds during frame `frame`. Whoever paints frames sets the frame.
void UseSteppedClock(std::int32_t stepMilliseconds);
void SetClockFrame(std::int32_t frame);
void UseRealClock();
