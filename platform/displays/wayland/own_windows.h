#pragma once

// The Wayland back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_WAYLAND
#error "a header of the Wayland back end outside it"
#endif

// Our top-level windows as Wayland surfaces: a window of its own is an xdg-shell top-level
// (server-side decorations where offered); a full-screen window above everything is a
// layer-shell overlay on every output with the keyboard to itself where the compositor offers
// that, else a full-screen top-level; the wallpaper is a layer-shell background on every output,
// below every window, which takes no keys. Sizes the compositor configures, and output scales,
// become the window's size in pixels.

#include "platform/displays/wayland/connection.h"
#include "platform/portable/types.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

struct xdg_surface;
struct xdg_toplevel;
struct zxdg_toplevel_decoration_v1;
struct zwlr_layer_surface_v1;

namespace portable {

struct Window;
struct WaylandWindow;

// One surface of ours, showing `part` of a window's client area.
struct WaylandPart {
    WaylandWindow* owner = nullptr; // the window it shows a part of
    wl_surface* surface = nullptr;
    xdg_surface* shellSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    zxdg_toplevel_decoration_v1* decoration = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    WaylandConnection* connection = nullptr;
    RECT part{0, 0, 0, 0};
    int scale = 1;             // pixels to a surface unit
    int width = 0, height = 0; // in surface units
    int pendingWidth = 0, pendingHeight = 0;
    bool configured = false;      // buffers may be attached
    wl_callback* frame = nullptr; // the last frame shown is not yet on screen
    std::chrono::steady_clock::time_point frameAsked;
    bool framesMissed = false;        // the next frame it shows must be shown whole
    std::vector<wl_output*> outputs;  // those it is on
    wl_output* layerOutput = nullptr; // a layer surface's own output
    bool takesKeyboard = false;
    bool closed = false; // its layer surface taken away by the compositor

    ~WaylandPart();
    // A configured size or scale: the part and the window follow.
    void Resize();
};

struct WaylandWindow {
    HWND handle = nullptr;
    std::vector<std::unique_ptr<WaylandPart>> parts;
    bool layered = false; // a layer surface on every output
    bool wallpaper = false;
    int lock = -1; // held while it is shown (other_windows.h)
    ~WaylandWindow();
};

// `wallpaper`: on the background layer, which only a compositor with a layer shell gives
// (WaylandConnection::layers).
std::unique_ptr<WaylandWindow> ShowOwnWaylandWindow(WaylandConnection& connection, HWND handle,
                                                    const Window& shown, const RECT& rect,
                                                    bool wallpaper);

// A layered window follows the outputs: a part for each output added, none for one gone (or its
// surface closed), the keyboard kept by one of them, each part where its output now lies.
// `leaving` sees each part before it goes. False once no part is left.
bool FollowOutputs(WaylandConnection& connection, WaylandWindow& window,
                   const std::function<void(WaylandPart&)>& leaving);

// Where each output lies in the screen of our windows: side by side in the compositor's order
// from left to right, in pixels. Wayland gives clients no screen coordinates of their own.
std::vector<RECT> OutputPlaces(const WaylandConnection& connection);

} // namespace portable
