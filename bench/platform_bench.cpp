// The stand-in's raster costs against the plain loops they can at best match.

#include "platform/api.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr std::size_t PixelCount = std::size_t{Width} * Height;

struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, Width, Height);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(PixelCount * 4));
}

void FillRect1080p(benchmark::State& state) {
    Canvas canvas;
    const HBRUSH brush = CreateSolidBrush(RGB(200, 180, 160));
    const RECT all{0, 0, Width, Height};
    for (auto _ : state) {
        FillRect(canvas.dc, &all, brush);
        benchmark::ClobberMemory();
    }
    DeleteObject(brush);
    SetBytes(state);
}
BENCHMARK(FillRect1080p);

void PlainFill1080p(benchmark::State& state) {
    std::vector<std::uint32_t> pixels(PixelCount);
    for (auto _ : state) {
        std::fill(pixels.begin(), pixels.end(), 0x00A0B4C8u);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(PlainFill1080p);

// One row down, so that every pixel is copied (a whole-surface blit shares the pixels instead).
void BitBlt1080p(benchmark::State& state) {
    Canvas source, target;
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    const RECT all{0, 0, Width, Height};
    FillRect(source.dc, &all, brush);
    DeleteObject(brush);
    for (auto _ : state) {
        BitBlt(target.dc, 0, 1, Width, Height - 1, source.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(BitBlt1080p);

void PlainCopy1080p(benchmark::State& state) {
    std::vector<std::uint32_t> from(PixelCount, 1), to(PixelCount);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), PixelCount * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(PlainCopy1080p);

// Lines of the saver's kind: short segments between nearby points, all over the screen.
void LineToThroughput(benchmark::State& state) {
    Canvas canvas;
    const HPEN pen = CreatePen(PS_SOLID, 0, RGB(255, 255, 255));
    SelectObject(canvas.dc, pen);
    std::uint32_t seed = 1;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
    };
    std::int64_t pixels = 0;
    for (auto _ : state) {
        const int x = next(Width), y = next(Height);
        const int dx = next(81) - 40, dy = next(81) - 40;
        MoveToEx(canvas.dc, x, y, nullptr);
        LineTo(canvas.dc, x + dx, y + dy);
        pixels += std::max(std::abs(dx), std::abs(dy));
    }
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels),
                                                     benchmark::Counter::kIsRate);
    SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
    DeleteObject(pen);
}
BENCHMARK(LineToThroughput);

} // namespace

BENCHMARK_MAIN();
