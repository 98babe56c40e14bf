#include "platform/portable/tests/test_canvas.h"

#include <functional>
#include <vector>

using Gdi = PortableTest;

TEST_F(Gdi, FillRectIsHalfOpenAndClippedInDeviceCoordinates) {
    Canvas canvas(8, 6);
    const HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    const RECT rect{1, 1, 4, 3}, reversed{4, 3, 1, 1}, everything{-100, -100, 100, 100};
    FillRect(canvas.dc, &rect, brush);
    EXPECT_EQ(canvas.Lit(), (Pixels{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}));
    EXPECT_EQ(canvas.Pixels().Row(1)[1], 0x000A141Eu); // DIB order: 0x00RRGGBB
    canvas.Clear();
    FillRect(canvas.dc, &reversed, brush); // mirrored: the far edges go in, the near ones out
    EXPECT_EQ(canvas.Lit(), (Pixels{{2, 2}, {3, 2}, {4, 2}, {2, 3}, {3, 3}, {4, 3}}));

    // Clip rectangles narrow each other in device space; a later origin does not move them.
    canvas.Clear();
    IntersectClipRect(canvas.dc, 2, 2, 5, 4);
    SetWindowOrgEx(canvas.dc, 1, 0, nullptr);
    IntersectClipRect(canvas.dc, 0, 0, 4, 10); // device (-1, 0)..(3, 10)
    FillRect(canvas.dc, &everything, brush);
    EXPECT_EQ(canvas.Lit(), (Pixels{{2, 2}, {2, 3}}));
    RECT box;
    EXPECT_EQ(GetClipBox(canvas.dc, &box), SIMPLEREGION);
    EXPECT_EQ(std::vector<LONG>({box.left, box.right}), std::vector<LONG>({3, 4})); // + origin
    DeleteObject(brush);
}

// The memory canvas takes the clip box to device units and back, and blits from its own origin.
TEST_F(Gdi, OriginsConvertBothWaysAndEachSideOfABlit) {
    Canvas source(4, 4), target(6, 6);
    SetWindowOrgEx(source.dc, 5, -7, nullptr);
    POINT points[2] = {{5, -7}, {9, 0}};
    LPtoDP(source.dc, points, 2);
    EXPECT_EQ(std::vector<LONG>({points[0].x, points[0].y, points[1].x, points[1].y}),
              std::vector<LONG>({0, 0, 4, 7}));
    DPtoLP(source.dc, points, 2);
    EXPECT_EQ(std::vector<LONG>({points[0].x, points[0].y, points[1].x, points[1].y}),
              std::vector<LONG>({5, -7, 9, 0}));
    SetPixel(source.dc, 7, -5, RGB(255, 0, 0)); // its pixel (2, 2)
    SetPixel(source.dc, 5, -5, RGB(255, 0, 0)); // its pixel (0, 2)
    SetWindowOrgEx(target.dc, -1, -1, nullptr); // target logical (0, 0) is its pixel (1, 1)
    // 5 × 5 asked for: only the source's 4 × 4 is copied.
    EXPECT_TRUE(BitBlt(target.dc, 0, 0, 5, 5, source.dc, 5, -7, SRCCOPY));
    EXPECT_EQ(target.Lit(), (Pixels{{1, 3}, {3, 3}}));
}

// A blit of a whole bitmap onto another of its size shares the pixels until one side is drawn
// on; every way of drawing then leaves the other side as the blit left it.
TEST_F(Gdi, AfterAWholeBlitDrawingOnEitherSideLeavesTheOtherAsItWas) {
    const HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    const HPEN pen = CreatePen(PS_SOLID, 0, RGB(9, 9, 9));
    const RECT corner{0, 0, 1, 1};
    Canvas lit(1, 1);
    SetPixel(lit.dc, 0, 0, RGB(9, 9, 9));
    const std::vector<std::function<void(HDC)>> draws{
        [&](HDC dc) { FillRect(dc, &corner, brush); },
        [](HDC dc) { SetPixel(dc, 0, 0, RGB(9, 9, 9)); },
        [&](HDC dc) { SelectObject(dc, pen), MoveToEx(dc, 0, 0, nullptr), LineTo(dc, 1, 0); },
        [&](HDC dc) { BitBlt(dc, 0, 0, 1, 1, lit.dc, 0, 0, SRCCOPY); },
        [](HDC dc) {
            RECT all{0, 0, 16, 16};
            SetTextColor(dc, RGB(9, 9, 9)), DrawTextA(dc, "W", 1, &all, 0);
        },
    };
    for (std::size_t i = 0; i < draws.size() * 2; ++i) {
        Canvas source(16, 16), target(16, 16);
        SetPixel(source.dc, 15, 15, RGB(0, 0, 9));
        ASSERT_TRUE(BitBlt(target.dc, 0, 0, 16, 16, source.dc, 0, 0, SRCCOPY));
        const bool onSource = i % 2 == 0;
        draws[i / 2](onSource ? source.dc : target.dc);
        EXPECT_EQ((onSource ? target : source).Lit(), (Pixels{{15, 15}})) << i;
        EXPECT_GT((onSource ? source : target).Lit().size(), 1u) << i;
    }
    // A blit that leaves out a column or a row copies what it covers, and only that.
    for (const POINT part : {POINT{15, 16}, POINT{16, 15}}) {
        Canvas source(16, 16), target(16, 16);
        SetPixel(source.dc, 0, 0, RGB(9, 9, 9));
        SetPixel(source.dc, 15, 15, RGB(9, 9, 9));
        BitBlt(target.dc, 0, 0, part.x, part.y, source.dc, 0, 0, SRCCOPY);
        EXPECT_EQ(target.Lit(), (Pixels{{0, 0}}));
    }
    DeleteObject(brush);
    DeleteObject(pen);
}

TEST_F(Gdi, StaleAndNullHandlesAreRefusedAndSelectedObjectsOutliveDeletion) {
    EXPECT_FALSE(DeleteObject(nullptr) || LineTo(nullptr, 1, 1));
    EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_BRUSH)), nullptr);
    Canvas canvas(3, 3);
    const HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    const HGDIOBJ old = SelectObject(canvas.dc, pen);
    EXPECT_TRUE(DeleteObject(pen));            // selected: it goes when deselected
    EXPECT_FALSE(DeleteObject(canvas.bitmap)); // a selected bitmap cannot go
    MoveToEx(canvas.dc, 0, 0, nullptr);
    LineTo(canvas.dc, 2, 0);
    EXPECT_EQ(canvas.Lit().size(), 2u);
    SelectObject(canvas.dc, old);
    EXPECT_EQ(portable::LiveGdiObjectCount(), 2u); // the context and its bitmap
    EXPECT_FALSE(DeleteObject(pen));               // stale now
}
