#pragma once

// The stand-in's windows on a Wayland compositor: top-level windows become surfaces
// (wayland_own_windows.h), finished areas are presented from memory the compositor reads
// (wayland_presenter.h), seat input becomes window messages (wayland_input.h), and paints are
// paced by the compositor's frame callbacks and by an interval (platform/frame_pacing.h).

#include "platform/portable/display.h"

#include <chrono>
#include <memory>
#include <string>

namespace portable {

class WaylandDisplay final : public Display {
  public:
    // The compositor named by WAYLAND_DISPLAY, or null with a one-line reason.
    static std::unique_ptr<WaylandDisplay> Open(std::string& error);
    ~WaylandDisplay() override;

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

    // Each paint begins once the compositor has shown the last frame, and at least `interval`
    // after the previous paint began; zero: as soon as the compositor is ready.
    void PaceFrames(std::chrono::microseconds interval);
    // SIGTERM and SIGINT close every top-level window, so the message loop ends normally.
    void CloseOnSignals();

    struct State;

  private:
    explicit WaylandDisplay(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

} // namespace portable
