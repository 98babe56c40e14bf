#include "platform/displays/wayland/connection.h"

#include "platform/displays/live/end_signals.h"

#include "wlr-layer-shell-unstable-v1.h"
#include "xdg-decoration-unstable-v1.h"
#include "xdg-shell.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace portable {

namespace {

template <typename Proxy>
Proxy* Bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
            std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<Proxy*>(
        wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

const xdg_wm_base_listener ShellListener{
    .ping = [](void*, xdg_wm_base* shell,
               std::uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

const wl_output_listener OutputListener{
    .geometry =
        [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
           std::int32_t, const char*, const char*, std::int32_t) {
            auto& output = *static_cast<WaylandOutput*>(data);
            output.x = x;
            output.y = y;
        },
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
           std::int32_t) {
            if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
                auto& output = *static_cast<WaylandOutput*>(data);
                output.width = width;
                output.height = height;
            }
        },
    .done =
        [](void* data, wl_output*) {
            static_cast<WaylandOutput*>(data)->connection->outputsChanged = true;
        },
    .scale =
        [](void* data, wl_output*, std::int32_t factor) {
            static_cast<WaylandOutput*>(data)->scale = std::max(factor, 1);
        },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

void Announce(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto& c = *static_cast<WaylandConnection*>(data);
    const auto is = [interface](const wl_interface& wanted) {
        return std::strcmp(interface, wanted.name) == 0;
    };
    if (is(wl_compositor_interface)) {
        c.compositor = Bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
    } else if (is(wl_shm_interface)) {
        c.shm = Bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
    } else if (is(xdg_wm_base_interface)) {
        c.shell = Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(c.shell, &ShellListener, nullptr);
    } else if (is(zxdg_decoration_manager_v1_interface)) {
        c.decorations = Bind<zxdg_decoration_manager_v1>(
            registry, name, zxdg_decoration_manager_v1_interface, version, 1);
    } else if (is(zwlr_layer_shell_v1_interface)) {
        c.layers =
            Bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 1);
    } else if (is(wl_seat_interface) && c.seatName == 0) {
        c.seatName = name;
        c.seatVersion = std::min<std::uint32_t>(version, 5);
    } else if (is(wl_output_interface)) {
        auto output = std::make_unique<WaylandOutput>();
        output->connection = &c;
        output->name = name;
        output->output = Bind<wl_output>(registry, name, wl_output_interface, version, 2);
        wl_output_add_listener(output->output, &OutputListener, output.get());
        c.outputs.push_back(std::move(output));
        c.outputsChanged = true;
    }
}

void Withdraw(void* data, wl_registry*, std::uint32_t name) {
    auto& c = *static_cast<WaylandConnection*>(data);
    std::erase_if(c.outputs, [&c, name](const std::unique_ptr<WaylandOutput>& output) {
        if (output->name != name) {
            return false;
        }
        wl_output_destroy(output->output);
        c.outputsChanged = true;
        return true;
    });
}

const wl_registry_listener RegistryListener{.global = Announce, .global_remove = Withdraw};

// A compositor that accepts the connection and then says nothing must not hold the start up.
constexpr std::chrono::seconds HandshakeBound{5};

const wl_callback_listener Answered{
    .done =
        [](void* data, wl_callback* callback, std::uint32_t) {
            wl_callback_destroy(callback);
            *static_cast<bool*>(data) = true;
        },
};

// Once the compositor has answered every request sent so far; gives up after the bound (one
// line, exit code 1), and an end signal ends the program at once.
void Roundtrip(WaylandConnection& c, const std::string& shown) {
    bool answered = false;
    wl_callback_add_listener(wl_display_sync(c.display), &Answered, &answered);
    const auto until = std::chrono::steady_clock::now() + HandshakeBound;
    while (!answered) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds(0)) {
            EndOnCompositorFault("the Wayland compositor at '" + shown + "' does not answer");
        }
        c.Dispatch(nullptr, true, left, true);
        if (EndSignalled()) {
            std::_Exit(0); // nothing shown yet: nothing to close
        }
    }
}

} // namespace

void EndOnCompositorFault(const std::string& what) {
    std::fprintf(stderr, "epiphase: %s\n", what.c_str());
    std::_Exit(1);
}

std::unique_ptr<WaylandConnection> WaylandConnection::Open(std::string& error) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const std::string shown = name != nullptr && *name != '\0' ? name : "wayland-0";
    WatchEndSignals(); // the handshake, too, ends on them
    auto c = std::make_unique<WaylandConnection>();
    c->display = wl_display_connect(nullptr);
    if (c->display == nullptr) {
        error = "cannot reach the Wayland compositor at '" + shown + "'";
        return nullptr;
    }
    c->registry = wl_display_get_registry(c->display);
    wl_registry_add_listener(c->registry, &RegistryListener, c.get());
    // The globals, then what the outputs say of themselves.
    Roundtrip(*c, shown);
    Roundtrip(*c, shown);
    if (c->compositor == nullptr ||
        wl_proxy_get_version(reinterpret_cast<wl_proxy*>(c->compositor)) < 4 || c->shm == nullptr ||
        c->shell == nullptr) {
        error = "the Wayland compositor at '" + shown +
                "' offers no wl_compositor 4, wl_shm or xdg_wm_base";
        return nullptr;
    }
    return c;
}

WaylandConnection::~WaylandConnection() {
    if (display != nullptr) {
        wl_display_disconnect(display); // the compositor frees what the connection held
    }
}

WaylandOutput* WaylandConnection::OutputOf(wl_output* output) const {
    for (const auto& known : outputs) {
        if (known->output == output) {
            return known.get();
        }
    }
    return nullptr;
}

void WaylandConnection::Flush() {
    // The compositor reads slower than we write: wait until it can take more, not for ever.
    for (int waited = 0; wl_display_flush(display) < 0 && errno == EAGAIN; ++waited) {
        if (waited == 50) {
            EndOnCompositorFault("the Wayland compositor takes no more requests");
        }
        pollfd out{wl_display_get_fd(display), POLLOUT, 0};
        poll(&out, 1, 100);
    }
    if (wl_display_get_error(display) != 0) {
        EndOnCompositorFault("the Wayland compositor closed the connection");
    }
}

void WaylandConnection::Dispatch(wl_event_queue* queue, bool block,
                                 std::optional<std::chrono::nanoseconds> bound,
                                 bool endSignalWakes) {
    const auto dispatchPending = [&] {
        const int count = queue != nullptr ? wl_display_dispatch_queue_pending(display, queue)
                                           : wl_display_dispatch_pending(display);
        if (count < 0) {
            EndOnCompositorFault("the Wayland compositor closed the connection");
        }
        return count;
    };
    int dispatched = 0;
    while ((queue != nullptr ? wl_display_prepare_read_queue(display, queue)
                             : wl_display_prepare_read(display)) != 0) {
        dispatched += dispatchPending();
    }
    Flush();
    const bool wait = block && dispatched == 0;
    const auto limit = wait ? bound : std::chrono::nanoseconds(0); // not waiting: a look only
    if (WaitForInput(wl_display_get_fd(display), limit, endSignalWakes)) {
        if (wl_display_read_events(display) < 0) {
            EndOnCompositorFault("the Wayland compositor closed the connection");
        }
    } else {
        wl_display_cancel_read(display);
    }
    dispatchPending();
}

} // namespace portable
