// The saver's frames through whichever GDI the build has, with the stepped clock: built for
// Windows and run under Wine it records what real GDI draws; built natively it draws the same
// frames on the stand-in and fails on any pixel where the two differ, naming the first, leaving
// out the two text rows (the two systems have different fonts).
// Usage: frame_cases WIDTH HEIGHT FRAMES STEP OUT.ppm
//        frame_cases WIDTH HEIGHT FRAMES STEP --compare RECORD.ppm

#include "animation/animation_window.h"
#include "animation/tests/text_rows.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The last of `frames` frames of a preview-style saver window, as 0x00RRGGBB pixels.
std::vector<std::uint32_t> DrawFrames(int width, int height, int frames, int step) {
    Host().previewMode = true;
    Host().instance = GetModuleHandleA(nullptr);
    UseSteppedClock(step);
    RegisterSaverClass();
    const HWND window = CreateWindowExA(0, "WindowsScreenSaverClass", "Preview",
                                        WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                        nullptr, Host().instance, nullptr);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    for (int frame = 1; frame <= frames; ++frame) {
        SetClockFrame(frame);
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0);
    }
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF color = GetPixel(dc, x, y);
            pixels.push_back(static_cast<std::uint32_t>(GetRValue(color)) << 16 |
                             static_cast<std::uint32_t>(GetGValue(color)) << 8 | GetBValue(color));
        }
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyWindow(window);
    return pixels;
}

void WritePpm(const std::string& path, int width, int height,
              const std::vector<std::uint32_t>& pixels) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (std::uint32_t pixel : pixels) {
        out.put(static_cast<char>(pixel >> 16)).put(static_cast<char>(pixel >> 8)).put(static_cast<char>(pixel));
    }
}

bool ReadPpm(const std::string& path, int width, int height, std::vector<std::uint32_t>& pixels) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, depth = 0;
    in >> magic >> w >> h >> depth;
    in.get();
    if (!in || magic != "P6" || w != width || h != height || depth != 255) {
        return false;
    }
    pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::uint32_t& pixel : pixels) {
        unsigned char rgb[3];
        in.read(reinterpret_cast<char*>(rgb), 3);
        pixel = static_cast<std::uint32_t>(rgb[0]) << 16 | static_cast<std::uint32_t>(rgb[1]) << 8 | rgb[2];
    }
    return static_cast<bool>(in);
}

} // namespace

int main(int argc, char** argv) {
    if ((argc != 6 && argc != 7) || (argc == 7 && std::string(argv[5]) != "--compare")) {
        std::fprintf(stderr, "usage: frame_cases WIDTH HEIGHT FRAMES STEP (OUT.ppm | --compare RECORD.ppm)\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const int frames = std::atoi(argv[3]), step = std::atoi(argv[4]);
    const std::vector<std::uint32_t> drawn = DrawFrames(width, height, frames, step);
    if (argc == 6) {
        WritePpm(argv[5], width, height, drawn);
        return 0;
    }
    std::vector<std::uint32_t> recorded;
    if (!ReadPpm(argv[6], width, height, recorded)) {
        std::fprintf(stderr, "frame_cases: %s is no %dx%d record\n", argv[6], width, height);
        return 1;
    }
    long differing = 0, compared = 0;
    std::size_t first = drawn.size();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width && !InTextRows(y, height); ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            ++compared;
            if (drawn[at] != recorded[at]) {
                first = differing++ == 0 ? at : first;
            }
        }
    }
    std::printf("frame %d at %dx%d, clock step %d ms: %ld of %ld pixels differ outside the text rows\n",
                frames, width, height, step, differing, compared);
    if (differing == 0) {
        return 0;
    }
    std::printf("first at (%d, %d): drawn #%06X, recorded #%06X\n", static_cast<int>(first % width),
                static_cast<int>(first / width), drawn[first], recorded[first]);
    return 1;
}
