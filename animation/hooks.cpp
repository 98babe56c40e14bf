// The application's side of the saver framework.

#include "animation/animation_window.h"
#include "host/saver_hooks.h"

namespace {

// Built during static initialisation, before the framework's entry runs; the random stream and
// the clock it draws on are ready by then whatever the order of initialisation.
AnimationWindow animationWindow;

} // namespace

AnimationWindow& TheAnimationWindow() { return animationWindow; }

LRESULT CALLBACK AppSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return animationWindow.Create(window);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
    case WM_TIMER:
        return 0;
    default:
        return DefaultSaverProc(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK ConfigureDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL WINAPI RegisterConfigureClasses(HINSTANCE) { return TRUE; }
