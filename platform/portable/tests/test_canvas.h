#pragma once

#include "platform/api.h"
#include "platform/portable/controls.h"
#include "platform/portable/gdi_objects.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <utility>

// Every test starts from a fresh stand-in and must leave no drawing object or window behind.
class PortableTest : public ::testing::Test {
  protected:
    void SetUp() override { portable::ResetPlatform(); }
    void TearDown() override {
        EXPECT_EQ(portable::LiveGdiObjectCount(), 0u) << "a drawing object leaked";
    }
};

// A memory context with a bitmap of its own, cleared to black.
class Canvas {
  public:
    Canvas(int canvasWidth, int canvasHeight) : width(canvasWidth), height(canvasHeight) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, width, height);
        previous = SelectObject(dc, bitmap);
        Clear();
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Clear() {
        for (int y = 0; y < height; ++y) {
            std::fill(Pixels().Row(y), Pixels().Row(y) + width, 0u);
        }
    }
    // The bitmap's own pixels, whatever the context's clip and origin.
    portable::Surface& Pixels() const {
        return portable::FindGdiObject<portable::BitmapObject>(bitmap)->surface;
    }
    // The pixels (bitmap coordinates) that are not black.
    std::set<std::pair<int, int>> Lit() const {
        std::set<std::pair<int, int>> lit;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (Pixels().Row(y)[x] != 0) {
                    lit.insert({x, y});
                }
            }
        }
        return lit;
    }

    const int width;
    const int height;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
};
