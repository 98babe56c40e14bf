#pragma once

// The entry point chooses a back end: neither the stand-in nor another back end builds on it.
#if defined(EPIPHASE_STAND_IN) || defined(EPIPHASE_DISPLAY_HEADLESS) ||                            \
    defined(EPIPHASE_DISPLAY_LIVE) || defined(EPIPHASE_DISPLAY_X11)
#error "the Wayland back end included by the stand-in or another back end"
#endif

// The stand-in's windows on a Wayland compositor: top-level windows become surfaces
// (own_windows.h), finished areas are presented from memory the compositor reads
// (presenter.h), seat input becomes window messages (input.h), and paints are
// paced by the compositor's frame callbacks and by an interval (platform/frame_pacing.h).

#include "platform/portable/display.h"

#include <chrono>
#include <memory>
#include <string>

namespace portable {

class WaylandDisplay final : public Display {
  public:
    // The compositor named by WAYLAND_DISPLAY, or null with a one-line reason. From here on
    // SIGTERM and SIGINT end the program: at once while the compositor is asked what it offers,
    // later by closing every top-level window, so the message loop ends normally.
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
    // The wallpaper (-root): a visible top-level window of ours on the background layer of every
    // output, below every window; what is drawn inside it follows its size. Null when another
    // program shows the wallpaper on this compositor already (`shownElsewhere`), or with a
    // one-line reason when the compositor has no background layer to give.
    HWND ShowWallpaper(bool& shownElsewhere, std::string& error);

    struct State;

  private:
    explicit WaylandDisplay(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

} // namespace portable
