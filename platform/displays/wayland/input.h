#pragma once

// The Wayland back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_WAYLAND
#error "a header of the Wayland back end outside it"
#endif

// The seat's pointer and keyboard turned into window messages, keys through the compositor's
// key map (xkbcommon). A client learns where the pointer is only once it enters one of its
// surfaces: the place where it is first seen counts as where it stood all along, so that
// travel is measured from there.

#include "platform/displays/wayland/connection.h"
#include "platform/portable/types.h"

#include <functional>
#include <memory>

namespace portable {

// What a surface of ours shows: a part of a window's client area beginning at `origin`, with
// `scale` pixels to a surface unit.
struct WaylandInputTarget {
    HWND window = nullptr;
    POINT origin{0, 0};
    int scale = 1;
};

class WaylandInput {
  public:
    using TargetOf = std::function<bool(wl_surface*, WaylandInputTarget&)>;

    WaylandInput(WaylandConnection& connection, TargetOf targetOf);
    ~WaylandInput();
    WaylandInput(const WaylandInput&) = delete;
    WaylandInput& operator=(const WaylandInput&) = delete;

    // Screen coordinates: a window's client point plus the window's place.
    POINT Pointer() const { return pointer; }
    void SetPointer(POINT screen);
    // A hidden pointer is taken off our surfaces from now on.
    void HidePointer(bool hidden);
    // Once the events that have come are taken: whether the keyboard left our window, which
    // then loses the focus. A compositor that lays out its outputs afresh takes the keyboard from
    // a surface and gives it back at once (sway does): with `outputsChanged`, the keyboard given
    // back to a surface of ours has not left. Any other leave has, even one given back: sway
    // does the same when a locker takes the keys from every client.
    void KeyboardSettled(bool outputsChanged);

    struct State;

  private:
    std::unique_ptr<State> state;
    POINT pointer{0, 0};
};

} // namespace portable
