// The saver's frames through whichever GDI the build has, with the stepped clock: built for
// Windows and run under Wine it records what real GDI draws; built natively it draws the same
// frames on the stand-in and fails on any pixel where the two differ, naming the first, leaving
// out the two text rows (the two systems have different fonts).
// A record also writes the model's numbers after the last frame to OUT.ppm.model, bit for bit:
// with --foreign-arithmetic, before each frame the floating-point unit is set as a DLL loaded into
// the saver might leave it (other precision and rounding), and neither frame nor numbers change.
// Usage: frame_cases WIDTH HEIGHT FRAMES STEP OUT.ppm [--foreign-arithmetic]
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

namespace {

// The control words some DLLs load on attach, one per frame in turn: 64-bit precision with
// rounding down, up and toward zero, and (on the SSE builds) the same rounding modes with
// denormals flushed to zero.
void SetForeignArithmetic(int frame) {
#if defined(__i386__)
    static const unsigned short controlWords[] = {0x077F, 0x0B7F, 0x0F7F};
    __asm__ volatile("fldcw %0" : : "m"(controlWords[frame % 3]));
#elif defined(__x86_64__)
    static const unsigned int statusControls[] = {0x3F80 | 0x8040, 0x5F80 | 0x8040, 0x7F80};
    __asm__ volatile("ldmxcsr %0" : : "m"(statusControls[frame % 3]));
#else
    static_cast<void>(frame);
#endif
}

// The doubles that each frame computes afresh, as bytes.
std::string ModelNumbers() {
    std::string bytes;
    const auto put = [&bytes](double value) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    for (const auto& mutating : TheAnimationWindow().phasors) {
        const Phasor& phasor = mutating->GetPhasor();
        for (const double value :
             {phasor.GetAmplitude(), phasor.GetOmega(), phasor.GetPhaseX(), phasor.GetPhaseY(),
              phasor.GetOmegaX(), phasor.GetOmegaY(), mutating->omegaLow, mutating->omegaHigh,
              mutating->omegaStep}) {
            put(value);
        }
    }
    put(TheAnimationWindow().rateMark);
    return bytes;
}

// The last of `frames` frames of a preview-style saver window as P6 pixel bytes (RGB).
std::string DrawFrames(int width, int height, int frames, int step, bool foreignArithmetic) {
    Host().previewMode = true;
    Host().instance = GetModuleHandleA(nullptr);
    UseSteppedClock(step);
    RegisterSaverClass();
    const HWND window =
        CreateWindowExA(0, "WindowsScreenSaverClass", "Preview", WS_POPUP | WS_VISIBLE, 0, 0, width,
                        height, nullptr, nullptr, Host().instance, nullptr);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    SelectObject(dc, bitmap); // all of it goes with the process
    for (int frame = 1; frame <= frames; ++frame) {
        SetClockFrame(frame);
        if (foreignArithmetic) {
            SetForeignArithmetic(frame);
        }
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0);
    }
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF color = GetPixel(dc, x, y);
            pixels += {static_cast<char>(GetRValue(color)), static_cast<char>(GetGValue(color)),
                       static_cast<char>(GetBValue(color))};
        }
    }
    return pixels;
}

} // namespace

int main(int argc, char** argv) {
    const bool compare = argc == 7 && std::string(argv[5]) == "--compare";
    const bool foreignArithmetic = argc == 7 && std::string(argv[6]) == "--foreign-arithmetic";
    if ((argc != 6 && argc != 7) || (argc == 7 && !compare && !foreignArithmetic)) {
        std::fprintf(stderr, "usage: frame_cases W H FRAMES STEP (OUT.ppm [--foreign-arithmetic]"
                             " | --compare IN.ppm)\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const int frames = std::atoi(argv[3]), step = std::atoi(argv[4]);
    const std::string header =
        "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    const std::string drawn = DrawFrames(width, height, frames, step, foreignArithmetic);
    if (!compare) {
        std::ofstream(argv[5], std::ios::binary) << header << drawn;
        std::ofstream(std::string(argv[5]) + ".model", std::ios::binary) << ModelNumbers();
        return 0;
    }
    std::ifstream in(argv[6], std::ios::binary);
    std::string recorded(header.size() + drawn.size(), '\0');
    in.read(recorded.data(), static_cast<std::streamsize>(recorded.size()));
    if (!in || in.peek() != EOF || recorded.compare(0, header.size(), header) != 0) {
        std::fprintf(stderr, "frame_cases: %s is no %dx%d record\n", argv[6], width, height);
        return 1;
    }
    recorded.erase(0, header.size());
    long differing = 0, compared = 0;
    std::size_t first = 0;
    for (std::size_t at = 0; at < drawn.size(); at += 3) {
        if (!InTextRows(static_cast<int>(at / 3 / width), height)) {
            ++compared;
            if (drawn.compare(at, 3, recorded, at, 3) != 0 && differing++ == 0) {
                first = at;
            }
        }
    }
    std::printf(
        "frame %d at %dx%d, clock step %d ms: %ld of %ld pixels differ outside the text rows\n",
        frames, width, height, step, differing, compared);
    if (differing != 0) {
        const auto byte = [](const std::string& pixels, std::size_t at) {
            return static_cast<unsigned>(static_cast<unsigned char>(pixels[at]));
        };
        std::printf("first at (%d, %d): drawn #%02X%02X%02X, recorded #%02X%02X%02X\n",
                    static_cast<int>(first / 3) % width, static_cast<int>(first / 3) / width,
                    byte(drawn, first), byte(drawn, first + 1), byte(drawn, first + 2),
                    byte(recorded, first), byte(recorded, first + 1), byte(recorded, first + 2));
    }
    return differing == 0 ? 0 : 1;
}
