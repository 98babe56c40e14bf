#include "platform/portable/raster.h"

#include <algorithm>
#include <cstring>

namespace portable {

Surface::Surface(const Surface& other)
    : width(other.width), height(other.height),
      owned(other.data, other.data == nullptr ? nullptr : other.data + other.Count()),
      data(owned.data()) {}

Surface& Surface::operator=(const Surface& other) {
    if (this != &other) {
        *this = Surface(other);
    }
    return *this;
}

void Surface::Resize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    owned.resize(Count());
    data = owned.data();
}

bool Surface::Adopt(std::vector<std::uint32_t>& memory, int newWidth, int newHeight) {
    if (memory.size() != static_cast<std::size_t>(newWidth) * static_cast<std::size_t>(newHeight)) {
        return false;
    }
    width = newWidth;
    height = newHeight;
    owned = std::move(memory);
    memory.clear();
    data = owned.data();
    return true;
}

std::vector<std::uint32_t> Surface::Release() {
    data = nullptr;
    return std::move(owned);
}

void Surface::UseMemory(std::uint32_t* memory) {
    if (data != nullptr && Count() > 0) {
        std::memcpy(memory, data, Count() * sizeof(std::uint32_t));
    }
    data = memory;
    owned = {};
}

void Surface::UseOwnMemory() {
    if (data == owned.data()) {
        return;
    }
    std::vector<std::uint32_t> copy(data, data + Count());
    owned = std::move(copy);
    data = owned.data();
}

std::uint32_t PixelFromColor(COLORREF color) {
    return (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
}

COLORREF ColorFromPixel(std::uint32_t pixel) {
    return (pixel & 0xFFu) << 16 | (pixel & 0xFF00u) | (pixel >> 16 & 0xFFu);
}

RECT IntersectRects(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (IsEmptyRect(r)) {
        r = {0, 0, 0, 0};
    }
    return r;
}

bool IsEmptyRect(const RECT& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

namespace {

// Device coordinates may be far outside any surface; work in 64 bits until clipped.
RECT ToSurface(const RasterTarget& target, std::int64_t left, std::int64_t top,
               std::int64_t right, std::int64_t bottom) {
    const auto clamp = [](std::int64_t v) {
        return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    const RECT rect{clamp(left + target.offset.x), clamp(top + target.offset.y),
                    clamp(right + target.offset.x), clamp(bottom + target.offset.y)};
    return IntersectRects(rect, target.clip);
}

} // namespace

void FillDeviceRect(const RasterTarget& target, RECT rect, COLORREF color) {
    if (target.surface == nullptr) {
        return;
    }
    const RECT area = ToSurface(target, rect.left, rect.top, rect.right, rect.bottom);
    if (IsEmptyRect(area)) {
        return;
    }
    // One row pixel by pixel, the others copied from it: a copy moves many pixels a store, and
    // a whole-screen fill, every frame's first step, takes a fraction of the time.
    std::uint32_t* const first = target.surface->Row(area.top) + area.left;
    const std::size_t width = static_cast<std::size_t>(area.right - area.left);
    std::fill_n(first, width, PixelFromColor(color));
    for (LONG y = area.top + 1; y < area.bottom; ++y) {
        std::memcpy(target.surface->Row(y) + area.left, first, width * sizeof(std::uint32_t));
    }
}

void SetDevicePixel(const RasterTarget& target, int x, int y, COLORREF color) {
    if (target.surface == nullptr) {
        return;
    }
    const std::int64_t px = std::int64_t{x} + target.offset.x;
    const std::int64_t py = std::int64_t{y} + target.offset.y;
    const RECT& clip = target.clip;
    if (px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom) {
        target.surface->Row(static_cast<int>(py))[px] = PixelFromColor(color);
    }
}

namespace {

// Octant numbers with y pointing down, and the bias that makes a line and its reverse pick the
// same middle pixels (Windows' rule).
int Octant(std::int64_t dx, std::int64_t dy) {
    if (dy > 0) {
        if (dx > 0) {
            return dx > dy ? 1 : 2;
        }
        return -dx > dy ? 4 : 3;
    }
    if (dx < 0) {
        return -dx > -dy ? 5 : 6;
    }
    return dx > -dy ? 8 : 7;
}

// Lines may span the whole 32-bit coordinate range; their skip arithmetic needs more bits.
__extension__ using Wide = __int128;

std::int64_t CeilDiv(Wide numerator, Wide denominator) {
    // denominator > 0
    const Wide quotient = numerator / denominator;
    return static_cast<std::int64_t>(quotient + ((numerator % denominator) > 0 ? 1 : 0));
}

} // namespace

void DrawDeviceLine(const RasterTarget& target, int x1, int y1, int x2, int y2,
                    COLORREF color) {
    if (target.surface == nullptr || (x1 == x2 && y1 == y2) || IsEmptyRect(target.clip)) {
        return;
    }
    const std::int64_t dx = std::int64_t{x2} - x1;
    const std::int64_t dy = std::int64_t{y2} - y1;
    const int octant = Octant(dx, dy);
    const bool xMajor = octant == 1 || octant == 4 || octant == 5 || octant == 8;
    const std::int64_t bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    const std::int64_t a = xMajor ? std::abs(dx) : std::abs(dy);
    const std::int64_t b = xMajor ? std::abs(dy) : std::abs(dx);
    const std::int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    // Surface coordinates of the start point.
    const std::int64_t majorStart = (xMajor ? x1 : y1) + (xMajor ? target.offset.x : target.offset.y);
    const std::int64_t minorStart = (xMajor ? y1 : x1) + (xMajor ? target.offset.y : target.offset.x);
    const RECT& clip = target.clip;
    const std::int64_t majorLow = xMajor ? clip.left : clip.top;
    const std::int64_t majorHigh = (xMajor ? clip.right : clip.bottom) - 1;
    const std::int64_t minorLow = xMajor ? clip.top : clip.left;
    const std::int64_t minorHigh = (xMajor ? clip.bottom : clip.right) - 1;

    // Only the steps whose major coordinate lies in the clip can light a pixel; skip straight to
    // them. After k steps the minor offset is ceil((2bk - a + bias) / 2a), which is exactly where
    // the error-driven walk would be.
    std::int64_t first = majorStep > 0 ? majorLow - majorStart : majorStart - majorHigh;
    std::int64_t last = majorStep > 0 ? majorHigh - majorStart : majorStart - majorLow;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, a - 1);
    if (first > last) {
        return;
    }
    std::int64_t minorOffset = CeilDiv(2 * Wide{b} * first - a + bias, 2 * Wide{a});
    // The error term before step `first` decides, as the walk from the start would have it.
    std::int64_t error =
        static_cast<std::int64_t>(2 * Wide{b} * (first + 1) - a - 2 * Wide{a} * minorOffset);
    const std::uint32_t pixel = PixelFromColor(color);
    Surface& surface = *target.surface;
    for (std::int64_t k = first; k <= last; ++k) {
        const std::int64_t major = majorStart + majorStep * k;
        const std::int64_t minor = minorStart + minorStep * minorOffset;
        if (minor >= minorLow && minor <= minorHigh) {
            const std::int64_t px = xMajor ? major : minor;
            const std::int64_t py = xMajor ? minor : major;
            surface.Row(static_cast<int>(py))[px] = pixel;
        }
        if (error + bias > 0) {
            ++minorOffset;
            error += 2 * b - 2 * a;
        } else {
            error += 2 * b;
        }
    }
}

void CopyDeviceRect(const RasterTarget& target, int x, int y, int width, int height,
                    const RasterTarget& source, int sourceX, int sourceY) {
    if (target.surface == nullptr || source.surface == nullptr || width <= 0 || height <= 0) {
        return;
    }
    // The destination area, clipped to the target's clip ...
    RECT area = ToSurface(target, x, y, std::int64_t{x} + width, std::int64_t{y} + height);
    // ... and to where the source has pixels (its whole surface; its clip plays no part).
    const std::int64_t shiftX = std::int64_t{sourceX} + source.offset.x - (std::int64_t{x} + target.offset.x);
    const std::int64_t shiftY = std::int64_t{sourceY} + source.offset.y - (std::int64_t{y} + target.offset.y);
    area.left = static_cast<LONG>(std::max<std::int64_t>(area.left, -shiftX));
    area.top = static_cast<LONG>(std::max<std::int64_t>(area.top, -shiftY));
    area.right = static_cast<LONG>(std::min<std::int64_t>(area.right, source.surface->width - shiftX));
    area.bottom = static_cast<LONG>(std::min<std::int64_t>(area.bottom, source.surface->height - shiftY));
    if (IsEmptyRect(area)) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(area.right - area.left);
    for (LONG row = area.top; row < area.bottom; ++row) {
        const std::uint32_t* from = source.surface->Row(static_cast<int>(row + shiftY)) + (area.left + shiftX);
        std::uint32_t* to = target.surface->Row(row) + area.left;
        std::memmove(to, from, count * sizeof(std::uint32_t));
    }
}

} // namespace portable
