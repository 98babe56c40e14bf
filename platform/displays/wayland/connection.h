#pragma once

// The Wayland back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_WAYLAND
#error "a header of the Wayland back end outside it"
#endif

// The connection to the Wayland compositor and the globals it offers: the ones every client
// needs (compositor, shared memory, xdg-shell), the optional ones (server-side decorations,
// layer shell) and the outputs with their size and scale.

#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct xdg_wm_base;
struct zxdg_decoration_manager_v1;
struct zwlr_layer_shell_v1;

namespace portable {

struct WaylandConnection;

struct WaylandOutput {
    WaylandConnection* connection = nullptr;
    wl_output* output = nullptr;
    std::uint32_t name = 0;    // the global's
    int x = 0, y = 0;          // where the compositor lays it out
    int width = 0, height = 0; // the current mode, in pixels
    int scale = 1;
};

struct WaylandConnection {
    // The compositor named by WAYLAND_DISPLAY, or null with a one-line reason. One that does not
    // answer within a bound ends the program (one line, exit code 1), and so, quietly, does an
    // end signal (watched from here on) while it is waited for.
    static std::unique_ptr<WaylandConnection> Open(std::string& error);
    ~WaylandConnection();

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    zxdg_decoration_manager_v1* decorations = nullptr; // null: none offered
    zwlr_layer_shell_v1* layers = nullptr;             // null: none offered
    // The first seat (the user's), bound by whoever listens to it: what it says on binding
    // would be lost before a listener is set.
    std::uint32_t seatName = 0;
    std::uint32_t seatVersion = 0;
    std::vector<std::unique_ptr<WaylandOutput>> outputs;
    // An output described afresh, added or gone since the windows last followed them.
    bool outputsChanged = false;

    WaylandOutput* OutputOf(wl_output* output) const;
    // Dispatches the events of `queue` (null: the default queue) that have arrived. With
    // `block` and none there, waits for one first: at most `bound` (none: no limit), and, where
    // `endSignalWakes`, no longer once an end signal came.
    void Dispatch(wl_event_queue* queue, bool block, std::optional<std::chrono::nanoseconds> bound,
                  bool endSignalWakes);
    // Sends what is queued, and ends the program if the compositor has closed the connection.
    void Flush();
};

// A fault the saver cannot draw past: one line, exit code 1.
[[noreturn]] void EndOnCompositorFault(const std::string& what);

} // namespace portable
