#pragma once

// A freshly built application in the real saver window on the stand-in, on the stepped clock.

#include "animation/animation_window.h"
#include "animation/tests/text_rows.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"
#include "model/random.h"
#include "platform/portable/tests/test_canvas.h"

#include <gtest/gtest.h>
#include <new>
#include <utility>

class AnimationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        portable::ResetPlatform();
        portable::UseHeadlessDisplay(1024, 768);
        Host() = HostState{};
        Host().previewMode = true; // input never closes it: these tests look at frames
        UseSteppedClock(16);
    }
    void TearDown() override {
        Rebuild();
        portable::ResetPlatform();
        UseRealClock();
    }

    // The application object as static initialisation builds it, from the stream's start.
    void Rebuild() {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
        animation.~AnimationWindow();
        SetRandomState(1);
        new (&animation) AnimationWindow();
        frame = 0;
    }

    // A window of the saver's class, as the framework makes it, with the application inside.
    void Create(int width, int height) {
        RegisterSaverClass();
        window = CreateWindowExA(0, "WindowsScreenSaverClass", "Preview", WS_POPUP | WS_VISIBLE, 0,
                                 0, width, height, nullptr, nullptr, nullptr, nullptr);
    }

    // Dispatches messages until one paint, that is one frame, has been handled.
    void Frame() {
        SetClockFrame(++frame);
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageA(&msg);
            if (msg.message == WM_PAINT) {
                return;
            }
        }
        ADD_FAILURE() << "no paint was pending";
    }

    // Whether a client pixel shows the background colour of the last frame.
    bool ShowsBackground(int x, int y) const {
        const BackgroundFade& f = animation.background;
        const std::uint32_t shown = portable::CaptureClientArea(window).Row(y)[x] & 0xFFFFFFu;
        return std::cmp_equal(shown, f.red.current << 16 | f.green.current << 8 | f.blue.current);
    }

    // 64-bit FNV-1a over the pixels shown outside the text rows.
    std::uint64_t FigureHash() const {
        const portable::Surface shown = portable::CaptureClientArea(window);
        std::uint64_t hash = 14695981039346656037u;
        for (int y = 0; y < shown.height; ++y) {
            for (int x = 0; x < shown.width && !InTextRows(y, shown.height); ++x) {
                hash = (hash ^ (shown.Row(y)[x] & 0xFFFFFFu)) * 1099511628211u;
            }
        }
        return hash;
    }

    AnimationWindow& animation = TheAnimationWindow();
    HWND window = nullptr;
    int frame = 0;
};
