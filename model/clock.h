#pragma once

#include <cstdint>

// Milliseconds since the process started, as a 32-bit signed count. Real by default and
// monotonic: changing the wall clock while the saver runs changes nothing. Seconds are this
// value times 0.001, read fresh at each use.
std::int32_t ElapsedMilliseconds();

// The real clock reads the standard library's steady clock unless the program names a monotonic
// counter of its platform; the count goes on from where it stood. The Windows program names the
// performance counter: there the run-time's steady clock follows the wall clock.
using CounterReader = std::int64_t (*)();
// The counter read from the start, in microseconds. The model's own (model/steady_counter.cpp)
// reads the steady clock; a program that defines this function itself has the linker take its
// own instead (the Windows screen saver, which carries no C++ run-time).
std::int64_t StartupMicroseconds();
void UseRealClockCounter(CounterReader read, std::int64_t countsPerSecond);

// A stepped clock makes renders and tests repeatable: it stands at 0 until the first frame and
// reads frame × step milliseconds during frame `frame`. Whoever paints frames sets the frame.
void UseSteppedClock(std::int32_t stepMilliseconds);
void SetClockFrame(std::int32_t frame);
void UseRealClock();
