#include "app/live.h"

#include "app/run_inside.h"
#include "net_wm_icon.h"

#include "host/command_line.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "platform/api.h"
#include "platform/displays/wayland/display.h"
#include "platform/displays/x11/display.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace {

constexpr int NoDisplay = 2;
constexpr WPARAM EscapeKey = 0x1B;
constexpr int OwnWidth = 1024;
constexpr int OwnHeight = 768;

// The window of its own: closing it, q or Escape end the saver, as with xscreensaver's hacks
// in a window; the saver inside follows its size.
LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == 'Q' || wParam == EscapeKey) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_SIZE:
        if (Host().saverWindow != nullptr) {
            MoveWindow(Host().saverWindow, 0, 0, static_cast<int>(lParam & 0xFFFF),
                       static_cast<int>(lParam >> 16 & 0xFFFF), TRUE);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND OwnWindow() {
    WNDCLASSA ownClass{};
    ownClass.lpfnWndProc = OwnWindowProc;
    ownClass.lpszClassName = "Epiphase";
    RegisterClassA(&ownClass);
    return CreateWindowExA(0, "Epiphase", "Epiphase", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           OwnWidth, OwnHeight, nullptr, nullptr, nullptr, nullptr);
}

// xscreensaver hands its window over in XSCREENSAVER_WINDOW; without it, the root window.
unsigned long RootTarget(const portable::X11Display& display) {
    const char* given = std::getenv("XSCREENSAVER_WINDOW");
    if (given != nullptr && *given != '\0') {
        char* end = nullptr;
        const unsigned long id = std::strtoul(given, &end, 0);
        if (end != given && *end == '\0' && id != 0) {
            return id;
        }
    }
    return display.Root();
}

// On Wayland: a window of its own, full screen or the wallpaper; no client shows another's
// window.
int RunOnWayland(const LinuxOptions& options) {
    const LaunchRequest request = ParseLaunchCommand(options.windowsTail.c_str(), false);
    const char* needsX =
        options.action == LinuxOptions::Action::InWindowId ? "-window-id"
        : options.action == LinuxOptions::Action::RunSaver && request.mode == LaunchMode::RunPreview
            ? "/p"
            : nullptr;
    if (needsX != nullptr) {
        std::fprintf(stderr,
                     "epiphase: %s draws in another program's X window, which Wayland does not "
                     "give (--backend x11 runs it on Xwayland)\n",
                     needsX);
        return NoDisplay;
    }
    std::string error;
    auto display = portable::WaylandDisplay::Open(error);
    if (!display) {
        std::fprintf(stderr, "epiphase: %s\n", error.c_str());
        return NoDisplay;
    }
    portable::WaylandDisplay& wayland = *display;
    wayland.PaceFrames(std::chrono::microseconds(options.delayMicroseconds));
    portable::SetDisplay(std::move(display));
    if (options.action == LinuxOptions::Action::InWindow) {
        return RunSaverInside(OwnWindow());
    }
    if (options.action == LinuxOptions::Action::OnRoot) {
        // As a second /s does: the one already showing stays, this one ends quietly.
        bool shownElsewhere = false;
        const HWND wallpaper = wayland.ShowWallpaper(shownElsewhere, error);
        if (wallpaper == nullptr && !shownElsewhere) {
            std::fprintf(stderr, "epiphase: %s\n", error.c_str());
            return NoDisplay;
        }
        return wallpaper != nullptr ? RunSaverInside(wallpaper) : 0;
    }
    return HostMain(GetModuleHandleA(nullptr), options.windowsTail.c_str());
}

// Draws inside X window `id` until it goes or a signal comes; a window that does not exist is
// named on one line.
int RunInsideXWindow(portable::X11Display& x11, unsigned long id) {
    const HWND foreign = x11.AdoptForeignWindow(id);
    if (foreign == nullptr) {
        std::fprintf(stderr, "epiphase: there is no X window 0x%lx\n", id);
        return NoDisplay;
    }
    return RunSaverInside(foreign);
}

int RunOnX11(const LinuxOptions& options) {
    std::string error;
    auto display = portable::X11Display::Open(true, error);
    if (!display) {
        std::fprintf(stderr, "epiphase: %s\n", error.c_str());
        return NoDisplay;
    }
    portable::X11Display& x11 = *display;
    x11.CloseOnSignals();
    x11.PaceFrames(std::chrono::microseconds(options.delayMicroseconds));
    x11.SetWindowIcon(NetWmIcon, std::size(NetWmIcon));
    portable::SetDisplay(std::move(display));

    switch (options.action) {
    case LinuxOptions::Action::InWindow:
        return RunSaverInside(OwnWindow());
    case LinuxOptions::Action::InWindowId:
    case LinuxOptions::Action::OnRoot:
        return RunInsideXWindow(x11, options.action == LinuxOptions::Action::OnRoot
                                         ? RootTarget(x11)
                                         : options.windowId);
    default: {
        // Windows switches: /p names an X window to draw in.
        const LaunchRequest request = ParseLaunchCommand(options.windowsTail.c_str(), false);
        if (request.mode == LaunchMode::RunPreview) {
            return RunInsideXWindow(x11, request.windowNumber);
        }
        return HostMain(GetModuleHandleA(nullptr), options.windowsTail.c_str());
    }
    }
}

} // namespace

int RunLive(const LinuxOptions& options) {
    Backend backend = Backend::X11;
    std::string error;
    if (!ChooseBackend(options.backend, std::getenv("EPIPHASE_BACKEND"),
                       std::getenv("WAYLAND_DISPLAY"), backend, error)) {
        std::fprintf(stderr, "epiphase: %s\n", error.c_str());
        return NoDisplay;
    }
    return backend == Backend::Wayland ? RunOnWayland(options) : RunOnX11(options);
}
