#pragma once

// Pixel operations on 32-bit surfaces, with Windows' exact rules for which pixels they touch.

#include "platform/portable/types.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace portable {

// Memory for the pixels of a surface, width × height. Surfaces may share it until one of them
// writes; a display may provide memory its server reads the pixels from.
class PixelMemory {
  public:
    PixelMemory(std::uint32_t* memoryPixels, int memoryWidth, int memoryHeight)
        : pixels(memoryPixels), width(memoryWidth), height(memoryHeight) {}
    virtual ~PixelMemory() = default;
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;

    // Before the pixels change; memory a server may still be reading waits here until it is done.
    virtual void BeforeWriting() {}

    std::uint32_t* const pixels;
    const int width;
    const int height;
};

// Where new pixel memory comes from (plain process memory unless a display says otherwise).
// Memory that surfaces give up is kept for the next surface of the same size: a paint per frame
// must not allocate a whole screen each time.
using PixelAllocator = std::function<std::shared_ptr<PixelMemory>(int width, int height)>;
void SetPixelAllocator(PixelAllocator allocator);
// Memory for pixels that cannot be had ends the program with a line naming the image's size and
// this exit code (1 unless set).
void SetExitCodeWhenPixelsRunOut(int code);

// A 32-bit image; pixels are 0x00RRGGBB as in a Windows 32-bit DIB, rows without padding.
class Surface {
  public:
    int width = 0;
    int height = 0;

    Surface() = default;
    ~Surface();
    Surface(const Surface& other); // a copy always has memory of its own
    Surface& operator=(const Surface& other);
    Surface(Surface&&) noexcept = default;
    Surface& operator=(Surface&&) noexcept;

    // Memory of the new size; what it holds is not defined.
    void Resize(int newWidth, int newHeight);
    // Shows what `other` shows without copying a pixel; the first of the two to write then
    // takes a copy of its own. `other` has this surface's size.
    void Share(const Surface& other);
    // Every pixel operation calls this before it writes.
    void PrepareWriting();
    const PixelMemory* Memory() const { return memory.get(); }
    const std::uint32_t* Data() const { return memory ? memory->pixels : nullptr; }

    std::uint32_t* Row(int y) { return memory->pixels + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(int y) const {
        return memory->pixels + static_cast<std::size_t>(y) * width;
    }

  private:
    std::shared_ptr<PixelMemory> memory;
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
// Whether the pixel lay inside the clip and was set.
bool SetDevicePixel(const RasterTarget& target, int x, int y, COLORREF color);
// A cosmetic solid line from (x1, y1) to (x2, y2), end pixel excluded.
void DrawDeviceLine(const RasterTarget& target, int x1, int y1, int x2, int y2, COLORREF color);
// Copies source pixels (width × height from sourceX, sourceY, source device coordinates) to the
// target at device (x, y); pixels whose source lies outside the source surface are left alone.
void CopyDeviceRect(const RasterTarget& target, int x, int y, int width, int height,
                    const RasterTarget& source, int sourceX, int sourceY);

} // namespace portable
