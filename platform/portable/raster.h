#pragma once

// Pixel operations on 32-bit surfaces, with Windows' exact rules for which pixels they touch.

#include "platform/portable/types.h"

#include <cstdint>
#include <vector>

namespace portable {

// A 32-bit image; pixels are 0x00RRGGBB as in a Windows 32-bit DIB.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    void Resize(int newWidth, int newHeight);
    std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
};

// Where a device context draws: device point (x, y) is pixel (x + offset.x, y + offset.y) of
// `surface`, and only pixels inside `clip` (surface pixels, within the surface) are written.
struct RasterTarget {
    Surface* surface = nullptr;
    POINT offset{0, 0};
    RECT clip{0, 0, 0, 0};
};

std::uint32_t PixelFromColor(COLORREF color);
COLORREF ColorFromPixel(std::uint32_t pixel);

RECT IntersectRects(const RECT& a, const RECT& b);
bool IsEmptyRect(const RECT& rect);

// Fills the device rectangle [left, right) × [top, bottom).
void FillDeviceRect(const RasterTarget& target, RECT rect, COLORREF color);
void SetDevicePixel(const RasterTarget& target, int x, int y, COLORREF color);
// A cosmetic solid line from (x1, y1) to (x2, y2), end pixel excluded.
void DrawDeviceLine(const RasterTarget& target, int x1, int y1, int x2, int y2, COLORREF color);
// Copies source pixels (width × height from sourceX, sourceY, source device coordinates) to the
// target at device (x, y); pixels whose source lies outside the source surface are left alone.
void CopyDeviceRect(const RasterTarget& target, int x, int y, int width, int height,
                    const RasterTarget& source, int sourceX, int sourceY);

} // namespace portable
