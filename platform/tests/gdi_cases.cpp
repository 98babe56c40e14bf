// Draws the same line, pixel, fill, clip and blit cases through whichever GDI it is built
// against. Built for Windows and run under Wine it prints what real GDI draws (the record);
// built natively it draws through the stand-in and, given a record, fails on any pixel that
// differs, naming the case and the first such pixel.

#include "platform/api.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Width = 64;
constexpr int Height = 48;

void Fill(HDC dc, RECT rect, COLORREF color) {
    const HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Line(HDC dc, COLORREF color, const int (&ends)[4]) {
    const HPEN pen = CreatePen(PS_SOLID, 0, color);
    const HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, ends[0], ends[1], nullptr);
    LineTo(dc, ends[2], ends[3]);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A 32-bit canvas cleared to black: a DIB section on Windows, a compatible bitmap here.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;

    Canvas() {
#ifdef _WIN32
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(info.bmiHeader), Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
#else
        bitmap = CreateCompatibleBitmap(dc, Width, Height);
#endif
        previous = SelectObject(dc, bitmap);
        Fill(dc, {0, 0, Width, Height}, RGB(0, 0, 0));
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // Every pixel as six hex digits, read through a fresh context so that no clip or origin of
    // the drawing context hides any.
    std::string Pixels() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
        std::string text;
        char hex[8];
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                std::snprintf(hex, sizeof hex, "%06lx",
                              static_cast<unsigned long>(GetPixel(dc, x, y) & 0xFFFFFFu));
                text += hex;
            }
        }
        return text;
    }
};

std::uint32_t seed = 12345;
// Drawn one per statement: the order of a call's arguments is not fixed by the language.
int Next(int low, int high) {
    seed = seed * 1103515245u + 12345u;
    return low + static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(high - low + 1));
}
COLORREF RandomColor() {
    const int red = Next(0, 255);
    const int green = Next(0, 255);
    return RGB(red, green, Next(0, 255)) | 0x010101;
}
void Random(int (&ends)[4], int low, int high) {
    for (int& end : ends) {
        end = Next(low, high);
    }
}

// Each case draws on a fresh black canvas; separate colours show which call lit a pixel.
const std::vector<std::pair<std::string, std::function<void(HDC)>>> cases = {
    {"random lines",
     [](HDC dc) {
         for (int i = 0; i < 300; ++i) {
             const COLORREF color = RandomColor();
             int ends[4];
             Random(ends, -80, 144);
             Line(dc, color, ends);
         }
     }},
    {"far lines",
     [](HDC dc) {
         Line(dc, RGB(255, 255, 255), {-1000000, -500003, 1000000, 500011});
         Line(dc, RGB(255, 255, 255), {999999, -1000000, -1000000, 999990});
         Line(dc, RGB(255, 255, 255), {20, -300000, 21, 300000});
         Line(dc, RGB(255, 255, 255), {-70000, 40, 70000, 7});
     }},
    {"pixels and fills",
     [](HDC dc) {
         for (int i = 0; i < 200; ++i) {
             int at[4];
             Random(at, -5, 68);
             SetPixel(dc, at[0], at[1], RandomColor());
         }
         Fill(dc, {10, 10, 20, 15}, RGB(200, 0, 0));
         Fill(dc, {30, 40, 25, 30}, RGB(0, 200, 0)); // reversed
         Fill(dc, {-10, -10, 5, 60}, RGB(0, 0, 200));
         Fill(dc, {60, 44, 1000, 1000}, RGB(90, 90, 90));
     }},
    {"clip and origin",
     [](HDC dc) {
         SetWindowOrgEx(dc, -7, 3, nullptr);
         IntersectClipRect(dc, 5, 2, 40, 30);
         SetWindowOrgEx(dc, -3, -2, nullptr); // the clip stays where it was on the device
         Fill(dc, {-100, -100, 100, 100}, RGB(40, 40, 40));
         for (int i = 0; i < 60; ++i) {
             const COLORREF color = RandomColor();
             int ends[4];
             Random(ends, -40, 90);
             Line(dc, color, ends);
             SetPixel(dc, ends[2] / 2, ends[1] / 2, RGB(255, 255, 0));
         }
     }},
    {"blit",
     [](HDC dc) {
         Canvas source;
         for (int i = 0; i < 30; ++i) {
             const COLORREF color = RandomColor();
             int corners[4];
             Random(corners, 0, 63);
             Fill(source.dc, {corners[0], corners[1], corners[2], corners[3]}, color);
         }
         SetWindowOrgEx(source.dc, 10, 5, nullptr);
         SetWindowOrgEx(dc, -4, 6, nullptr);
         IntersectClipRect(dc, 0, 0, 50, 35);
         BitBlt(dc, 2, 3, 70, 60, source.dc, 0, 0, SRCCOPY);
         BitBlt(dc, -20, -20, 30, 30, source.dc, 40, 40, SRCCOPY);
     }},
};

std::string ReadLine(std::ifstream& record) {
    std::string line;
    std::getline(record, line);
    if (!line.empty() && line.back() == '\r') { // written on Windows
        line.pop_back();
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    std::ifstream record(argc > 1 ? argv[1] : "");
    int failed = 0;
    for (const auto& [name, draw] : cases) {
        Canvas canvas;
        draw(canvas.dc);
        const std::string drawn = canvas.Pixels();
        if (argc == 1) { // record
            std::printf("%s\n%s\n", name.c_str(), drawn.c_str());
            continue;
        }
        const std::string recordedName = ReadLine(record);
        const std::string recorded = ReadLine(record);
        std::size_t first = 0;
        while (first < drawn.size() && first < recorded.size() && drawn[first] == recorded[first]) {
            ++first;
        }
        const int pixel = static_cast<int>(first / 6);
        if (recordedName != name || recorded != drawn) {
            std::printf("%s DIFFERENT: record has '%s', first differing pixel (%d, %d)\n",
                        name.c_str(), recordedName.c_str(), pixel % Width, pixel / Width);
            ++failed;
        }
    }
    if (argc > 1 && !ReadLine(record).empty()) {
        std::printf("the record holds cases this program does not draw\n");
        ++failed;
    }
    if (argc > 1) {
        std::printf("%d of %zu cases differ\n", failed, cases.size());
    }
    return failed == 0 ? 0 : 1;
}
