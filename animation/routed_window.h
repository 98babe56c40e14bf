#pragma once

// A window whose messages reach an object: its procedure is replaced by a binding that calls the
// object's own procedure, which offers each message to the object's message map first and
// hands the rest to the procedure that was there before.

#include "platform/binding.h"

class RoutedWindow {
  public:
    RoutedWindow(const RoutedWindow&) = delete;
    RoutedWindow& operator=(const RoutedWindow&) = delete;

    // The message map: true when it handled the message, with its result in `result`.
    virtual bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT& result) = 0;
    // The entry the binding leads to.
    virtual BoundProcedure WindowProcedure() { return RoutedWindowProc; }
    // After the window's last message.
    virtual void FinalMessage(HWND) {}

    // Routes the window's messages to this object; the procedure replaced, or null.
    WNDPROC RouteMessages(HWND routed);
    static LRESULT CALLBACK RoutedWindowProc(void* object, UINT message, WPARAM wParam,
                                             LPARAM lParam);

    HWND window = nullptr;
    ProcedureBinding routingStub;
    WNDPROC previousProcedure = DefWindowProcA;

  protected:
    RoutedWindow() = default;
    ~RoutedWindow() = default;
};
