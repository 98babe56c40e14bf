#include "platform/portable/window_manager.h"

#include "platform/portable/controls.h"
#include "platform/portable/display.h"
#include "platform/portable/user.h"
#include "platform/portable/window_state.h"

#include <algorithm>
#include <utility>

namespace portable {

WindowManager& Manager() {
    static WindowManager& manager = *new WindowManager; // outlives every exit handler
    return manager;
}

void AppendSubtree(HWND handle, std::vector<HWND>& order) {
    order.push_back(handle);
    for (HWND child : FindWindowObject(handle)->children) {
        AppendSubtree(child, order);
    }
}

Window* FindWindowObject(HWND window) {
    const auto& windows = Manager().windows;
    const auto found = windows.find(reinterpret_cast<std::uintptr_t>(window));
    return found == windows.end() ? nullptr : found->second.get();
}

std::vector<HWND> WindowsInPaintOrder() {
    std::vector<HWND> order;
    for (HWND top : Manager().topLevel) {
        AppendSubtree(top, order);
    }
    return order;
}

bool IsShowing(const Window& window) {
    for (const Window* w = &window; w != nullptr; w = FindWindowObject(w->parent)) {
        if (!w->visible) {
            return false;
        }
    }
    return true;
}

POINT ClientToScreenPoint(HWND handle, POINT point) {
    for (const Window* w = FindWindowObject(handle); w != nullptr;
         w = FindWindowObject(w->parent)) {
        point.x += w->rect.left;
        point.y += w->rect.top;
    }
    return point;
}

HWND WindowAtPoint(POINT screen) {
    HWND found = nullptr;
    // Later top-level windows lie above earlier ones; children above their parents.
    for (HWND handle : WindowsInPaintOrder()) {
        const Window& window = *FindWindowObject(handle);
        const POINT origin = ClientToScreenPoint(handle, {0, 0});
        const LONG width = window.rect.right - window.rect.left;
        const LONG height = window.rect.bottom - window.rect.top;
        if (IsShowing(window) && screen.x >= origin.x && screen.x < origin.x + width &&
            screen.y >= origin.y && screen.y < origin.y + height) {
            found = handle;
        }
    }
    return found;
}

HWND WindowAtClientPoint(HWND top, POINT client) {
    const POINT origin = ClientToScreenPoint(top, {0, 0});
    const HWND found = WindowAtPoint({client.x + origin.x, client.y + origin.y});
    for (HWND w = found; w != nullptr; w = GetParent(w)) {
        if (w == top) {
            return found;
        }
    }
    return top;
}

RECT WindowClientArea(HWND handle) {
    const Window* window = FindWindowObject(handle);
    if (window == nullptr) {
        return handle == nullptr ? CurrentDisplay().PrimaryScreen() : RECT{0, 0, 0, 0};
    }
    RECT area{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
    // Ancestors cut a child off where their own client areas end.
    POINT shift{0, 0};
    for (const Window* w = window; w->parent != nullptr;) {
        shift.x += w->rect.left;
        shift.y += w->rect.top;
        w = FindWindowObject(w->parent);
        const RECT parentArea{-shift.x, -shift.y, w->rect.right - w->rect.left - shift.x,
                              w->rect.bottom - w->rect.top - shift.y};
        area = IntersectRects(area, parentArea);
    }
    return area;
}

void WindowSurface(HWND handle, Surface*& surface, POINT& offset) {
    surface = nullptr;
    offset = {0, 0};
    for (Window* w = FindWindowObject(handle); w != nullptr; w = FindWindowObject(w->parent)) {
        if (w->parent == nullptr) {
            surface = w->surface.get();
            break;
        }
        offset.x += w->rect.left;
        offset.y += w->rect.top;
    }
}

void LeaveForeground() {
    Manager().foreground = nullptr;
    Manager().behind = true;
}

std::size_t LiveWindowCount() {
    return Manager().windows.size();
}

void ResetWindowManager() {
    for (HWND top : std::vector<HWND>(Manager().topLevel)) {
        DestroyWindow(top);
    }
    Manager() = WindowManager{};
}

bool CursorHidden() {
    return Manager().cursor == nullptr;
}

DialogRequest LastDialogRequest() {
    return Manager().lastDialog;
}

} // namespace portable
