// Frames per second at 1920×1080 presented on the X display (Xvfb) through MIT-SHM and through
// plain XPutImage, against the same frames on the headless display.
// Run under a display at least that large, e.g.
//   xvfb-run -s "-screen 0 1920x1080x24" build/bench/present_bench

#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"
#include "platform/api.h"
#include "platform/displays/headless/display.h"
#include "platform/displays/x11/display.h"
#include "platform/portable/controls.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;

enum class Presenting { Headless, SharedMemory, PlainPutImage };

void Frames(benchmark::State& state, Presenting presenting) {
    portable::ResetPlatform();
    if (presenting != Presenting::Headless) {
        std::string error;
        auto display = portable::X11Display::Open(presenting == Presenting::SharedMemory, error);
        if (!display) {
            state.SkipWithError(error.c_str());
            return;
        }
        if (presenting == Presenting::SharedMemory && !display->UsesSharedMemory()) {
            state.SkipWithError("the X server offers no MIT-SHM");
            return;
        }
        portable::SetDisplay(std::move(display));
    } else {
        portable::UseHeadlessDisplay(Width, Height);
    }
    Host() = HostState{};
    Host().previewMode = true;
    UseSteppedClock(16);
    RegisterSaverClass();
    const HWND window =
        CreateWindowExA(0, "WindowsScreenSaverClass", "Preview", WS_POPUP | WS_VISIBLE, 0, 0, Width,
                        Height, nullptr, nullptr, nullptr, nullptr);
    int frame = 0;
    MSG msg;
    for (auto _ : state) {
        SetClockFrame(++frame);
        while (GetMessageA(&msg, nullptr, 0, 0)) {
            DispatchMessageA(&msg);
            if (msg.message == WM_PAINT) {
                break;
            }
        }
    }
    DestroyWindow(window);
    portable::ResetPlatform(); // closes the X connection, after the last frame arrived
    UseRealClock();
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(Frames, Headless, Presenting::Headless)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Frames, MitShm, Presenting::SharedMemory)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Frames, XPutImage, Presenting::PlainPutImage)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
