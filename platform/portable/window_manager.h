#pragma once

// The stand-in's window table, shared by window management, painting and the message queue.

#include "platform/portable/raster.h"
#include "platform/portable/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace portable {

struct Window {
    HWND handle = nullptr;
    std::string className;
    std::string title;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    std::vector<HWND> children; // in creation order
    RECT rect{0, 0, 0, 0};      // in the parent's client area, or on the screen (top level)
    bool visible = false;
    bool destroying = false;
    bool hasUpdate = false;
    bool erasePending = false;
    RECT update{0, 0, 0, 0}; // client coordinates
    HBRUSH classBrush = nullptr;
    HCURSOR classCursor = nullptr;
    UINT classStyle = 0;
    std::unique_ptr<Surface> surface; // top-level windows: what they show
};

Window* FindWindowObject(HWND window);
// Every live window, parents before their children, top-level windows in creation order.
std::vector<HWND> WindowsInPaintOrder();
bool IsShowing(const Window& window); // visible, and so are all its ancestors
HWND WindowAtPoint(POINT screen);
// The innermost showing window at a point of `top`'s client area (`top` itself if no child).
HWND WindowAtClientPoint(HWND top, POINT client);
POINT ClientToScreenPoint(HWND window, POINT client);

// What a window context may draw on: its client rectangle as far as its ancestors show it, in
// client coordinates; for no window, the primary screen.
RECT WindowClientArea(HWND window);
// The surface a window's client area lies on, and where its client origin is on it.
void WindowSurface(HWND window, Surface*& surface, POINT& offset);

// The pointer shape every process starts with; the saver only ever hides it.
inline const HCURSOR ArrowCursor = reinterpret_cast<HCURSOR>(std::uintptr_t{0x7F00});
bool CursorHidden();

// Another application takes the front: none of ours is active, and showing a window no longer
// activates it; SetForegroundWindow does.
void LeaveForeground();
void ForgetWindowMessages(HWND window); // the queue drops what a destroyed window had pending
std::size_t LiveWindowCount();
void ResetWindowManager();

} // namespace portable
