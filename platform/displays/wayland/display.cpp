#include "platform/displays/wayland/display.h"

#include "platform/displays/live/end_signals.h"
#include "platform/displays/live/stand_in_windows.h"
#include "platform/displays/live/steady_pacing.h"
#include "platform/displays/wayland/connection.h"
#include "platform/displays/wayland/input.h"
#include "platform/displays/wayland/other_windows.h"
#include "platform/displays/wayland/own_windows.h"
#include "platform/displays/wayland/presenter.h"
#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <map>
#include <utility>

namespace portable {

namespace {

// A frame shown takes a refresh or two; no word in this long, and the output is taken to be off.
constexpr std::chrono::milliseconds FrameSilence{250};

} // namespace

struct WaylandDisplay::State {
    std::unique_ptr<WaylandConnection> connection;
    SteadyClock clock = [] { return std::chrono::steady_clock::now(); };
    FramePacing pacing{clock};
    std::unique_ptr<WaylandPresenter> presenter;
    std::unique_ptr<WaylandInput> input;
    std::map<HWND, std::unique_ptr<WaylandWindow>> windows;
    std::map<std::string, HWND> others; // other programs' windows, by class
    HWND wallpaper = nullptr;
    int wallpaperLock = -1; // until the wallpaper shows

    bool TargetOf(wl_surface* surface, WaylandInputTarget& target) const {
        for (const auto& [handle, window] : windows) {
            for (const auto& part : window->parts) {
                if (part->surface == surface) {
                    target = {handle, {part->part.left, part->part.top}, part->scale};
                    return true;
                }
            }
        }
        return false;
    }
    // A part waits for its last frame to be shown, unless the compositor has sent no word of it
    // for so long that its output is taken to be off (switched off, hidden): then the others go
    // on without it, and it catches up once the word comes.
    bool Waiting(const WaylandPart& part, std::chrono::steady_clock::time_point now) const {
        return part.frame != nullptr && now - part.frameAsked < FrameSilence;
    }
    // Whether a frame could be shown now: no part waits, and some part is ready for one.
    bool FramesWanted() const {
        const auto now = clock();
        bool ready = windows.empty();
        for (const auto& [handle, window] : windows) {
            for (const auto& part : window->parts) {
                if (Waiting(*part, now)) {
                    return false;
                }
                ready = ready || part->frame == nullptr;
            }
        }
        return ready;
    }
    // How long to sleep at most: until a waiting part's silence would be long enough.
    std::optional<std::chrono::nanoseconds> SleepBound() const {
        std::optional<std::chrono::nanoseconds> bound = pacing.SleepBound();
        const auto now = clock();
        for (const auto& [handle, window] : windows) {
            for (const auto& part : window->parts) {
                if (Waiting(*part, now)) {
                    const auto left = part->frameAsked + FrameSilence - now;
                    bound = bound ? std::min(*bound, left) : left;
                }
            }
        }
        return bound;
    }
    void FollowOutputs() {
        if (!connection->outputsChanged) {
            return;
        }
        connection->outputsChanged = false;
        for (const auto& [handle, window] : windows) {
            const auto forget = [this](WaylandPart& part) { presenter->Forget(part.surface); };
            if (window->layered && !portable::FollowOutputs(*connection, *window, forget)) {
                PostMessageA(handle, WM_CLOSE, 0, 0); // the last output went
            }
        }
        connection->Flush();
    }
};

namespace {

// One wallpaper a compositor: the lock beside the full-screen saver's, by the same means.
constexpr const char* WallpaperLock = "wallpaper";

const wl_callback_listener FrameShown{
    .done =
        [](void* data, wl_callback* callback, std::uint32_t) {
            wl_callback_destroy(callback);
            static_cast<WaylandPart*>(data)->frame = nullptr;
        },
};

RECT Union(const std::vector<RECT>& places) {
    RECT all{0, 0, 0, 0};
    for (const RECT& place : places) {
        all = {std::min(all.left, place.left), std::min(all.top, place.top),
               std::max(all.right, place.right), std::max(all.bottom, place.bottom)};
    }
    return all;
}

} // namespace

WaylandDisplay::WaylandDisplay(std::unique_ptr<State> opened) : state(std::move(opened)) {
    SetPixelAllocator([presenter = state->presenter.get()](int width, int height) {
        return presenter->NewPixels(width, height);
    });
}

WaylandDisplay::~WaylandDisplay() {
    SetPixelAllocator(nullptr); // frees the shared memory kept for later surfaces
    state->windows.clear();
    state->input.reset();
    state->presenter.reset();
}

std::unique_ptr<WaylandDisplay> WaylandDisplay::Open(std::string& error) {
    auto state = std::make_unique<State>();
    state->connection = WaylandConnection::Open(error);
    if (state->connection == nullptr) {
        return nullptr;
    }
    state->presenter = std::make_unique<WaylandPresenter>(*state->connection, state->clock);
    State* self = state.get();
    state->input = std::make_unique<WaylandInput>(
        *state->connection, [self](wl_surface* surface, WaylandInputTarget& target) {
            return self->TargetOf(surface, target);
        });
    return std::unique_ptr<WaylandDisplay>(new WaylandDisplay(std::move(state)));
}

RECT WaylandDisplay::PrimaryScreen() const {
    for (const RECT& place : OutputPlaces(*state->connection)) {
        if (place.left == 0) {
            return place;
        }
    }
    return {0, 0, 0, 0};
}

RECT WaylandDisplay::VirtualScreen() const {
    return Union(OutputPlaces(*state->connection));
}

POINT WaylandDisplay::CursorPosition() const {
    return state->input->Pointer();
}

void WaylandDisplay::MoveCursor(POINT screen) {
    state->input->SetPointer(screen);
}

void WaylandDisplay::SetCursorVisible(bool visible) {
    state->input->HidePointer(!visible);
    state->connection->Flush();
}

void WaylandDisplay::WindowShown(HWND handle, const RECT& rect) {
    if (state->windows.contains(handle)) {
        return;
    }
    const Window& shown = *FindWindowObject(handle);
    const bool wallpaper = handle == state->wallpaper;
    auto window = ShowOwnWaylandWindow(*state->connection, handle, shown, rect, wallpaper);
    window->lock =
        wallpaper ? std::exchange(state->wallpaperLock, -1) : HoldWindowClassLock(shown.className);
    state->windows[handle] = std::move(window);
}

// Wayland lets no client raise a window; a full-screen saver is an overlay above all anyway.
void WaylandDisplay::WindowRaised(HWND) {}

void WaylandDisplay::WindowGone(HWND handle) {
    const auto found = state->windows.find(handle);
    if (found == state->windows.end()) {
        return;
    }
    for (const auto& part : found->second->parts) {
        state->presenter->Forget(part->surface);
    }
    state->windows.erase(found);
    state->connection->Flush();
}

void WaylandDisplay::PaintBegins(HWND) {
    state->pacing.PaintBegins();
}

bool WaylandDisplay::PaintDue() {
    // The compositor's frame callbacks first: never faster than it shows frames.
    return state->FramesWanted() && state->pacing.PaintDue();
}

void WaylandDisplay::Present(HWND handle, const Surface& surface, const RECT& painted) {
    const auto found = state->windows.find(handle);
    if (found == state->windows.end()) {
        return;
    }
    for (const auto& part : found->second->parts) {
        const RECT shown = IntersectRects(part->part, {0, 0, surface.width, surface.height});
        const RECT area = IntersectRects(part->framesMissed ? shown : painted, shown);
        if (!part->configured || IsEmptyRect(area)) {
            continue;
        }
        if (part->frame != nullptr) { // its output is off: it shows this frame later, whole
            part->framesMissed = true;
            continue;
        }
        state->presenter->Attach(part->surface, surface, shown, area);
        part->framesMissed = false;
        part->frame = wl_surface_frame(part->surface);
        part->frameAsked = state->clock();
        wl_callback_add_listener(part->frame, &FrameShown, part.get());
        wl_surface_commit(part->surface);
    }
    state->connection->Flush();
}

bool WaylandDisplay::PumpEvents(bool wait) {
    state->presenter->TakeReleases();
    state->connection->Dispatch(nullptr, wait && !EndSignalled(), state->SleepBound(), true);
    state->presenter->TakeReleases();
    state->input->KeyboardSettled(state->connection->outputsChanged);
    state->FollowOutputs();
    CloseWindowsOnEndSignal();
    return true;
}

HWND WaylandDisplay::FindOtherProgramWindow(const char* className, const char*) {
    if (className == nullptr || !OtherProgramHoldsWindowClassLock(className)) {
        return nullptr;
    }
    for (const auto& [handle, window] : state->windows) {
        if (window->lock >= 0 && FindWindowObject(handle)->className == className) {
            return nullptr; // the lock is ours
        }
    }
    HWND& standIn = state->others[className];
    if (standIn == nullptr || !IsWindow(standIn)) {
        standIn = NewStandInWindow(0, 0);
    }
    return standIn;
}

void WaylandDisplay::PaceFrames(std::chrono::microseconds interval) {
    state->pacing.SetInterval(interval);
}

HWND WaylandDisplay::ShowWallpaper(bool& shownElsewhere, std::string& error) {
    shownElsewhere = false;
    if (state->connection->layers == nullptr || state->connection->outputs.empty()) {
        error = "the compositor gives no background layer (wlr-layer-shell) for -root";
        return nullptr;
    }
    // A lock that cannot be made (no runtime folder) keeps no wallpaper from showing.
    const int lock = HoldWindowClassLock(WallpaperLock);
    if (lock < 0 && OtherProgramHoldsWindowClassLock(WallpaperLock)) {
        shownElsewhere = true;
        return nullptr;
    }
    const RECT all = VirtualScreen();
    state->wallpaper = NewStandInWindow(all.right, all.bottom);
    state->wallpaperLock = lock;
    ShowWindow(state->wallpaper, SW_SHOW);
    return state->wallpaper;
}

} // namespace portable
