#include "platform/portable/window_manager.h"

#include "platform/portable/controls.h"
#include "platform/portable/display.h"
#include "platform/portable/names.h"
#include "platform/portable/gdi.h"
#include "platform/portable/user.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>
#include <unordered_map>
#include <utility>

namespace portable {
namespace {

struct WindowClass {
    WNDCLASSA record{};
    std::string name;
};

struct WindowManager {
    std::map<std::string, WindowClass, CaseInsensitiveLess> classes;
    std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevel; // creation order
    std::uintptr_t nextHandle = 0x20000;
    HWND foreground = nullptr;
    bool behind = false; // another application is in front
    HCURSOR cursor = ArrowCursor;
    DialogRequest lastDialog;
};

WindowManager& Manager() {
    static WindowManager& manager = *new WindowManager; // outlives every exit handler
    return manager;
}

LPARAM PackPoint(LONG x, LONG y) {
    return static_cast<LPARAM>((static_cast<DWORD>(y) & 0xFFFFu) << 16 |
                               (static_cast<DWORD>(x) & 0xFFFFu));
}

void AppendSubtree(HWND handle, std::vector<HWND>& order) {
    order.push_back(handle);
    for (HWND child : FindWindowObject(handle)->children) {
        AppendSubtree(child, order);
    }
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
    RECT area{0, 0, window->rect.right - window->rect.left,
              window->rect.bottom - window->rect.top};
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

std::size_t LiveWindowCount() { return Manager().windows.size(); }

void ResetWindowManager() {
    for (HWND top : std::vector<HWND>(Manager().topLevel)) {
        DestroyWindow(top);
    }
    Manager() = WindowManager{};
}

bool CursorHidden() { return Manager().cursor == nullptr; }

DialogRequest LastDialogRequest() { return Manager().lastDialog; }

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
        (parent != nullptr && FindWindowObject(parent) == nullptr) || (child && parent == nullptr)) {
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

    CREATESTRUCTA creation{param,  instance, menu,   parent, height,
                           width,  y,        x,      static_cast<LONG>(style),
                           title,  className, exStyle};
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

BOOL IsWindow(HWND handle) { return FindWindowObject(handle) != nullptr; }

HWND GetParent(HWND handle) {
    const Window* window = FindWindowObject(handle);
    return window ? window->parent : nullptr;
}

HWND FindWindowA(LPCSTR className, LPCSTR title) {
    for (HWND top : Manager().topLevel) {
        const Window& window = *FindWindowObject(top);
        if ((className == nullptr || strcasecmp(window.className.c_str(), className) == 0) &&
            (title == nullptr || window.title == title) && !window.destroying) {
            return top;
        }
    }
    // As on Windows, the search reaches the top-level windows of every program on the display.
    return CurrentDisplay().FindOtherProgramWindow(className, title);
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    const Window* window = FindWindowObject(handle);
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = {0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
    return TRUE;
}

int GetWindowTextA(HWND handle, LPSTR text, int size) {
    const Window* window = FindWindowObject(handle);
    if (window == nullptr || text == nullptr || size <= 0) {
        return 0;
    }
    const int length = std::min(static_cast<int>(window->title.size()), size - 1);
    std::memcpy(text, window->title.data(), static_cast<std::size_t>(length));
    text[length] = '\0';
    return length;
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

HWND GetForegroundWindow() { return Manager().foreground; }

LONG_PTR SetWindowLongA(HWND handle, int index, LONG_PTR value) {
    Window* window = FindWindowObject(handle);
    if (window == nullptr || index != GWL_WNDPROC || value == 0) {
        return 0;
    }
    return reinterpret_cast<LONG_PTR>(
        std::exchange(window->procedure, reinterpret_cast<WNDPROC>(value)));
}

LONG_PTR GetWindowLongA(HWND handle, int index) {
    const Window* window = FindWindowObject(handle);
    if (window == nullptr || index != GWL_WNDPROC) {
        return 0;
    }
    return reinterpret_cast<LONG_PTR>(window->procedure);
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND handle, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    return procedure ? procedure(handle, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = FindWindowObject(handle);
    if (window == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(handle, &paint);
        EndPaint(handle, &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (window->classBrush == nullptr) {
            return 0;
        }
        const HDC dc = reinterpret_cast<HDC>(wParam);
        RECT box;
        GetClipBox(dc, &box);
        FillRect(dc, &box, window->classBrush);
        return 1;
    }
    case WM_SETCURSOR:
        // A class without a cursor leaves the shape to the application.
        if (window->classCursor != nullptr) {
            SetCursor(window->classCursor);
            return TRUE;
        }
        return 0;
    case WM_SETTEXT:
        window->title = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        return TRUE;
    default:
        return 0;
    }
}

BOOL GetCursorPos(LPPOINT point) {
    if (point == nullptr) {
        return FALSE;
    }
    *point = CurrentDisplay().CursorPosition();
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    CurrentDisplay().SetCursorVisible(cursor != nullptr);
    return std::exchange(Manager().cursor, cursor);
}

HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; } // the stand-in has no resources

int GetSystemMetrics(int index) {
    const RECT primary = CurrentDisplay().PrimaryScreen();
    const RECT virtualScreen = CurrentDisplay().VirtualScreen();
    switch (index) {
    case SM_CXSCREEN:
        return primary.right - primary.left;
    case SM_CYSCREEN:
        return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN:
        return virtualScreen.left;
    case SM_YVIRTUALSCREEN:
        return virtualScreen.top;
    case SM_CXVIRTUALSCREEN:
        return virtualScreen.right - virtualScreen.left;
    case SM_CYVIRTUALSCREEN:
        return virtualScreen.bottom - virtualScreen.top;
    default:
        return 0;
    }
}

// No dialog templates exist here, so every dialog fails as a missing template does.
INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR dialogTemplate, HWND owner, DLGPROC, LPARAM) {
    Manager().lastDialog = {reinterpret_cast<UINT_PTR>(dialogTemplate), owner};
    return -1;
}

LPSTR CharNextA(LPCSTR text) { return const_cast<LPSTR>(*text != '\0' ? text + 1 : text); }
