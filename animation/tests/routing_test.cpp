#include "animation/tests/animation_fixture.h"
#include "host/saver_hooks.h"

#include <vector>

using Routing = AnimationTest;

namespace {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};
std::vector<Seen> seen;
WNDPROC replaceOnLastMessage = nullptr; // what `Previous` installs while handling WM_NCDESTROY

LRESULT CALLBACK Previous(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({window, message, wParam, lParam});
    if (message == WM_NCDESTROY && replaceOnLastMessage != nullptr) {
        SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(replaceOnLastMessage));
    }
    return message == WM_APP ? 1234 : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK Other(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TEST_F(Routing, CreationRoutesTheWindowAndUnhandledMessagesReachThePreviousProcedure) {
    Create(64, 48);
    EXPECT_EQ(animation.window, window);
    EXPECT_EQ(animation.previousProcedure, &SaverWindowProc);
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC),
              reinterpret_cast<LONG_PTR>(animation.routingStub.Procedure()));
    EXPECT_TRUE(animation.animate);
    EXPECT_EQ(animation.frameRate, 0.0);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE)); // first frame asked

    seen.clear();
    animation.previousProcedure = Previous;
    EXPECT_EQ(SendMessageA(window, WM_APP, 7, -9), 1234);
    EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, 'Q', 3), 0);
    EXPECT_EQ(seen, (std::vector<Seen>{{window, WM_APP, 7, -9}, {window, WM_KEYDOWN, 'Q', 3}}));
    animation.previousProcedure = SaverWindowProc;
}

TEST_F(Routing, LastMessageRemovesTheRoutingUnlessReplacedOrDefault) {
    Create(64, 48);
    const WNDPROC stub = animation.routingStub.Procedure();
    // Routed to `Previous`: the last message goes there first, then the routing comes out.
    animation.previousProcedure = Previous;
    seen.clear();
    EXPECT_EQ(AnimationWindow::RoutedWindowProc(&static_cast<RoutedWindow&>(animation),
                                                WM_NCDESTROY, 0, 0),
              0);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&Previous));
    EXPECT_EQ(animation.window, nullptr);

    // Someone else replaces the procedure while the last message is handled: left in place.
    animation.window = window;
    SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(stub));
    replaceOnLastMessage = Other;
    AnimationWindow::RoutedWindowProc(&static_cast<RoutedWindow&>(animation), WM_NCDESTROY, 0, 0);
    replaceOnLastMessage = nullptr;
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&Other));

    // Nothing but the default procedure to put back: the stub stays.
    animation.window = window;
    animation.previousProcedure = DefWindowProcA;
    SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(stub));
    AnimationWindow::RoutedWindowProc(&static_cast<RoutedWindow&>(animation), WM_NCDESTROY, 0, 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(stub));
    animation.previousProcedure = SaverWindowProc;
    SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SaverWindowProc));
}

TEST_F(Routing, TheApplicationHooksAnswerAsTheFrameworkExpects) {
    Create(64, 48);
    EXPECT_EQ(AppSaverProc(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(AppSaverProc(window, WM_TIMER, 1, 0), 0);
    EXPECT_EQ(ConfigureDialogProc(nullptr, 0x0110 /* WM_INITDIALOG */, 0, 0), 0);
    EXPECT_EQ(RegisterConfigureClasses(nullptr), TRUE);
    EXPECT_EQ(AppSaverProc(window, WM_DESTROY, 0, 0), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    DestroyWindow(window);
    EXPECT_EQ(animation.window, nullptr); // routing removed at the last message
}
