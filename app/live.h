#pragma once

#include "app/linux_options.h"

// Runs the saver on the X display: full screen, in a window of its own, or inside a window of
// another program. Exit code 2 with a one-line message when there is no display.
int RunLive(const LinuxOptions& options);
