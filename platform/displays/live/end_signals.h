#pragma once

// For the live back ends (and their tests), never for the stand-in or the headless display.
#if defined(EPIPHASE_STAND_IN) || defined(EPIPHASE_DISPLAY_HEADLESS)
#error "a part of the live displays included by the stand-in or the headless display"
#endif

// SIGTERM and SIGINT, the way a screen saver running in a window it was given is told to end.
// They only mark the end and wake the loop through a pipe it polls; the loop then closes every
// window and the program ends normally. Free of any display system.

#include <chrono>
#include <optional>

namespace portable {

void WatchEndSignals();
bool EndSignalled();
// Once an end signal came: it is taken, and every top-level window is asked to close.
void CloseWindowsOnEndSignal();

// Sleeps until `descriptor` can be read or, where `endSignalWakes`, an end signal comes, for at
// most `bound` (without one, until either happens); whether `descriptor` can be read.
bool WaitForInput(int descriptor, std::optional<std::chrono::nanoseconds> bound,
                  bool endSignalWakes = true);

} // namespace portable
