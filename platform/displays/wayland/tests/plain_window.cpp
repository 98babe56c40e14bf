// Another program's window for the tests: an xdg-shell top-level (app id "plain-window") filled
// with one colour, PlainColour, at whatever size the compositor gives it, until it is killed.

#include "xdg-shell.h"

#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t PlainColour = 0x123456;

struct Client {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    wl_surface* surface = nullptr;
    int width = 200, height = 150; // until the compositor chooses
};

void Announce(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    Client& c = *static_cast<Client*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        c.compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        c.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        c.shell =
            static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    }
}

const wl_registry_listener Registry{.global = Announce,
                                    .global_remove = [](void*, wl_registry*, std::uint32_t) {}};

const xdg_wm_base_listener Ping{
    .ping = [](void*, xdg_wm_base* shell,
               std::uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

const xdg_toplevel_listener Toplevel{
    .configure =
        [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
            Client& c = *static_cast<Client*>(data);
            c.width = width > 0 ? width : c.width;
            c.height = height > 0 ? height : c.height;
        },
    .close = [](void*, xdg_toplevel*) {},
    .configure_bounds = [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    .wm_capabilities = [](void*, xdg_toplevel*, wl_array*) {},
};

// Each configure: a new buffer of the size given, all one colour.
const xdg_surface_listener Surface{
    .configure =
        [](void* data, xdg_surface* shellSurface, std::uint32_t serial) {
            Client& c = *static_cast<Client*>(data);
            xdg_surface_ack_configure(shellSurface, serial);
            const int stride = c.width * 4;
            const int size = stride * c.height;
            const int file = memfd_create("plain-window", MFD_CLOEXEC);
            if (file < 0 || ftruncate(file, size) != 0) {
                return;
            }
            auto* pixels = static_cast<std::uint32_t*>(
                mmap(nullptr, static_cast<std::size_t>(size), PROT_WRITE, MAP_SHARED, file, 0));
            for (int i = 0; i < c.width * c.height; ++i) {
                pixels[i] = PlainColour;
            }
            munmap(pixels, static_cast<std::size_t>(size));
            wl_shm_pool* pool = wl_shm_create_pool(c.shm, file, size);
            wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, c.width, c.height, stride,
                                                          WL_SHM_FORMAT_XRGB8888);
            wl_shm_pool_destroy(pool);
            close(file);
            wl_surface_attach(c.surface, buffer, 0, 0);
            wl_surface_damage(c.surface, 0, 0, c.width, c.height);
            wl_surface_commit(c.surface);
        },
};

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no compositor\n");
        return 1;
    }
    Client c;
    wl_registry_add_listener(wl_display_get_registry(display), &Registry, &c);
    wl_display_roundtrip(display);
    if (c.compositor == nullptr || c.shm == nullptr || c.shell == nullptr) {
        std::fprintf(stderr, "no compositor, shared memory or xdg-shell\n");
        return 1;
    }
    xdg_wm_base_add_listener(c.shell, &Ping, nullptr);
    c.surface = wl_compositor_create_surface(c.compositor);
    xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(c.shell, c.surface);
    xdg_surface_add_listener(shellSurface, &Surface, &c);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
    xdg_toplevel_add_listener(toplevel, &Toplevel, &c);
    xdg_toplevel_set_app_id(toplevel, "plain-window");
    wl_surface_commit(c.surface);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
