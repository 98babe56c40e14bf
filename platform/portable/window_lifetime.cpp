// The windows' lifetime and activation: classes, creation, destruction, showing, moving and
// the foreground window.

#include "platform/portable/controls.h"
#include "platform/portable/display.h"
#include "platform/portable/gdi.h"
#include "platform/portable/user.h"
#include "platform/portable/window_state.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace portable {
namespace {

LPARAM PackPoint(LONG x, LONG y) {
    return static_cast<LPARAM>((static_cast<DWORD>(y) & 0xFFFFu) << 16 |
                               (static_cast<DWORD>(x) & 0xFFFFu));
}

void SendDestroyMessages(HWND handle) {
    SendMessageA(handle, WM_DESTROY, 0, 0);
    if (Window* window = FindWindowObject(handle)) {
        for (HWND child : std::vector<HWND>(window->children)) {
            SendDestroyMessages(child);
        }
    }
}

void SendFinalMessagesAndRemove(HWND handle) {
    Window* window = FindWindowObject(handle);
    if (window == nullptr) {
        return;
    }
    for (HWND child : std::vector<HWND>(window->children)) {
        SendFinalMessagesAndRemove(child);
    }
    SendMessageA(handle, WM_NCDESTROY, 0, 0);
    WindowManager& manager = Manager();
    if (Window* parent = FindWindowObject(window->parent)) {
        std::erase(parent->children, handle);
    }
    std::erase(manager.topLevel, handle);
    if (manager.foreground == handle) {
        manager.foreground = nullptr;
    }
    ForgetWindowMessages(handle);
    manager.windows.erase(reinterpret_cast<std::uintptr_t>(handle));
}

void Activate(HWND handle) {
    WindowManager& manager = Manager();
    const HWND previous = manager.foreground;
    if (previous == handle) {
        return;
    }
    manager.foreground = handle;
    if (previous != nullptr) {
        SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(handle));
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
    } else {
        SendMessageA(handle, WM_ACTIVATEAPP, TRUE, 0);
    }
    SendMessageA(handle, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
    SendMessageA(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    CurrentDisplay().WindowRaised(handle);
}

void Show(Window& window) {
    const HWND handle = window.handle;
    SendMessageA(handle, WM_SHOWWINDOW, TRUE, 0);
    Window* shown = FindWindowObject(handle);
    if (shown == nullptr) {
        return;
    }
    shown->visible = true;
    InvalidateRect(handle, nullptr, TRUE);
    if (shown->parent == nullptr) {
        SendMessageA(handle, WM_WINDOWPOSCHANGING, 0, 0);
        if (FindWindowObject(handle) != nullptr) {
            CurrentDisplay().WindowShown(handle, FindWindowObject(handle)->rect);
            if (!Manager().behind) { // Windows keeps a process behind from stealing the front
                Activate(handle);
            }
            SendMessageA(handle, WM_WINDOWPOSCHANGED, 0, 0);
        }
    }
}

} // namespace
} // namespace portable

using namespace portable;

ATOM RegisterClassA(const WNDCLASSA* record) {
    if (record == nullptr || record->lpszClassName == nullptr || record->lpfnWndProc == nullptr) {
        return 0;
    }
    WindowManager& manager = Manager();
    const std::string name = record->lpszClassName;
    if (manager.classes.contains(name)) {
        return 0; // ERROR_CLASS_ALREADY_EXISTS
    }
    WindowClass& added = manager.classes[name];
    added.record = *record;
    added.name = name;
    added.record.lpszClassName = added.name.c_str();
    added.record.lpszMenuName = nullptr;
    return static_cast<ATOM>(0xC000 + manager.classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    WindowManager& manager = Manager();
    const auto windowClass = manager.classes.find(className ? className : "");
    const bool child = (style & WS_CHILD) != 0;
    if (windowClass == manager.classes.end() ||
        (parent != nullptr && FindWindowObject(parent) == nullptr) ||
        (child && parent == nullptr)) {
        return nullptr;
    }
    auto created = std::make_unique<Window>();
    const HWND handle = reinterpret_cast<HWND>(manager.nextHandle);
    manager.nextHandle += 4;
    created->handle = handle;
    created->className = windowClass->second.name;
    created->title = title ? title : "";
    created->procedure = windowClass->second.record.lpfnWndProc;
    created->style = style;
    created->exStyle = exStyle;
    created->parent = child ? parent : nullptr;
    created->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    created->classBrush = windowClass->second.record.hbrBackground;
    created->classCursor = windowClass->second.record.hCursor;
    created->classStyle = windowClass->second.record.style;
    if (!child) {
        created->surface = std::make_unique<Surface>();
        created->surface->Resize(std::max(width, 0), std::max(height, 0));
        manager.topLevel.push_back(handle);
    } else {
        FindWindowObject(parent)->children.push_back(handle);
    }
    manager.windows.emplace(reinterpret_cast<std::uintptr_t>(handle), std::move(created));

    CREATESTRUCTA creation{
        param, instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
        title, className, exStyle};
    if (SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&creation)) == 0) {
        SendFinalMessagesAndRemove(handle);
        return nullptr;
    }
    RECT clientRect = FindWindowObject(handle)->rect;
    SendMessageA(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&clientRect));
    if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (FindWindowObject(handle) == nullptr) {
        return nullptr;
    }
    SendMessageA(handle, WM_SIZE, SIZE_RESTORED, PackPoint(width, height));
    SendMessageA(handle, WM_MOVE, 0, PackPoint(x, y));
    if (Window* window = FindWindowObject(handle); window && (style & WS_VISIBLE)) {
        Show(*window);
    }
    return FindWindowObject(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
    Window* window = FindWindowObject(handle);
    if (window == nullptr || window->destroying) {
        return FALSE;
    }
    std::vector<HWND> subtree;
    AppendSubtree(handle, subtree);
    for (HWND member : subtree) {
        FindWindowObject(member)->destroying = true;
    }
    if (window->parent == nullptr && window->visible) {
        window->visible = false; // hidden first, without WM_SHOWWINDOW
        CurrentDisplay().WindowGone(handle);
    }
    SendDestroyMessages(handle);
    SendFinalMessagesAndRemove(handle);
    return TRUE;
}

BOOL ShowWindow(HWND handle, int command) {
    Window* window = FindWindowObject(handle);
    if (window == nullptr) {
        return FALSE;
    }
    const BOOL wasVisible = window->visible ? TRUE : FALSE;
    if (command == SW_HIDE) {
        window->visible = false;
    } else if (!window->visible) {
        Show(*window);
    }
    return wasVisible;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
    Window* window = FindWindowObject(handle);
    if (window == nullptr) {
        return FALSE;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    const bool resized = window->rect.right - window->rect.left != width ||
                         window->rect.bottom - window->rect.top != height;
    window->rect = {x, y, x + width, y + height};
    if (window->surface) {
        window->surface->Resize(width, height);
    }
    // Classes that redraw on resizing have all of their client area invalidated.
    if (repaint && (!resized || (window->classStyle & (CS_HREDRAW | CS_VREDRAW)))) {
        InvalidateRect(handle, nullptr, TRUE);
    }
    if (resized) {
        SendMessageA(handle, WM_SIZE, SIZE_RESTORED, PackPoint(width, height));
    }
    SendMessageA(handle, WM_MOVE, 0, PackPoint(x, y));
    return TRUE;
}

BOOL SetForegroundWindow(HWND handle) {
    Window* window = FindWindowObject(handle);
    while (window != nullptr && window->parent != nullptr) {
        window = FindWindowObject(window->parent);
    }
    if (window == nullptr) {
        return FALSE;
    }
    Manager().behind = false; // allowed: the system started the saver
    Activate(window->handle);
    return TRUE;
}

HWND GetForegroundWindow() {
    return Manager().foreground;
}
