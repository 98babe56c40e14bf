#include "platform/displays/live/stand_in_windows.h"

#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <vector>

namespace portable {

namespace {

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) { // what is drawn inside follows the window's size
        const Window* self = FindWindowObject(window);
        for (HWND child : std::vector<HWND>(self->children)) {
            MoveWindow(child, 0, 0, static_cast<int>(lParam & 0xFFFF),
                       static_cast<int>(lParam >> 16 & 0xFFFF), TRUE);
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND NewStandInWindow(int width, int height) {
    static const bool registered = [] {
        WNDCLASSA standInClass{};
        standInClass.lpfnWndProc = StandInProc;
        standInClass.lpszClassName = "EpiphaseForeignWindow";
        return RegisterClassA(&standInClass) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, "EpiphaseForeignWindow", "", WS_POPUP, 0, 0, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

} // namespace portable
