#pragma once

// Windows of other programs: those the saver is given to draw in (-window-id, -root, /p), each
// stood for by a hidden top-level window of ours, and another program's saver window, found by
// its class and title.

#include "platform/portable/stand_in_windows.h"
#include "platform/portable/x11_connection.h"

#include <functional>

namespace portable {

// The topmost child of the root window, other than ours, whose class (case aside) and title
// match (either null: any); 0 if there is none.
::Window FindTopLevelWindow(const X11Connection& connection, const char* className,
                            const char* title, const std::function<bool(::Window)>& ours);

} // namespace portable
