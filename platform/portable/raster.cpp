#include "platform/portable/raster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <cstring>
#include <iterator>
#include <type_traits>
#include <utility>
#include <vector>

namespace portable {

namespace {

class ProcessMemory : public PixelMemory {
  public:
    ProcessMemory(std::vector<std::uint32_t> memory, int memoryWidth, int memoryHeight)
        : PixelMemory(memory.data(), memoryWidth, memoryHeight), storage(std::move(memory)) {}

  private:
    std::vector<std::uint32_t> storage;
};

// Memory given up lately, newest last; two are enough for a window and its off-screen image.
struct MemoryPool {
    static constexpr std::size_t Kept = 2;
    int exhaustedExitCode = 1;
    PixelAllocator allocator;
    std::vector<std::shared_ptr<PixelMemory>> spare;

    std::shared_ptr<PixelMemory> Take(int width, int height) {
        for (auto it = spare.rbegin(); it != spare.rend(); ++it) {
            if ((*it)->width == width && (*it)->height == height) {
                std::shared_ptr<PixelMemory> found = std::move(*it);
                spare.erase(std::next(it).base());
                return found;
            }
        }
        if (allocator) {
            if (auto given = allocator(width, height)) {
                return given;
            }
        }
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        try {
            return std::make_shared<ProcessMemory>(std::vector<std::uint32_t>(count), width, height);
        } catch (const std::bad_alloc&) {
            // No picture can be drawn without its pixels: say which size, and end.
            std::fprintf(stderr, "epiphase: cannot allocate the pixels of a %dx%d image (%zu MiB)\n",
                         width, height, (count * 4 + (1u << 20) - 1) >> 20);
            std::exit(exhaustedExitCode);
        }
    }
    void GiveBack(std::shared_ptr<PixelMemory> memory) {
        if (memory == nullptr || memory.use_count() > 1) {
            return;
        }
        if (spare.size() == Kept) {
            spare.erase(spare.begin());
        }
        spare.push_back(std::move(memory));
    }
};

MemoryPool& Pool() {
    // Never destroyed: surfaces of objects that live until exit give their memory back to it.
    static MemoryPool& pool = *new MemoryPool;
    return pool;
}

std::shared_ptr<PixelMemory> CopyOf(const PixelMemory& from) {
    std::shared_ptr<PixelMemory> copy = Pool().Take(from.width, from.height);
    copy->BeforeWriting();
    std::copy(from.pixels, from.pixels + static_cast<std::size_t>(from.width) * from.height,
              copy->pixels);
    return copy;
}

} // namespace

void SetExitCodeWhenPixelsRunOut(int code) { Pool().exhaustedExitCode = code; }

void SetPixelAllocator(PixelAllocator allocator) {
    Pool().spare.clear(); // memory of the previous allocator goes with it
    Pool().allocator = std::move(allocator);
}

Surface::~Surface() { Pool().GiveBack(std::move(memory)); }

Surface::Surface(const Surface& other)
    : width(other.width), height(other.height),
      memory(other.memory ? CopyOf(*other.memory) : nullptr) {}

Surface& Surface::operator=(const Surface& other) {
    if (this != &other) {
        *this = Surface(other);
    }
    return *this;
}

Surface& Surface::operator=(Surface&& other) noexcept {
    if (this != &other) {
        Pool().GiveBack(std::exchange(memory, std::move(other.memory)));
        width = std::exchange(other.width, 0);
        height = std::exchange(other.height, 0);
    }
    return *this;
}

void Surface::Resize(int newWidth, int newHeight) {
    if (newWidth == width && newHeight == height) {
        return;
    }
    Pool().GiveBack(std::move(memory));
    memory = nullptr;
    width = newWidth;
    height = newHeight;
    if (width > 0 && height > 0) {
        memory = Pool().Take(width, height);
    }
}

void Surface::Share(const Surface& other) {
    if (memory != other.memory) {
        Pool().GiveBack(std::exchange(memory, other.memory));
    }
}

void Surface::PrepareWriting() {
    if (memory == nullptr) {
        return;
    }
    if (memory.use_count() > 1) {
        memory = CopyOf(*memory); // the other surface keeps what both showed
    } else {
        memory->BeforeWriting();
    }
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
    target.surface->PrepareWriting();
    // One row pixel by pixel, the others copied from it: a copy moves many pixels a store, and
    // a whole-screen fill, every frame's first step, takes a fraction of the time.
    std::uint32_t* const first = target.surface->Row(area.top) + area.left;
    const std::size_t width = static_cast<std::size_t>(area.right - area.left);
    std::fill_n(first, width, PixelFromColor(color));
    for (LONG y = area.top + 1; y < area.bottom; ++y) {
        std::memcpy(target.surface->Row(y) + area.left, first, width * sizeof(std::uint32_t));
    }
}

bool SetDevicePixel(const RasterTarget& target, int x, int y, COLORREF color) {
    const std::int64_t px = std::int64_t{x} + target.offset.x;
    const std::int64_t py = std::int64_t{y} + target.offset.y;
    const RECT& clip = target.clip;
    if (target.surface == nullptr || px < clip.left || px >= clip.right || py < clip.top ||
        py >= clip.bottom) {
        return false;
    }
    target.surface->PrepareWriting();
    target.surface->Row(static_cast<int>(py))[px] = PixelFromColor(color);
    return true;
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
    // The walk moves an index into the pixels rather than recomputing each pixel's place; the
    // index is only used once the minor coordinate is inside the clip.
    Surface& surface = *target.surface;
    surface.PrepareWriting();
    std::uint32_t* const pixels = surface.Row(0);
    const std::int64_t rowStep = surface.width;
    const std::int64_t majorDelta = xMajor ? majorStep : majorStep * rowStep;
    const std::int64_t minorDelta = xMajor ? minorStep * rowStep : minorStep;
    std::int64_t minor = minorStart + minorStep * minorOffset;
    const std::int64_t major = majorStart + majorStep * first;
    std::int64_t index = xMajor ? minor * rowStep + major : major * rowStep + minor;
    const std::int64_t rise = 2 * b;
    const std::int64_t fall = 2 * b - 2 * a;
    // Most lines lie wholly inside the clip: their walk need not test each pixel.
    const std::int64_t minorLast =
        minorStart + minorStep * CeilDiv(2 * Wide{b} * last - a + bias, 2 * Wide{a});
    const bool inside = std::min(minor, minorLast) >= minorLow &&
                        std::max(minor, minorLast) <= minorHigh;
    const auto walk = [&](auto clipped) {
        for (std::int64_t k = first; k <= last; ++k) {
            if (!clipped || (minor >= minorLow && minor <= minorHigh)) {
                pixels[index] = pixel;
            }
            if (error + bias > 0) {
                minor += minorStep;
                index += minorDelta;
                error += fall;
            } else {
                error += rise;
            }
            index += majorDelta;
        }
    };
    if (inside) {
        walk(std::false_type{});
    } else {
        walk(std::true_type{});
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
    Surface& to = *target.surface;
    const Surface& from = *source.surface;
    // A copy of one whole surface onto another of its size, as every double-buffered frame
    // ends, shares the memory instead: nothing is copied unless one of them is drawn on again.
    if (shiftX == 0 && shiftY == 0 && area.left == 0 && area.top == 0 && area.right == to.width &&
        area.bottom == to.height && from.width == to.width && from.height == to.height) {
        to.Share(from);
        return;
    }
    to.PrepareWriting();
    const std::size_t count = static_cast<std::size_t>(area.right - area.left);
    for (LONG row = area.top; row < area.bottom; ++row) {
        std::memmove(to.Row(row) + area.left,
                     from.Row(static_cast<int>(row + shiftY)) + (area.left + shiftX),
                     count * sizeof(std::uint32_t));
    }
}

} // namespace portable
