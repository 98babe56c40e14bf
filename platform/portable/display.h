#pragma once

// Where the stand-in's windows are shown and its input comes from, implemented by the back ends
// of platform/displays/: headless (memory only), X11 and Wayland. The window manager calls
// these; a back end turns its own events into window messages through the input functions of
// controls.h.

#include "platform/portable/raster.h"
#include "platform/portable/types.h"

#include <memory>

namespace portable {

class Display {
  public:
    virtual ~Display() = default;

    virtual RECT PrimaryScreen() const = 0; // SM_CXSCREEN, SM_CYSCREEN
    virtual RECT VirtualScreen() const = 0; // the SM_*VIRTUALSCREEN metrics
    virtual POINT CursorPosition() const = 0;
    virtual void MoveCursor(POINT screen) = 0;
    virtual void SetCursorVisible(bool visible) = 0;

    // A top-level window became visible, changed place or size, or went away.
    virtual void WindowShown(HWND window, const RECT& screenRect) = 0;
    virtual void WindowRaised(HWND window) = 0;
    virtual void WindowGone(HWND window) = 0;
    // A window's paint begins (BeginPaint); renders step their clock here.
    virtual void PaintBegins(HWND window) = 0;
    // An area (surface pixels) of a top-level window's surface is finished and can be shown.
    virtual void Present(HWND window, const Surface& surface, const RECT& area) = 0;

    // Turns pending events into messages. With `wait`, blocks until at least one arrived (or,
    // on a paced display, until the next paint is due); returns false when none ever can, so
    // that a message loop does not wait forever.
    virtual bool PumpEvents(bool wait) = 0;
    // Asked when a paint is waiting: whether it may begin now. A paced display holds it back
    // until the next frame's time; the others paint whenever asked.
    virtual bool PaintDue() { return true; }
    // A top-level window of another program with this class and title (either null: any),
    // stood for by a hidden window of ours that can be brought to the front; null if none.
    virtual HWND FindOtherProgramWindow(const char*, const char*) { return nullptr; }
};

// The display the entry point chose (a back end of platform/displays/); none before it chose,
// and using the stand-in then is a program fault.
Display& CurrentDisplay();
void SetDisplay(std::unique_ptr<Display> display);

} // namespace portable
