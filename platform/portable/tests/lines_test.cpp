#include "platform/portable/tests/test_canvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Windows' cosmetic-line rule walked literally, keeping the pixels inside `clip`.
Pixels ReferenceLine(long long x1, long long y1, long long x2, long long y2, const RECT& clip) {
    const long long dx = x2 - x1, dy = y2 - y1, sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool xMajor = std::llabs(dx) > std::llabs(dy);
    // Ties go the minor way only in the octants that run up, or leftward down.
    const long long bias = xMajor ? dy <= 0 : dx < 0 || (dx == 0 && dy > 0);
    const long long a = std::max(std::llabs(dx), std::llabs(dy));
    const long long b = std::min(std::llabs(dx), std::llabs(dy));
    Pixels inside;
    long long x = x1, y = y1, err = 2 * b - a;
    for (long long i = 0; i < a; ++i) {
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) {
            inside.insert({static_cast<int>(x), static_cast<int>(y)});
        }
        if (err + bias > 0) {
            (xMajor ? y : x) += xMajor ? sy : sx;
            err -= 2 * a;
        }
        err += 2 * b;
        (xMajor ? x : y) += xMajor ? sx : sy;
    }
    return inside;
}

Pixels Draw(Canvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.Clear();
    const HGDIOBJ old = SelectObject(canvas.dc, CreatePen(PS_SOLID, 0, RGB(255, 255, 255)));
    MoveToEx(canvas.dc, x1, y1, nullptr);
    LineTo(canvas.dc, x2, y2);
    DeleteObject(SelectObject(canvas.dc, old));
    return canvas.Lit();
}

} // namespace

using Lines = PortableTest;

// All octants, exact diagonals, partly outside or far away: the rule's pixels that fall inside.
TEST_F(Lines, EveryLineMatchesTheRuleAndClippingKeepsItsPixels) {
    Canvas canvas(12, 10);
    int mismatches = 0;
    for (int i = 0; i < 17 * 17 * 8 * 15; ++i) { // x from -3 to 13; y from -3 to 11, y1 odd
        const int x1 = i % 17 - 3, x2 = i / 17 % 17 - 3, y1 = i / 289 % 8 * 2 - 3,
                  y2 = i / 2312 - 3;
        mismatches += Draw(canvas, x1, y1, x2, y2) != ReferenceLine(x1, y1, x2, y2, {0, 0, 12, 10});
    }
    EXPECT_EQ(mismatches, 0);
    for (const RECT& c :
         {RECT{-1000000, -500003, 1000000, 500011}, RECT{999999, -1000000, -1000000, 999990}}) {
        EXPECT_EQ(Draw(canvas, c.left, c.top, c.right, c.bottom),
                  ReferenceLine(c.left, c.top, c.right, c.bottom, {0, 0, 12, 10}));
    }
    // Across the whole 32-bit range: one pixel per row, where the near-vertical line passes.
    const Pixels lit = Draw(canvas, 5, -2000000000, 6, 2000000000);
    EXPECT_EQ(lit.size(), 10u);
    EXPECT_TRUE(std::ranges::all_of(lit, [](auto p) { return p.first == 5 || p.first == 6; }));
    SetWindowOrgEx(canvas.dc, -2, -1, nullptr); // logical (x, y) is bitmap (x + 2, y + 1)
    IntersectClipRect(canvas.dc, 1, 1, 8, 6);   // bitmap (3, 2)..(10, 7)
    const Pixels expected = ReferenceLine(-2, -2, 15, 10, {3, 2, 10, 7});
    EXPECT_EQ(expected.size(), 7u);
    EXPECT_EQ(Draw(canvas, -4, -3, 13, 9), expected);
}
