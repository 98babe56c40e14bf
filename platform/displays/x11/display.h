#pragma once

// The entry point chooses a back end: neither the stand-in nor another back end builds on it.
#if defined(EPIPHASE_STAND_IN) || defined(EPIPHASE_DISPLAY_HEADLESS) || \
    defined(EPIPHASE_DISPLAY_LIVE) || defined(EPIPHASE_DISPLAY_WAYLAND)
#error "the X11 back end included by the stand-in or another back end"
#endif

// The stand-in's windows on a real X11 display: top-level windows become X windows (or stand
// for windows of other programs), finished areas are presented (presenter.h), X input
// becomes window messages (input.h), and paints are paced (platform/frame_pacing.h).

#include "platform/portable/display.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace portable {

class X11Display final : public Display {
  public:
    // The display named by DISPLAY, or null with a one-line reason.
    static std::unique_ptr<X11Display> Open(bool useSharedMemory, std::string& error);
    ~X11Display() override;

    RECT PrimaryScreen() const override;
    RECT VirtualScreen() const override;
    POINT CursorPosition() const override;
    void MoveCursor(POINT screen) override;
    void SetCursorVisible(bool visible) override;
    void WindowShown(HWND window, const RECT& screenRect) override;
    void WindowRaised(HWND window) override;
    void WindowGone(HWND window) override;
    void PaintBegins(HWND window) override;
    void Present(HWND window, const Surface& surface, const RECT& area) override;
    bool PumpEvents(bool wait) override;
    bool PaintDue() override;
    HWND FindOtherProgramWindow(const char* className, const char* title) override;

    // Each paint begins at least `interval` after the previous one began; zero paints as fast
    // as asked. Waiting for that time still takes input at once.
    void PaceFrames(std::chrono::microseconds interval);

    // A visible top-level window standing for an X window of another program (-window-id,
    // -root): it takes that window's size and follows it, and its children are drawn there.
    // Null when there is no such X window; a window whose pixels cannot be served ends the
    // program with a one-line reason.
    HWND AdoptForeignWindow(unsigned long xWindow);
    unsigned long Root() const;
    bool UsesSharedMemory() const;
    // SIGTERM and SIGINT close every top-level window, so the message loop ends normally.
    void CloseOnSignals();
    // The icon of the windows of its own shown from now on, as _NET_WM_ICON holds it: for each
    // size, width and height, then ARGB pixels row by row.
    void SetWindowIcon(const std::uint32_t* cardinals, std::size_t count);

    struct State;

  private:
    explicit X11Display(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

} // namespace portable
