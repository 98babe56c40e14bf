#pragma once

// Makes the saver's real clock read the performance counter (present since Windows 95 and
// NT 3.1, monotonic), or the tick count where the hardware has no such counter: never the wall
// clock, which the run-time's steady clock follows on this platform.
void UseWindowsClock();
