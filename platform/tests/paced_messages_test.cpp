#include "platform/frame_pacing.h"
#include "platform/win32/message_pacing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

TEST(RefreshInterval, OneFramePerRefreshAndSixtyWhereTheDisplayReportsItsDefault) {
    const struct {
        DWORD hertz;
        std::chrono::microseconds interval;
    } cases[] = {{0, 16666us}, {1, 16666us}, {60, 16666us}, {75, 13333us}, {144, 6944us}};
    for (const auto& c : cases) {
        EXPECT_EQ(RefreshInterval(c.hertz), c.interval) << c.hertz << " Hz";
    }
}

DWORD WINAPI PostLater(void* window) {
    Sleep(50);
    PostMessageA(static_cast<HWND>(window), WM_USER, 0, 0);
    return 0;
}

using TestPacing = BasicFramePacing<std::function<Steady::time_point()>>;

// The next paint or posted message of the test, the window's other messages handled on the way.
UINT NextOfTest(TestPacing& pacing) {
    for (MSG msg; GetPacedMessage(&msg, pacing);) {
        if (msg.message == WM_PAINT || msg.message == WM_USER) {
            return msg.message;
        }
        DispatchMessageA(&msg);
    }
    return WM_QUIT;
}

TEST(PacedMessages, APaintWaitsForItsTimeWhileAnyOtherMessageIsTakenAtOnce) {
    const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    TestPacing pacing{[] { return Steady::now(); }};
    pacing.SetInterval(1s);
    const auto painted = Steady::now();
    pacing.PaintBegins();
    InvalidateRect(window, nullptr, FALSE);
    const HANDLE poster = CreateThread(nullptr, 0, PostLater, window, 0, nullptr);

    EXPECT_EQ(NextOfTest(pacing), static_cast<UINT>(WM_USER)) << "the paint came before its time";
    EXPECT_LT(Steady::now() - painted, 500ms) << "the posted message waited for the paint's time";

    EXPECT_EQ(NextOfTest(pacing), static_cast<UINT>(WM_PAINT));
    EXPECT_GE(Steady::now() - painted, 1s) << "the paint came before its time";

    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    DestroyWindow(window);
}

} // namespace
