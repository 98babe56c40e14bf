#pragma once

#include "app/linux_options.h"

// Runs the saver on the Wayland compositor or the X display: full screen, in a window of its
// own, or (X11) inside a window of another program. Exit code 2 with a one-line message when
// there is no display, or the mode needs X11 on Wayland.
int RunLive(const LinuxOptions& options);
