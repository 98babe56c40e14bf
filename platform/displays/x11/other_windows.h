#pragma once

// Windows of other programs: those the saver is given to draw in (-window-id, -root, /p), each
// stood for by a hidden top-level window of ours, and another program's saver window, found by
// its class and title.

#include "platform/portable/stand_in_windows.h"
#include "platform/portable/x11_connection.h"

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
