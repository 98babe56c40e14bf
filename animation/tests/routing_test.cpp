#include "animation/tests/animation_fixture.h"
#include "host/saver_hooks.h"

#include <tuple>
#include <vector>

using Routing = AnimationTest;

using Seen = std::tuple<HWND, UINT, WPARAM, LPARAM>;
static std::vector<Seen> seen;
static WNDPROC replaceOnLastMessage =
    nullptr; // what `Previous` installs while handling WM_NCDESTROY

static LRESULT CALLBACK Previous(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({window, message, wParam, lParam});
    if (message == WM_NCDESTROY && replaceOnLastMessage != nullptr) {
        SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(replaceOnLastMessage));
    }
    return message == WM_APP ? 1234 : DefWindowProcA(window, message, wParam, lParam);
}

// The previous procedure gets the rest; at the end the routing goes unless replaced or default.
TEST_F(Routing, WindowsAreRoutedUntilTheLastMessageAndTheHooksAnswerAsTheFrameworkExpects) {
    Create(64, 48);
    EXPECT_EQ(animation.window, window);
    EXPECT_EQ(animation.previousProcedure, &SaverWindowProc);
    const auto stub = reinterpret_cast<LONG_PTR>(animation.routingStub.Procedure());
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), stub);
    seen.clear();
    animation.previousProcedure = Previous;
    EXPECT_EQ(SendMessageA(window, WM_APP, 7, -9), 1234);
    EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, 'Q', 3), 0);
    EXPECT_EQ(seen, (std::vector<Seen>{{window, WM_APP, 7, -9}, {window, WM_KEYDOWN, 'Q', 3}}));
    EXPECT_EQ(AppSaverProc(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(AppSaverProc(window, WM_TIMER, 1, 0), 0);
    EXPECT_EQ(ConfigureDialogProc(nullptr, 0x0110 /* WM_INITDIALOG */, 0, 0), 0);
    EXPECT_EQ(RegisterConfigureClasses(nullptr), TRUE);
    EXPECT_EQ(AppSaverProc(window, WM_DESTROY, 0, 0), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    const auto procedure = [](WNDPROC p) { return reinterpret_cast<LONG_PTR>(p); };
    for (const auto& [previous, replacement, left] :
         {std::tuple{WNDPROC{Previous}, WNDPROC{}, procedure(Previous)},
          {WNDPROC{Previous}, WNDPROC{DefWindowProcA}, procedure(DefWindowProcA)},
          {WNDPROC{DefWindowProcA}, WNDPROC{}, stub}}) {
        animation.window = window;
        animation.previousProcedure = previous;
        SetWindowLongA(window, GWL_WNDPROC, stub);
        seen.clear();
        replaceOnLastMessage = replacement;
        SendMessageA(window, WM_NCDESTROY, 0, 0);
        EXPECT_EQ(seen.size(), previous == Previous ? 1u : 0u);
        EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), left);
        EXPECT_EQ(animation.window, nullptr);
    }
    replaceOnLastMessage = nullptr;
}
