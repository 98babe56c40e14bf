// What the Windows API asks of windows: parents, titles, classes, window procedures and the
// default one, the cursor, system metrics and dialogs.

#include "platform/portable/controls.h"
#include "platform/portable/display.h"
#include "platform/portable/gdi.h"
#include "platform/portable/user.h"
#include "platform/portable/window_state.h"

#include <cstring>
#include <strings.h>
#include <utility>

using namespace portable;

BOOL IsWindow(HWND handle) {
    return FindWindowObject(handle) != nullptr;
}

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

HICON LoadIconA(HINSTANCE, LPCSTR) {
    return nullptr;
} // the stand-in has no resources

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

LPSTR CharNextA(LPCSTR text) {
    return const_cast<LPSTR>(*text != '\0' ? text + 1 : text);
}
