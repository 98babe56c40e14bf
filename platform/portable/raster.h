#pragma once

// Pixel operations on 32-bit surfaces, with Windows' exact rules for which pixels they touch.

#include "platform/portable/types.h"

#include <cstdint>
#include <vector>

namespace portable {

// A 32-bit image; pixels are 0x00RRGGBB as in a Windows 32-bit DIB, rows without padding. Its
// memory is its own, or memory a display shares with its server.
class Surface {
  public:
    int width = 0;
    int height = 0;

    Surface() = default;
    Surface(const Surface& other); // a copy always has memory of its own
    Surface& operator=(const Surface& other);
    Surface(Surface&&) noexcept = default;
    Surface& operator=(Surface&&) noexcept = default;

    // Own memory of the new size (what it held before is not kept).
    void Resize(int newWidth, int newHeight);
    // Takes over memory that an earlier surface gave back, if it has the size asked for.
    bool Adopt(std::vector<std::uint32_t>& memory, int newWidth, int newHeight);
    // Gives its own memory back, for a later surface to adopt.
    std::vector<std::uint32_t> Release();
    // From now on the pixels live in `memory` (width × height, kept by the caller); what the
    // surface shows is copied there first.
    void UseMemory(std::uint32_t* memory);
    // Back to memory of its own, with the same pixels.
    void UseOwnMemory();
    const std::uint32_t* Data() const { return data; }

    std::uint32_t* Row(int y) { return data + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(int y) const { return data + static_cast<std::size_t>(y) * width; }

  private:
    std::size_t Count() const { return static_cast<std::size_t>(width) * height; }
    std::vector<std::uint32_t> owned;
    std::uint32_t* data = nullptr;
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
