#include "platform/portable/tests/test_canvas.h"

#include <vector>

using Gdi = PortableTest;

TEST_F(Gdi, FillRectIsHalfOpenAndClippedInDeviceCoordinates) {
    Canvas canvas(8, 6);
    const HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    const RECT rect{1, 1, 4, 3};
    FillRect(canvas.dc, &rect, brush);
    EXPECT_EQ(canvas.Lit(),
              (std::set<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}));
    EXPECT_EQ(GetPixel(canvas.dc, 1, 1), RGB(10, 20, 30));
    EXPECT_EQ(canvas.Pixels().Row(1)[1], 0x000A141Eu); // DIB order: 0x00RRGGBB
    canvas.Clear();
    const RECT reversed{4, 3, 1, 1}; // mirrored: the far edges go in, the near ones out
    FillRect(canvas.dc, &reversed, brush);
    EXPECT_EQ(canvas.Lit(),
              (std::set<std::pair<int, int>>{{2, 2}, {3, 2}, {4, 2}, {2, 3}, {3, 3}, {4, 3}}));

    // Clip rectangles narrow each other in device space; a later origin does not move them.
    canvas.Clear();
    IntersectClipRect(canvas.dc, 2, 2, 5, 4);
    SetWindowOrgEx(canvas.dc, 1, 0, nullptr);
    IntersectClipRect(canvas.dc, 0, 0, 4, 10); // device (-1, 0)..(3, 10)
    const RECT everything{-100, -100, 100, 100};
    FillRect(canvas.dc, &everything, brush);
    EXPECT_EQ(canvas.Lit(), (std::set<std::pair<int, int>>{{2, 2}, {2, 3}}));
    RECT box;
    EXPECT_EQ(GetClipBox(canvas.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 3); // logical = device + origin
    EXPECT_EQ(box.right, 4);
    DeleteObject(brush);
}

TEST_F(Gdi, SetPixelOutsideTheBitmapOrClipDoesNothing) {
    Canvas canvas(4, 4);
    EXPECT_EQ(SetPixel(canvas.dc, 4, 0, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(SetPixel(canvas.dc, -1, 2, RGB(1, 2, 3)), CLR_INVALID);
    IntersectClipRect(canvas.dc, 1, 1, 3, 3); // its first row and column inside, the last not
    for (const POINT at : {POINT{3, 1}, POINT{1, 3}, POINT{0, 2}, POINT{2, 0}}) {
        EXPECT_EQ(SetPixel(canvas.dc, at.x, at.y, RGB(1, 2, 3)), CLR_INVALID);
    }
    EXPECT_EQ(SetPixel(canvas.dc, 1, 1, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(SetPixel(canvas.dc, 2, 2, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(canvas.Lit(), (std::set<std::pair<int, int>>{{1, 1}, {2, 2}}));
}

TEST_F(Gdi, MemoryContextsStartWithAOneByOneBitmapAndEmptyBitmapsFail) {
    const HDC dc = CreateCompatibleDC(nullptr);
    RECT box;
    GetClipBox(dc, &box);
    EXPECT_EQ(box.right, 1);
    EXPECT_EQ(box.bottom, 1);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 10), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 10, 0), nullptr);
    EXPECT_TRUE(LineTo(dc, 100, 100)); // drawing into the tiny bitmap is harmless
    DeleteDC(dc);
}

TEST_F(Gdi, BitBltConvertsEachSideWithItsOwnOriginAndSkipsMissingSource) {
    Canvas source(4, 4);
    Canvas target(6, 6);
    const HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    const RECT all{0, 0, 4, 4};
    FillRect(source.dc, &all, brush);
    SetWindowOrgEx(source.dc, 10, 10, nullptr); // source logical (10, 10) is its pixel (0, 0)
    SetWindowOrgEx(target.dc, -1, -1, nullptr); // target logical (0, 0) is its pixel (1, 1)
    // 5 × 5 asked for, from source logical (12, 12): only 2 × 2 of it exists.
    EXPECT_TRUE(BitBlt(target.dc, 0, 0, 5, 5, source.dc, 12, 12, SRCCOPY));
    EXPECT_EQ(target.Lit(), (std::set<std::pair<int, int>>{{1, 1}, {2, 1}, {1, 2}, {2, 2}}));
    DeleteObject(brush);
}

TEST_F(Gdi, LogicalDeviceConversionFollowsTheWindowOrigin) {
    Canvas canvas(4, 4);
    SetWindowOrgEx(canvas.dc, 5, -7, nullptr);
    POINT points[2] = {{5, -7}, {9, 0}};
    LPtoDP(canvas.dc, points, 2);
    EXPECT_EQ(std::vector<LONG>({points[0].x, points[0].y, points[1].x, points[1].y}),
              std::vector<LONG>({0, 0, 4, 7}));
    DPtoLP(canvas.dc, points, 2);
    EXPECT_EQ(std::vector<LONG>({points[0].x, points[0].y, points[1].x, points[1].y}),
              std::vector<LONG>({5, -7, 9, 0}));
}

TEST_F(Gdi, StaleAndNullHandlesAreRefusedAndSelectedObjectsOutliveDeletion) {
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_BRUSH)), nullptr);
    EXPECT_FALSE(LineTo(nullptr, 1, 1));
    EXPECT_EQ(SetPixel(nullptr, 0, 0, 0), CLR_INVALID);

    Canvas canvas(3, 3);
    const HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    const HGDIOBJ old = SelectObject(canvas.dc, pen);
    EXPECT_EQ(portable::LiveGdiObjectCount(), 3u); // context, bitmap, pen
    EXPECT_TRUE(DeleteObject(pen));                // selected: it goes when deselected
    EXPECT_FALSE(DeleteObject(canvas.bitmap));     // a selected bitmap cannot go
    MoveToEx(canvas.dc, 0, 0, nullptr);
    LineTo(canvas.dc, 2, 0);
    EXPECT_EQ(canvas.Lit().size(), 2u);
    SelectObject(canvas.dc, old);
    EXPECT_EQ(portable::LiveGdiObjectCount(), 2u);
    EXPECT_FALSE(DeleteObject(pen)); // stale now
}
