#include "platform/displays/wayland/input.h"

#include "platform/displays/live/key_symbols.h"
#include "platform/portable/controls.h"
#include "platform/portable/message_queue.h"
#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <xkbcommon/xkbcommon.h>

namespace portable {

struct WaylandInput::State {
    WaylandInput& owner;
    TargetOf targetOf;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_surface* pointerOn = nullptr;
    wl_surface* keysTo = nullptr;
    HWND keyboardLeft = nullptr; // since the events last taken
    bool keyboardBack = false;   // to a surface of ours, since it left
    std::uint32_t enterSerial = 0;
    bool hidden = false;
    bool seen = false;  // the pointer has been on one of our surfaces
    POINT offset{0, 0}; // reported = where it is + offset
    POINT client{0, 0}; // in the pointer's window
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    xkb_state* keys = nullptr;

    ~State() {
        xkb_state_unref(keys);
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        if (pointer != nullptr) {
            wl_pointer_destroy(pointer);
        }
        if (keyboard != nullptr) {
            wl_keyboard_destroy(keyboard);
        }
        if (seat != nullptr) {
            wl_seat_destroy(seat);
        }
    }

    // Where the pointer is now, `x`, `y` on `surface`; false if that is none of ours.
    bool Track(wl_surface* surface, wl_fixed_t x, wl_fixed_t y, WaylandInputTarget& target) {
        if (surface == nullptr || !targetOf(surface, target)) {
            return false;
        }
        client = {target.origin.x + wl_fixed_to_int(x * target.scale),
                  target.origin.y + wl_fixed_to_int(y * target.scale)};
        const POINT screen = ClientToScreenPoint(target.window, client);
        if (!seen) {
            offset = {owner.pointer.x - screen.x, owner.pointer.y - screen.y};
            seen = true;
        }
        owner.pointer = {screen.x + offset.x, screen.y + offset.y};
        return true;
    }
    void Hide() {
        if (hidden && pointer != nullptr && pointerOn != nullptr) {
            wl_pointer_set_cursor(pointer, enterSerial, nullptr, 0, 0);
        }
    }
    void Button(std::uint32_t button, bool press) {
        WaylandInputTarget target;
        if (pointerOn == nullptr || !targetOf(pointerOn, target)) {
            return;
        }
        switch (button) {
        case BTN_LEFT:
            QueueButton(target.window, client, press ? WM_LBUTTONDOWN : WM_LBUTTONUP,
                        press ? 1 : 0);
            break;
        case BTN_MIDDLE:
            QueueButton(target.window, client, press ? WM_MBUTTONDOWN : WM_MBUTTONUP,
                        press ? 0x10 : 0);
            break;
        case BTN_RIGHT:
            QueueButton(target.window, client, press ? WM_RBUTTONDOWN : WM_RBUTTONUP,
                        press ? 2 : 0);
            break;
        default:
            break;
        }
    }
    void Key(std::uint32_t code, bool press) {
        WaylandInputTarget target;
        if (keys == nullptr || keysTo == nullptr || !targetOf(keysTo, target)) {
            return;
        }
        // The key's own symbol, shift and the rest aside, as X11 reports it.
        const xkb_keycode_t key = code + 8;
        const xkb_keysym_t* symbols = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(
            keymap, key, xkb_state_key_get_layout(keys, key), 0, &symbols);
        const bool alt =
            xkb_state_mod_name_is_active(keys, XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0;
        const UINT message =
            press ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        QueueInput(target.window, message, VirtualKeyOfSymbol(count > 0 ? symbols[0] : 0), 1);
    }
    void NewKeymap(std::uint32_t format, int descriptor, std::uint32_t size) {
        void* text = MAP_FAILED;
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
            text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        }
        close(descriptor);
        if (text == MAP_FAILED) {
            return;
        }
        xkb_keymap* made =
            xkb_keymap_new_from_string(context, static_cast<const char*>(text),
                                       XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
        munmap(text, size);
        if (made != nullptr) {
            xkb_state_unref(keys);
            xkb_keymap_unref(keymap);
            keymap = made;
            keys = xkb_state_new(keymap);
        }
    }
};

namespace {

using State = WaylandInput::State;
State& Of(void* data) {
    return *static_cast<State*>(data);
}

const wl_pointer_listener PointerListener{
    .enter =
        [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
           wl_fixed_t y) {
            State& s = Of(data);
            WaylandInputTarget target;
            s.pointerOn = s.Track(surface, x, y, target) ? surface : nullptr;
            s.enterSerial = serial;
            s.Hide();
        },
    .leave = [](void* data, wl_pointer*, std::uint32_t,
                wl_surface*) { Of(data).pointerOn = nullptr; },
    .motion =
        [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
            State& s = Of(data);
            WaylandInputTarget target;
            if (s.Track(s.pointerOn, x, y, target)) {
                QueuePointerMotion(target.window, s.client);
            }
        },
    .button =
        [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
           std::uint32_t state) {
            Of(data).Button(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
        },
    .axis =
        [](void* data, wl_pointer*, std::uint32_t, std::uint32_t axis, wl_fixed_t value) {
            State& s = Of(data);
            WaylandInputTarget target;
            if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL && value != 0 && s.pointerOn != nullptr &&
                s.targetOf(s.pointerOn, target)) {
                const int delta = value < 0 ? 120 : -120; // a wheel turned away from the user: up
                QueueButton(target.window, s.client, WM_MOUSEWHEEL,
                            static_cast<WPARAM>(delta & 0xFFFF) << 16);
            }
        },
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    .axis_value120 = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

const wl_keyboard_listener KeyboardListener{
    .keymap = [](void* data, wl_keyboard*, std::uint32_t format, std::int32_t descriptor,
                 std::uint32_t size) { Of(data).NewKeymap(format, descriptor, size); },
    .enter =
        [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
            State& s = Of(data);
            WaylandInputTarget target;
            s.keyboardBack = surface != nullptr && s.targetOf(surface, target);
            s.keysTo = surface;
        },
    .leave =
        [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
            State& s = Of(data);
            WaylandInputTarget target;
            if (surface != nullptr && s.targetOf(surface, target)) {
                s.keyboardLeft = target.window;
                s.keyboardBack = false;
            }
            s.keysTo = nullptr;
        },
    .key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
              std::uint32_t state) { Of(data).Key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED); },
    .modifiers =
        [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
           std::uint32_t locked, std::uint32_t group) {
            if (xkb_state* keys = Of(data).keys) {
                xkb_state_update_mask(keys, depressed, latched, locked, 0, 0, group);
            }
        },
    .repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

const wl_seat_listener SeatListener{
    .capabilities =
        [](void* data, wl_seat* seat, std::uint32_t capabilities) {
            State& s = Of(data);
            const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
            if (pointer && s.pointer == nullptr) {
                s.pointer = wl_seat_get_pointer(seat);
                wl_pointer_add_listener(s.pointer, &PointerListener, &s);
            } else if (!pointer && s.pointer != nullptr) {
                wl_pointer_destroy(s.pointer);
                s.pointer = nullptr;
                s.pointerOn = nullptr;
            }
            const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
            if (keyboard && s.keyboard == nullptr) {
                s.keyboard = wl_seat_get_keyboard(seat);
                wl_keyboard_add_listener(s.keyboard, &KeyboardListener, &s);
            } else if (!keyboard && s.keyboard != nullptr) {
                wl_keyboard_destroy(s.keyboard);
                s.keyboard = nullptr;
                s.keysTo = nullptr;
            }
        },
    .name = [](void*, wl_seat*, const char*) {},
};

} // namespace

WaylandInput::WaylandInput(WaylandConnection& connection, TargetOf targetOf)
    : state(std::make_unique<State>(*this, std::move(targetOf))) {
    if (connection.seatName != 0) {
        state->seat = static_cast<wl_seat*>(wl_registry_bind(
            connection.registry, connection.seatName, &wl_seat_interface, connection.seatVersion));
        wl_seat_add_listener(state->seat, &SeatListener, state.get());
    }
}

WaylandInput::~WaylandInput() = default;

void WaylandInput::SetPointer(POINT screen) {
    // Nothing moves a Wayland pointer but the user: only what is reported follows.
    state->offset = {state->offset.x + screen.x - pointer.x,
                     state->offset.y + screen.y - pointer.y};
    pointer = screen;
}

void WaylandInput::HidePointer(bool hidden) {
    state->hidden = hidden;
    state->Hide();
}

void WaylandInput::KeyboardSettled(bool outputsChanged) {
    const HWND left = std::exchange(state->keyboardLeft, nullptr);
    if (left != nullptr && !(state->keyboardBack && outputsChanged)) {
        QueueSystemMessage(left, WM_ACTIVATEAPP, FALSE, 0);
    }
}

} // namespace portable
