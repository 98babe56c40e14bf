#pragma once

// Drives the application object through the real saver window procedure and message map on the
// stand-in, one paint at a time, with the stepped clock.

#include "animation/animation_window.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"
#include "platform/api.h"
#include "platform/portable/controls.h"
#include "platform/portable/tests/test_canvas.h"

#include <gtest/gtest.h>

class AnimationTest : public ::testing::Test {
  protected:
    static constexpr int ClockStep = 16;

    void SetUp() override {
        portable::ResetPlatform();
        Host() = HostState{};
        Host().previewMode = true; // input never closes it: these tests look at frames
        UseSteppedClock(ClockStep);
        frame = 0;
    }
    void TearDown() override {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
        portable::ResetPlatform();
        UseRealClock();
    }

    // A window of the saver's class, as the framework makes it, with the application inside.
    HWND Create(int width, int height) {
        RegisterSaverClass();
        window = CreateWindowExA(0, "WindowsScreenSaverClass", "Preview", WS_POPUP | WS_VISIBLE,
                                 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
        return window;
    }

    // Dispatches messages until one paint, that is one frame, has been handled.
    void Frame() {
        SetClockFrame(++frame);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
            if (msg.message == WM_PAINT) {
                return;
            }
        }
        ADD_FAILURE() << "no paint was pending";
    }

    COLORREF ShownPixel(int x, int y) const {
        const portable::Surface shown = portable::CaptureClientArea(window);
        const std::uint32_t pixel = shown.Row(y)[x];
        return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
    }

    static COLORREF BackgroundColor() {
        const BackgroundFade& fade = TheAnimationWindow().background;
        return RGB(fade.red.current, fade.green.current, fade.blue.current);
    }

    AnimationWindow& animation = TheAnimationWindow();
    HWND window = nullptr;
    int frame = 0;
};
