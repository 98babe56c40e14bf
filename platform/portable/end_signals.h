#pragma once

// SIGTERM and SIGINT, the way a screen saver running in a window it was given is told to end.
// They only mark the end and wake the loop through a pipe it polls; the loop then closes every
// window and the program ends normally. Free of any display system.

#include <chrono>
#include <optional>

namespace portable {

void WatchEndSignals();
// Readable once an end signal came; -1 where no pipe could be made.
int EndSignalWakeDescriptor();
bool EndSignalled();
// Whether an end signal came since the last call; clears it and drains the pipe.
bool TakeEndSignal();

// Sleeps until `descriptor` can be read or an end signal comes, for at most `bound` (without
// one, until either happens).
void WaitForInputOrEndSignal(int descriptor, std::optional<std::chrono::nanoseconds> bound);

} // namespace portable
