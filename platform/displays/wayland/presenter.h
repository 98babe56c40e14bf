#pragma once

// The Wayland back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_WAYLAND
#error "a header of the Wayland back end outside it"
#endif

// Finished pixels shown on Wayland surfaces. Surfaces of a window's size live in memory shared
// with the compositor (memfd, wl_shm): a frame is shown without a copy, and parts of one
// surface (one per output) are buffers over the same memory. Once committed, a buffer may be
// read by the compositor until it releases it, so memory under a held buffer is never written:
// writing waits for the release, and memory held too long is exchanged for a copy in fresh
// memory at the same address, leaving the old pages to the compositor.

#include "platform/displays/wayland/connection.h"
#include "platform/portable/raster.h"

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace portable {

class WaylandPresenter {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    WaylandPresenter(WaylandConnection& connection, Clock clock);
    ~WaylandPresenter();
    WaylandPresenter(const WaylandPresenter&) = delete;
    WaylandPresenter& operator=(const WaylandPresenter&) = delete;

    // Memory for a new surface, shared with the compositor; null for plain memory.
    std::shared_ptr<PixelMemory> NewPixels(int width, int height);
    // Attaches `part` (surface pixels) of the surface's pixels to `target`, with `area` (surface
    // pixels, inside `part`) changed since the last; the caller commits.
    void Attach(wl_surface* target, const Surface& surface, const RECT& part, const RECT& area);
    // The surface is gone: memory kept for it goes too.
    void Forget(wl_surface* target);
    // Takes the releases that have arrived.
    void TakeReleases();

    class SharedPixels;
    // The compositor lets go of every buffer over the pixels before they are written again.
    void WaitForRelease(SharedPixels& pixels);

  private:
    std::shared_ptr<SharedPixels> MakePixels(int width, int height);
    void Exchange(SharedPixels& pixels);

    WaylandConnection& connection;
    Clock clock;
    wl_event_queue* releases; // buffer releases only, so that waiting for one takes nothing else
    std::set<SharedPixels*> shared;
    // For pixels in plain memory, two copies a surface: the compositor may hold the one last
    // shown until the next commit, so each frame is written into the other.
    struct Copies {
        std::array<std::shared_ptr<SharedPixels>, 2> memory;
        std::size_t last = 1;
    };
    std::map<wl_surface*, Copies> copies;
};

} // namespace portable
