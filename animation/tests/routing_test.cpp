#include "animation/tests/animation_fixture.h"

#include <tuple>

using Routing = AnimationTest;

static int previousCalls = 0;
static WNDPROC replaceOnLastMessage = nullptr; // what `Previous` installs on WM_NCDESTROY

static LRESULT CALLBACK Previous(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++previousCalls;
    if (message == WM_NCDESTROY && replaceOnLastMessage != nullptr) {
        SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(replaceOnLastMessage));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// All else reaches the previous procedure (the host's run tests go through it); the last message
// too, and then the routing goes unless someone replaced it meanwhile or nothing is to go back.
TEST_F(Routing, TheLastMessageTakesTheRoutingOutUnlessReplacedOrDefault) {
    Create(64, 48);
    const auto stub = reinterpret_cast<LONG_PTR>(animation.routingStub.Procedure());
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), stub);
    const auto procedure = [](WNDPROC p) { return reinterpret_cast<LONG_PTR>(p); };
    for (const auto& [previous, replacement, left] :
         {std::tuple{WNDPROC{Previous}, WNDPROC{}, procedure(Previous)},
          {WNDPROC{Previous}, WNDPROC{DefWindowProcA}, procedure(DefWindowProcA)},
          {WNDPROC{DefWindowProcA}, WNDPROC{}, stub}}) {
        animation.window = window;
        animation.previousProcedure = previous;
        SetWindowLongA(window, GWL_WNDPROC, stub);
        previousCalls = 0;
        replaceOnLastMessage = replacement;
        SendMessageA(window, WM_NCDESTROY, 0, 0);
        EXPECT_EQ(previousCalls, previous == Previous ? 1 : 0);
        EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), left);
        EXPECT_EQ(animation.window, nullptr);
    }
    replaceOnLastMessage = nullptr;
}
