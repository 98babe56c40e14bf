// Draws the same set of line, pixel, fill, clip and blit cases through whichever GDI it is
// built against, and prints every pixel. Built for Windows and run under Wine it records what
// real GDI does; built natively it draws through the stand-in and, given that record, counts
// the pixels where the two differ.

#include "platform/api.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int Width = 64;
constexpr int Height = 48;

// A 32-bit canvas: a DIB section on Windows, a compatible bitmap on the stand-in.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;

    Canvas() {
        const HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
#ifdef _WIN32
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = Width;
        info.bmiHeader.biHeight = -Height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
#else
        bitmap = CreateCompatibleBitmap(screen, Width, Height);
#endif
        ReleaseDC(nullptr, screen);
        previous = SelectObject(dc, bitmap);
        const HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
        const RECT all{0, 0, Width, Height};
        FillRect(dc, &all, black);
        DeleteObject(black);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // Every pixel of the bitmap, read through a fresh context so that no clip or origin of the
    // drawing context hides any.
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
int Next(int low, int high) {
    seed = seed * 1103515245u + 12345u;
    return low + static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(high - low + 1));
}

// Drawn one after another: the order of a call's arguments is not fixed by the language.
COLORREF RandomColor() {
    const int red = Next(0, 255);
    const int green = Next(0, 255);
    const int blue = Next(0, 255);
    return RGB(red, green, blue);
}

struct Segment {
    int x1, y1, x2, y2;
};
Segment RandomSegment(int low, int high) {
    Segment segment{};
    segment.x1 = Next(low, high);
    segment.y1 = Next(low, high);
    segment.x2 = Next(low, high);
    segment.y2 = Next(low, high);
    return segment;
}

void WithPen(HDC dc, COLORREF color, const std::function<void()>& draw) {
    const HPEN pen = CreatePen(PS_SOLID, 0, color);
    const HGDIOBJ old = SelectObject(dc, pen);
    draw();
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Fill(HDC dc, RECT rect, COLORREF color) {
    const HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Line(HDC dc, const Segment& s) { Line(dc, s.x1, s.y1, s.x2, s.y2); }

// Each case draws on a fresh black canvas; separate colours show which call lit a pixel.
const std::vector<std::pair<std::string, std::function<void(HDC)>>> cases = {
    {"star", [](HDC dc) {
         for (int i = 0; i < 40; ++i) {
             const int x = (i * 37) % 90 - 13, y = (i * 53) % 70 - 11;
             WithPen(dc, RGB(10 + i * 6, 255 - i * 5, 128), [&] { Line(dc, 31, 23, x, y); });
             WithPen(dc, RGB(255, i * 6, 0), [&] { Line(dc, x, y, 32, 24); });
         }
     }},
    {"random lines", [](HDC dc) {
         for (int i = 0; i < 300; ++i) {
             const COLORREF color = RandomColor() | 0x010101;
             const Segment segment = RandomSegment(-80, 144);
             WithPen(dc, color, [&] { Line(dc, segment); });
         }
     }},
    {"far lines", [](HDC dc) {
         WithPen(dc, RGB(255, 255, 255), [&] {
             Line(dc, -1000000, -500003, 1000000, 500011);
             Line(dc, 999999, -1000000, -1000000, 999990);
             Line(dc, 20, -300000, 21, 300000);
             Line(dc, -70000, 40, 70000, 7);
         });
     }},
    {"polyline", [](HDC dc) {
         WithPen(dc, RGB(0, 200, 255), [&] {
             MoveToEx(dc, 5, 5, nullptr);
             for (int i = 0; i < 60; ++i) {
                 const int x = Next(0, 63);
                 LineTo(dc, x, Next(0, 47));
             }
         });
     }},
    {"pixels and fills", [](HDC dc) {
         for (int i = 0; i < 200; ++i) {
             const Segment at = RandomSegment(-5, 68);
             SetPixel(dc, at.x1, at.y1, RandomColor() | 0x010101);
         }
         Fill(dc, {10, 10, 20, 15}, RGB(200, 0, 0));
         Fill(dc, {30, 40, 25, 30}, RGB(0, 200, 0)); // inverted: nothing
         Fill(dc, {-10, -10, 5, 60}, RGB(0, 0, 200));
         Fill(dc, {60, 44, 1000, 1000}, RGB(90, 90, 90));
     }},
    {"clip and origin", [](HDC dc) {
         SetWindowOrgEx(dc, -7, 3, nullptr);
         IntersectClipRect(dc, 5, 2, 40, 30);
         SetWindowOrgEx(dc, -3, -2, nullptr); // the clip stays where it was on the device
         Fill(dc, {-100, -100, 100, 100}, RGB(40, 40, 40));
         for (int i = 0; i < 60; ++i) {
             const COLORREF color = RandomColor() | 0x010101;
             const Segment segment = RandomSegment(-40, 90);
             WithPen(dc, color, [&] { Line(dc, segment); });
             SetPixel(dc, segment.x2 / 2, segment.y1 / 2, RGB(255, 255, 0));
         }
     }},
    {"blit", [](HDC dc) {
         Canvas source;
         for (int i = 0; i < 30; ++i) {
             const COLORREF color = RandomColor() | 0x010101;
             const Segment corners = RandomSegment(0, 63);
             Fill(source.dc, {corners.x1, corners.y1, corners.x2, corners.y2}, color);
         }
         SetWindowOrgEx(source.dc, 10, 5, nullptr);
         SetWindowOrgEx(dc, -4, 6, nullptr);
         IntersectClipRect(dc, 0, 0, 50, 35);
         BitBlt(dc, 2, 3, 70, 60, source.dc, 0, 0, SRCCOPY);
         BitBlt(dc, -20, -20, 30, 30, source.dc, 40, 40, SRCCOPY);
     }},
};

std::string Draw(const std::function<void(HDC)>& draw) {
    Canvas canvas;
    draw(canvas.dc);
    return canvas.Pixels();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1) { // record
        for (const auto& [name, draw] : cases) {
            std::printf("%s\n%s\n", name.c_str(), Draw(draw).c_str());
        }
        return 0;
    }
    // Compare with a record: every pixel must be the same.
    std::ifstream record(argv[1]);
    int passed = 0, failed = 0;
    for (const auto& [name, draw] : cases) {
        std::string recordedName, recorded;
        std::getline(record, recordedName);
        std::getline(record, recorded);
        for (std::string* line : {&recordedName, &recorded}) {
            if (!line->empty() && line->back() == '\r') { // written on Windows
                line->pop_back();
            }
        }
        const std::string drawn = Draw(draw);
        int differing = 0;
        for (std::size_t i = 0; i + 6 <= drawn.size(); i += 6) {
            differing += recorded.size() < i + 6 || drawn.compare(i, 6, recorded, i, 6) != 0;
        }
        const bool same = recordedName == name && recorded.size() == drawn.size() && differing == 0;
        std::printf("%-18s %s (%d differing pixels of %d)\n", name.c_str(), same ? "same" : "DIFFERENT",
                    differing, Width * Height);
        (same ? passed : failed) += 1;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
