#pragma once

#include "app/linux_options.h"

// Runs the saver headless inside an off-screen parent window, paints the frames asked for and
// writes the last one as a PNG; then closes the saver through its own message chain. The exit
// code: the saver's (0), or 1 when the image cannot be written.
int RenderToPng(const LinuxOptions& options);
