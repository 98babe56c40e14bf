#pragma once

// The Wayland back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_WAYLAND
#error "a header of the Wayland back end outside it"
#endif

// Windows of other programs on the same compositor. Wayland shows a client nothing of other
// clients' windows, so a program of ours that shows a top-level window holds a lock named
// after the compositor and the window's class, in the runtime folder, for as long as it shows
// it (the kernel lets go of it when the program ends, however it ends); another program finds
// the window by that lock. The wallpaper holds one of its own the same way. On a shared
// machine another user must not hold it for us nor point it elsewhere: only a private runtime
// folder holds the locks, and a lock file that is not the user's own is refused (on one line);
// without either there is no lock and the saver runs all the same.

#include <string>

namespace portable {

// A descriptor that holds the lock for windows of this class; -1 when another program holds it
// or there is none to be had (said on one line).
int HoldWindowClassLock(const std::string& className);
// Whether another program holds the lock for windows of this class.
bool OtherProgramHoldsWindowClassLock(const std::string& className);

} // namespace portable
