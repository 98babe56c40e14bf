#pragma once

#include "platform/api.h"
#include "platform/displays/headless/display.h"
#include "platform/portable/controls.h"
#include "platform/portable/gdi_objects.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <utility>

using Pixels = std::set<std::pair<int, int>>;

// The pixels of a surface that are not black.
inline Pixels Lit(const portable::Surface& surface) {
    Pixels lit;
    for (int i = 0; i < surface.width * surface.height; ++i) {
        if (surface.Data()[i] != 0) {
            lit.insert({i % surface.width, i / surface.width});
        }
    }
    return lit;
}

// Every test starts from a fresh stand-in and must leave no drawing object behind.
class PortableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        portable::ResetPlatform();
        portable::UseHeadlessDisplay(1024, 768);
    }
    void TearDown() override { EXPECT_EQ(portable::LiveGdiObjectCount(), 0u) << "a leak"; }
};

// A memory context with a bitmap of its own, cleared to black.
class Canvas {
  public:
    Canvas(int canvasWidth, int canvasHeight)
        : width(canvasWidth), height(canvasHeight), dc(CreateCompatibleDC(nullptr)),
          bitmap(CreateCompatibleBitmap(dc, width, height)), previous(SelectObject(dc, bitmap)) {
        Clear();
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // The bitmap's own pixels, whatever the context's clip and origin.
    portable::Surface& Pixels() const {
        return portable::FindGdiObject<portable::BitmapObject>(bitmap)->surface;
    }
    void Clear() {
        Pixels().PrepareWriting();
        std::fill(Pixels().Row(0), Pixels().Row(height), 0u);
    }
    std::set<std::pair<int, int>> Lit() const { return ::Lit(Pixels()); }

    const int width;
    const int height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};
