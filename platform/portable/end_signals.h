#pragma once

// SIGTERM and SIGINT, the way a screen saver running in a window it was given is told to end.
// They only mark the end and wake the loop through a pipe it polls; the loop then closes every
// window and the program ends normally. Free of any display system.

namespace portable {

void WatchEndSignals();
// Readable once an end signal came; -1 where no pipe could be made.
int EndSignalWakeDescriptor();
bool EndSignalled();
// Whether an end signal came since the last call; clears it and drains the pipe.
bool TakeEndSignal();

} // namespace portable
