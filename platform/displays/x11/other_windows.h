#pragma once

// The X11 back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_X11
#error "a header of the X11 back end outside it"
#endif

// Windows of other programs: those the saver is given to draw in (-window-id, -root, /p), each
// stood for by a hidden top-level window of ours, and another program's saver window, found by
// its class and title.

#include "platform/displays/live/stand_in_windows.h"
#include "platform/displays/x11/connection.h"

#include <functional>
#include <map>

namespace portable {

// Other programs' windows found by class and title, each stood for by one window of ours.
class OtherProgramWindows {
  public:
    // The stand-in for the topmost child of the root window, other than ours, whose class (case
    // aside) and title match (either null: any); null if there is none.
    HWND Find(const X11Connection& connection, const char* className, const char* title,
              const std::function<bool(::Window)>& ours);
    // Brings the window `handle` stands for to the front; false if it stands for none.
    bool Raise(const X11Connection& connection, HWND handle);

  private:
    std::map<HWND, ::Window> found;
};

} // namespace portable
