// A whole frame as painting does it (off-screen canvas, DrawFrame, copy to the window) against
// the floor of the same size: a plain fill plus a plain copy of as many bytes.

#include "animation/animation_window.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"
#include "platform/api.h"
#include "platform/displays/headless/display.h"
#include "platform/portable/controls.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

HWND SaverWindow(int width, int height) {
    portable::ResetPlatform();
    portable::UseHeadlessDisplay(width, height);
    Host() = HostState{};
    Host().previewMode = true;
    RegisterSaverClass();
    return CreateWindowExA(0, "WindowsScreenSaverClass", "Preview", WS_POPUP | WS_VISIBLE, 0, 0,
                           width, height, nullptr, nullptr, nullptr, nullptr);
}

void WholeFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    UseSteppedClock(16);
    const HWND window = SaverWindow(width, height);
    int frame = 0;
    MSG msg;
    for (auto _ : state) {
        SetClockFrame(++frame);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
            if (msg.message == WM_PAINT) {
                break;
            }
        }
    }
    DestroyWindow(window);
    UseRealClock();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WholeFrame)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

// The overlay's two lines of text, the part of a frame that does not depend on its size.
void OverlayText(benchmark::State& state) {
    const HWND window = SaverWindow(1920, 1080);
    AnimationWindow& animation = TheAnimationWindow();
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, 1920, 1080);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    SelectObject(dc, animation.font.Get());
    for (auto _ : state) {
        animation.DrawOverlay(dc);
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyWindow(window);
}
BENCHMARK(OverlayText)->Unit(benchmark::kMicrosecond);

void Floor(benchmark::State& state) {
    const std::size_t pixels = static_cast<std::size_t>(state.range(0) * state.range(1));
    std::vector<std::uint32_t> image(pixels), screen(pixels);
    std::uint32_t color = 0;
    for (auto _ : state) {
        std::fill(image.begin(), image.end(), ++color);
        std::memcpy(screen.data(), image.data(), pixels * 4);
        benchmark::DoNotOptimize(screen.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Floor)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
