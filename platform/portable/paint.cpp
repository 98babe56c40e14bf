// Invalidation, the paint cycle and window device contexts.

#include "platform/portable/display.h"
#include "platform/portable/gdi.h"
#include "platform/portable/gdi_objects.h"
#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <algorithm>

using namespace portable;

namespace {

RECT UnionRects(const RECT& a, const RECT& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// Hands a finished area of a window's client to the display.
void PresentClientArea(HWND handle, const RECT& clientArea) {
    Surface* surface = nullptr;
    POINT offset{0, 0};
    WindowSurface(handle, surface, offset);
    HWND top = handle;
    while (GetParent(top) != nullptr) {
        top = GetParent(top);
    }
    if (surface != nullptr && !IsEmptyRect(clientArea)) {
        const RECT area{clientArea.left + offset.x, clientArea.top + offset.y,
                        clientArea.right + offset.x, clientArea.bottom + offset.y};
        CurrentDisplay().Present(top, *surface, area);
    }
}

} // namespace

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
    if (handle == nullptr) {
        // Windows repaints every window then; here that means every window of the process.
        for (HWND each : WindowsInPaintOrder()) {
            InvalidateRect(each, nullptr, erase);
        }
        return TRUE;
    }
    Window* window = FindWindowObject(handle);
    if (window == nullptr) {
        return FALSE;
    }
    RECT client;
    GetClientRect(handle, &client);
    const RECT area = rect ? IntersectRects(*rect, client) : client;
    if (IsEmptyRect(area)) {
        return TRUE;
    }
    window->update = window->hasUpdate ? UnionRects(window->update, area) : area;
    window->hasUpdate = true;
    window->erasePending = window->erasePending || erase != FALSE;
    return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
    Window* window = FindWindowObject(handle);
    if (window == nullptr || paint == nullptr) {
        return nullptr;
    }
    CurrentDisplay().PaintBegins(handle);
    if ((window = FindWindowObject(handle)) == nullptr) {
        return nullptr;
    }
    const RECT area = window->hasUpdate ? window->update : RECT{0, 0, 0, 0};
    const bool erase = window->erasePending;
    window->hasUpdate = false; // validated
    window->erasePending = false;
    DcObject context;
    context.kind = DcKind::Paint;
    context.window = handle;
    context.paintArea = IntersectRects(area, WindowClientArea(handle));
    const HDC dc = CreateDeviceContext(context);
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = area;
    paint->fErase = erase ? (SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)
                                 ? FALSE
                                 : TRUE)
                          : FALSE;
    return dc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
    if (paint == nullptr) {
        return FALSE;
    }
    const DcObject* context = FindGdiObject<DcObject>(paint->hdc);
    if (context != nullptr && context->kind == DcKind::Paint && context->window == handle) {
        PresentClientArea(handle, context->paintArea);
        ReleaseDeviceContext(paint->hdc);
    }
    return TRUE;
}

HDC GetDC(HWND handle) {
    if (handle != nullptr && FindWindowObject(handle) == nullptr) {
        return nullptr;
    }
    DcObject context;
    context.kind = handle ? DcKind::Window : DcKind::Screen;
    context.window = handle;
    return CreateDeviceContext(context);
}

int ReleaseDC(HWND handle, HDC dc) {
    const DcObject* context = FindGdiObject<DcObject>(dc);
    if (context == nullptr || context->window != handle ||
        (context->kind != DcKind::Window && context->kind != DcKind::Screen)) {
        return 0;
    }
    if (handle != nullptr) {
        PresentClientArea(handle, WindowClientArea(handle));
    }
    ReleaseDeviceContext(dc);
    return 1;
}
