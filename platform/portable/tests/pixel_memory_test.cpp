#include "platform/portable/raster.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Memory a display hands out, each time it is asked.
struct CountingAllocator {
    std::vector<std::pair<int, int>> asked;
    std::vector<std::vector<std::uint32_t>> blocks;

    portable::PixelAllocator Allocator() {
        return [this](int width, int height) {
            asked.emplace_back(width, height);
            auto& block = blocks.emplace_back(static_cast<std::size_t>(width) * height);
            return std::make_shared<portable::PixelMemory>(block.data(), width, height);
        };
    }
};

// Memory a surface gives up is taken again only by a surface of its very size: a surface of
// the same width and another height would write past it (or leave part of it unseen).
TEST(PixelMemory, MemoryGivenBackServesOnlyASurfaceOfTheSameSize) {
    CountingAllocator display;
    display.blocks.reserve(8); // the blocks stay where they are while surfaces use them
    portable::SetPixelAllocator(display.Allocator());
    const auto resized = [](int width, int height) {
        portable::Surface surface;
        surface.Resize(width, height);
    };
    resized(100, 100); // asked for, then given back
    resized(100, 200); // same width, taller: asked for
    resized(100, 100); // the first size again: taken from what was given back
    resized(200, 100); // same height, wider: asked for
    EXPECT_EQ(display.asked,
              (std::vector<std::pair<int, int>>{{100, 100}, {100, 200}, {200, 100}}));
    portable::SetPixelAllocator(nullptr);
}

} // namespace
