// The tests' pointer on a Wayland compositor that has no pointer of its own (headless): one
// virtual pointer for as long as it runs, driven by lines on its input, each answered with
// "ok" once the compositor has taken it:
//   to X Y     moves to X, Y of a WIDTH × HEIGHT layout (the arguments)
//   by DX DY   moves by DX, DY
//   click [B]  presses and releases button B: left (the default), right or middle

#include "wlr-virtual-pointer-unstable-v1.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <linux/input-event-codes.h>
#include <sstream>
#include <string>

namespace {

zwlr_virtual_pointer_manager_v1* manager = nullptr;

void Announce(void*, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

const wl_registry_listener Registry{.global = Announce,
                                    .global_remove = [](void*, wl_registry*, std::uint32_t) {}};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    const auto width = static_cast<std::uint32_t>(std::atoi(argv[1]));
    const auto height = static_cast<std::uint32_t>(std::atoi(argv[2]));
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no compositor\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &Registry, nullptr);
    wl_display_roundtrip(display);
    if (manager == nullptr) {
        std::fprintf(stderr, "no virtual pointer manager\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
    std::uint32_t time = 0;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        int x = 0, y = 0;
        std::string button = "left";
        if (command == "click") {
            words >> button;
        } else {
            words >> x >> y;
        }
        time += 10;
        if (command == "to") {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, static_cast<std::uint32_t>(x),
                                                    static_cast<std::uint32_t>(y), width, height);
        } else if (command == "by") {
            zwlr_virtual_pointer_v1_motion(pointer, time, wl_fixed_from_int(x),
                                           wl_fixed_from_int(y));
        } else if (command == "click") {
            const std::uint32_t code = button == "right"    ? BTN_RIGHT
                                       : button == "middle" ? BTN_MIDDLE
                                                            : BTN_LEFT;
            zwlr_virtual_pointer_v1_button(pointer, time, code, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, time + 5, code,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) {
            return 1;
        }
        std::cout << "ok" << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(manager);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
