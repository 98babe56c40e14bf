#include "animation/tests/animation_fixture.h"
#include "host/saver_hooks.h"
#include "model/random.h"
#include "model/tests/random_probe.h"

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
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    DestroyWindow(window);
    EXPECT_EQ(animation.window, nullptr); // routing removed at the last message
}

// Restart draws, in order: six phasors of 22 draws, the budget, the fade length, the scheme,
// its targets (0, 1 or 3 draws) and the three start channels.
TEST_F(Routing, RestartDrawsInOrderWithTheSchemeDecidingTheTargetDraws) {
    using random_probe::CountDraws;
    using random_probe::ForceDraw;
    struct Case {
        std::int32_t schemeDraw;
        int draws;
        int scheme;
    };
    const Case cases[] = {{0, 141, 0}, {11000, 139, 3}, {32767, 138, 10}, {7000, 138, 2}};
    for (const Case& c : cases) {
        ForceDraw(135, c.schemeDraw);
        EXPECT_EQ(CountDraws([&] { animation.Restart(); }), c.draws) << c.scheme;
        const BackgroundFade& fade = animation.background;
        if (c.scheme == 3) {
            EXPECT_EQ(fade.green.target, 0);
            EXPECT_EQ(fade.blue.target, 0);
        }
        if (c.scheme == 10 || c.scheme == 2) {
            EXPECT_EQ(fade.red.target + fade.green.target + fade.blue.target, 0);
        }
        EXPECT_EQ(fade.frame, 0);
        EXPECT_EQ(fade.red.start, fade.red.current);
        EXPECT_GE(fade.red.start, 153);
    }
    ForceDraw(133, 32767);
    animation.Restart();
    EXPECT_EQ(animation.frameBudget, 10000);
    ForceDraw(134, 0);
    animation.Restart();
    EXPECT_EQ(animation.background.frames, 50);
}
