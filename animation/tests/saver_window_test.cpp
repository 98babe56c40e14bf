// The application in a real saver window: the stand-in natively, USER32 and GDI32 under Wine.

#include "animation/animation_window.h"
#include "host/host_state.h"
#include "host/saver_host.h"

#include <gtest/gtest.h>

static long GdiObjects() { // of this process, where the platform can tell
#ifdef _WIN32
    return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
#else
    return 0;
#endif
}

static void PaintFrames(int count) {
    MSG msg;
    for (int painted = 0; painted < count && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
        DispatchMessageA(&msg);
        painted += msg.message == WM_PAINT;
    }
}

TEST(SaverWindow, PaintsFramesThroughTheRoutingAndLeavesNothingBehind) {
    Host().previewMode = true;
    Host().instance = GetModuleHandleA(nullptr);
    ASSERT_NE(RegisterSaverClass(), 0);
    const HWND window =
        CreateWindowExA(0, "WindowsScreenSaverClass", "Preview", WS_POPUP | WS_VISIBLE, 0, 0, 152,
                        112, nullptr, nullptr, Host().instance, nullptr);
    AnimationWindow& animation = TheAnimationWindow();
    PaintFrames(5);
    const long objects = GdiObjects();
    PaintFrames(300);
    EXPECT_EQ(animation.frameCount, 305);
    EXPECT_EQ(GdiObjects(), objects);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(animation.window, nullptr); // the routing came out
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
