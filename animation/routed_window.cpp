#include "animation/routed_window.h"

WNDPROC RoutedWindow::RouteMessages(HWND routed) {
    if (!routingStub.Bind(WindowProcedure(), this)) {
        return nullptr;
    }
    return reinterpret_cast<WNDPROC>(
        SetWindowLongA(routed, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(routingStub.Procedure())));
}

LRESULT CALLBACK RoutedWindow::RoutedWindowProc(void* object, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    RoutedWindow& self = *static_cast<RoutedWindow*>(object);
    LRESULT result = 0;
    if (self.ProcessMessage(self.window, message, wParam, lParam, result)) {
        return result;
    }
    if (message != WM_NCDESTROY) {
        return CallWindowProcA(self.previousProcedure, self.window, message, wParam, lParam);
    }
    // The last message: pass it on, then take the routing out again unless someone else has
    // replaced it meanwhile or there is nothing to put back.
    const HWND routed = self.window;
    const auto current = GetWindowLongA(routed, GWL_WNDPROC);
    result = CallWindowProcA(self.previousProcedure, routed, message, wParam, lParam);
    if (self.previousProcedure != DefWindowProcA && GetWindowLongA(routed, GWL_WNDPROC) == current) {
        SetWindowLongA(routed, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(self.previousProcedure));
    }
    self.window = nullptr;
    self.FinalMessage(routed);
    return result;
}
