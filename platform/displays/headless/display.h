#pragma once

// The entry point chooses a back end: neither the stand-in nor another back end builds on it.
#if defined(EPIPHASE_STAND_IN) || defined(EPIPHASE_DISPLAY_LIVE) || \
    defined(EPIPHASE_DISPLAY_X11) || defined(EPIPHASE_DISPLAY_WAYLAND)
#error "the headless back end included by the stand-in or another back end"
#endif

// A display that exists only in memory: windows are surfaces, nothing is shown, and input comes
// only from the controls. Renders and tests run on it.

#include "platform/portable/display.h"

#include <functional>

namespace portable {

class HeadlessDisplay final : public Display {
  public:
    HeadlessDisplay(int width, int height);

    RECT PrimaryScreen() const override { return screen; }
    RECT VirtualScreen() const override { return virtualScreen; }
    POINT CursorPosition() const override { return cursor; }
    void MoveCursor(POINT point) override { cursor = point; }
    void SetCursorVisible(bool) override {} // nothing is shown
    void WindowShown(HWND, const RECT&) override {}
    void WindowRaised(HWND) override {}
    void WindowGone(HWND) override {}
    void PaintBegins(HWND window) override;
    void Present(HWND window, const Surface& surface, const RECT& area) override;
    bool PumpEvents(bool wait) override;

    // Some systems report no virtual screen; the saver must cope.
    void SetVirtualScreen(const RECT& rect) { virtualScreen = rect; }
    // Called as each paint begins, and for each painted area handed to the display.
    void OnPaintBegins(std::function<void(HWND)> begins) { onPaintBegins = std::move(begins); }
    void OnPresent(std::function<void(HWND)> present) { onPresent = std::move(present); }

  private:
    RECT screen;
    RECT virtualScreen;
    POINT cursor{0, 0};
    std::function<void(HWND)> onPaintBegins;
    std::function<void(HWND)> onPresent;
};

// Makes a headless display of the given size the display, in place of any other.
HeadlessDisplay& UseHeadlessDisplay(int width, int height);

} // namespace portable
