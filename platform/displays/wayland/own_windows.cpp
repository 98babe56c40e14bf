#include "platform/displays/wayland/own_windows.h"

#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include "wlr-layer-shell-unstable-v1.h"
#include "xdg-decoration-unstable-v1.h"
#include "xdg-shell.h"

#include <algorithm>
#include <unistd.h>

namespace portable {

namespace {

WaylandPart& Of(void* data) {
    return *static_cast<WaylandPart*>(data);
}

const wl_surface_listener SurfaceListener{
    // The scale of the outputs it is on (the largest): the picture has their real pixels.
    .enter =
        [](void* data, wl_surface*, wl_output* output) {
            Of(data).outputs.push_back(output);
            Of(data).Resize();
        },
    .leave =
        [](void* data, wl_surface*, wl_output* output) {
            std::erase(Of(data).outputs, output);
            Of(data).Resize();
        },
};

const xdg_surface_listener ShellSurfaceListener{
    .configure =
        [](void* data, xdg_surface* surface, std::uint32_t serial) {
            xdg_surface_ack_configure(surface, serial);
            WaylandPart& part = Of(data);
            if (part.pendingWidth > 0 && part.pendingHeight > 0) { // else: ours to choose
                part.width = part.pendingWidth;
                part.height = part.pendingHeight;
            }
            part.configured = true;
            part.Resize();
        },
};

const xdg_toplevel_listener ToplevelListener{
    .configure =
        [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
            Of(data).pendingWidth = width;
            Of(data).pendingHeight = height;
        },
    .close = [](void* data,
                xdg_toplevel*) { PostMessageA(Of(data).owner->handle, WM_CLOSE, 0, 0); },
    .configure_bounds = [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    .wm_capabilities = [](void*, xdg_toplevel*, wl_array*) {},
};

const zxdg_toplevel_decoration_v1_listener DecorationListener{
    .configure = [](void*, zxdg_toplevel_decoration_v1*, std::uint32_t) {},
};

const zwlr_layer_surface_v1_listener LayerListener{
    .configure =
        [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
           std::uint32_t height) {
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            WaylandPart& part = Of(data);
            part.width = static_cast<int>(width);
            part.height = static_cast<int>(height);
            part.configured = true;
            part.Resize();
        },
    // Taken away by the compositor (its output went, say): the window follows the outputs left.
    .closed =
        [](void* data, zwlr_layer_surface_v1*) {
            Of(data).closed = true;
            Of(data).connection->outputsChanged = true;
        },
};

std::unique_ptr<WaylandPart> NewPart(WaylandConnection& c, WaylandWindow& owner, const RECT& part) {
    auto made = std::make_unique<WaylandPart>();
    made->owner = &owner;
    made->connection = &c;
    made->part = part;
    made->width = std::max<LONG>(part.right - part.left, 1);
    made->height = std::max<LONG>(part.bottom - part.top, 1);
    made->surface = wl_compositor_create_surface(c.compositor);
    wl_surface_add_listener(made->surface, &SurfaceListener, made.get());
    return made;
}

void MakeToplevel(WaylandConnection& c, WaylandPart& part, const Window& shown, bool fullScreen) {
    part.shellSurface = xdg_wm_base_get_xdg_surface(c.shell, part.surface);
    xdg_surface_add_listener(part.shellSurface, &ShellSurfaceListener, &part);
    part.toplevel = xdg_surface_get_toplevel(part.shellSurface);
    xdg_toplevel_add_listener(part.toplevel, &ToplevelListener, &part);
    xdg_toplevel_set_title(part.toplevel, shown.title.c_str());
    xdg_toplevel_set_app_id(part.toplevel, "epiphase");
    if (fullScreen) {
        xdg_toplevel_set_fullscreen(part.toplevel, nullptr);
    } else if (c.decorations != nullptr) {
        part.decoration =
            zxdg_decoration_manager_v1_get_toplevel_decoration(c.decorations, part.toplevel);
        zxdg_toplevel_decoration_v1_add_listener(part.decoration, &DecorationListener, &part);
        zxdg_toplevel_decoration_v1_set_mode(part.decoration,
                                             ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
}

// Over every window (the saver), or under every window (the wallpaper); either covers the whole
// output, panels included. One surface of the saver takes the keyboard, all of it: were each to
// ask, the compositor would hand the keyboard from one to the next, and the first would see it
// taken away.
void MakeLayerSurface(WaylandConnection& c, WaylandPart& part, WaylandOutput& output,
                      bool wallpaper) {
    part.layer = zwlr_layer_shell_v1_get_layer_surface(
        c.layers, part.surface, output.output,
        wallpaper ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        "epiphase");
    zwlr_layer_surface_v1_add_listener(part.layer, &LayerListener, &part);
    zwlr_layer_surface_v1_set_anchor(
        part.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                        ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(part.layer, 0, 0);         // the whole output
    zwlr_layer_surface_v1_set_exclusive_zone(part.layer, -1); // panels move for neither
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        part.layer, part.takesKeyboard ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                       : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    part.layerOutput = output.output;
    part.outputs.push_back(output.output);
    part.scale = output.scale;
    wl_surface_set_buffer_scale(part.surface, part.scale);
}

void AddLayerPart(WaylandConnection& c, WaylandWindow& window, WaylandOutput& output,
                  const RECT& place) {
    auto part = NewPart(c, window, place);
    part->width = std::max(output.width / output.scale, 1);
    part->height = std::max(output.height / output.scale, 1);
    part->takesKeyboard = !window.wallpaper && window.parts.empty();
    MakeLayerSurface(c, *part, output, window.wallpaper);
    wl_surface_commit(part->surface); // no buffer yet: the compositor answers with a size
    window.parts.push_back(std::move(part));
}

// The saver keeps the keyboard when the part that took it goes: the first part left takes it.
void KeepKeyboard(WaylandWindow& window) {
    if (window.wallpaper || window.parts.empty() ||
        std::any_of(window.parts.begin(), window.parts.end(),
                    [](const auto& part) { return part->takesKeyboard; })) {
        return;
    }
    WaylandPart& heir = *window.parts.front();
    heir.takesKeyboard = true;
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        heir.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(heir.surface);
}

} // namespace

WaylandPart::~WaylandPart() {
    if (frame != nullptr) {
        wl_callback_destroy(frame);
    }
    if (decoration != nullptr) {
        zxdg_toplevel_decoration_v1_destroy(decoration);
    }
    if (toplevel != nullptr) {
        xdg_toplevel_destroy(toplevel);
    }
    if (shellSurface != nullptr) {
        xdg_surface_destroy(shellSurface);
    }
    if (layer != nullptr) {
        zwlr_layer_surface_v1_destroy(layer);
    }
    wl_surface_destroy(surface);
}

void WaylandPart::Resize() {
    int wanted = 1;
    for (wl_output* output : outputs) {
        if (const WaylandOutput* known = connection->OutputOf(output)) {
            wanted = std::max(wanted, known->scale);
        }
    }
    if (wanted != scale) {
        scale = wanted;
        wl_surface_set_buffer_scale(surface, scale);
    }
    part.right = part.left + width * scale;
    part.bottom = part.top + height * scale;
    if (!configured) {
        return;
    }
    // The window spans all its parts, and no more: an output taken away takes its part along.
    LONG right = 0, bottom = 0;
    for (const auto& sibling : owner->parts) {
        right = std::max(right, sibling->part.right);
        bottom = std::max(bottom, sibling->part.bottom);
    }
    const HWND window = owner->handle;
    RECT client{};
    GetClientRect(window, &client);
    if (client.right != right || client.bottom != bottom) {
        const RECT place = FindWindowObject(window)->rect;
        MoveWindow(window, place.left, place.top, right, bottom, TRUE);
    }
    InvalidateRect(window, nullptr, FALSE); // a configured surface shows nothing until painted
}

WaylandWindow::~WaylandWindow() {
    parts.clear();
    if (lock >= 0) {
        close(lock);
    }
}

std::vector<RECT> OutputPlaces(const WaylandConnection& connection) {
    std::vector<const WaylandOutput*> order;
    for (const auto& output : connection.outputs) {
        order.push_back(output.get());
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const WaylandOutput* a, const WaylandOutput* b) {
                         return a->x != b->x ? a->x < b->x : a->y < b->y;
                     });
    std::vector<RECT> places(connection.outputs.size());
    LONG left = 0;
    for (const WaylandOutput* output : order) {
        const auto index = static_cast<std::size_t>(
            std::find_if(connection.outputs.begin(), connection.outputs.end(),
                         [output](const auto& known) { return known.get() == output; }) -
            connection.outputs.begin());
        places[index] = {left, 0, left + output->width, output->height};
        left += output->width;
    }
    return places;
}

std::unique_ptr<WaylandWindow> ShowOwnWaylandWindow(WaylandConnection& c, HWND handle,
                                                    const Window& shown, const RECT& rect,
                                                    bool wallpaper) {
    auto window = std::make_unique<WaylandWindow>();
    window->handle = handle;
    window->wallpaper = wallpaper;
    const bool fullScreen = (shown.exStyle & WS_EX_TOPMOST) != 0;
    window->layered = (fullScreen || wallpaper) && c.layers != nullptr && !c.outputs.empty();
    if (window->layered) {
        FollowOutputs(c, *window, [](WaylandPart&) {});
    } else {
        auto part = NewPart(c, *window, {0, 0, rect.right - rect.left, rect.bottom - rect.top});
        MakeToplevel(c, *part, shown, fullScreen);
        wl_surface_commit(part->surface); // no buffer yet: the compositor answers with a size
        window->parts.push_back(std::move(part));
    }
    c.Flush();
    return window;
}

bool FollowOutputs(WaylandConnection& c, WaylandWindow& window,
                   const std::function<void(WaylandPart&)>& leaving) {
    std::erase_if(window.parts, [&](const std::unique_ptr<WaylandPart>& part) {
        const bool gone = part->closed || c.OutputOf(part->layerOutput) == nullptr;
        if (gone) {
            leaving(*part);
        }
        return gone;
    });
    KeepKeyboard(window);
    const std::vector<RECT> places = OutputPlaces(c);
    for (std::size_t i = 0; i < c.outputs.size(); ++i) {
        WaylandOutput& output = *c.outputs[i];
        const auto on =
            std::find_if(window.parts.begin(), window.parts.end(), [&output](const auto& part) {
                return part->layerOutput == output.output;
            });
        if (on == window.parts.end() && output.width > 0 && output.height > 0) {
            AddLayerPart(c, window, output, places[i]); // a size told: it is described
        } else if (on != window.parts.end() &&
                   ((*on)->part.left != places[i].left || (*on)->part.top != places[i].top)) {
            WaylandPart& moved = **on;
            moved.part = {places[i].left, places[i].top, places[i].left, places[i].top};
            moved.Resize();
        }
    }
    if (!window.parts.empty()) {
        window.parts.front()->Resize(); // the window spans what is left
    }
    return !window.parts.empty();
}

} // namespace portable
