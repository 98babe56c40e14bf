#include "platform/portable/tests/test_canvas.h"

#include <cstdlib>
#include <vector>

namespace {

// Windows' cosmetic-line rule, walked literally from the start point: the reference the
// stand-in's clipped, skipping walk must agree with pixel for pixel.
std::vector<std::pair<long long, long long>> ReferenceLine(long long x1, long long y1, long long x2,
                                                           long long y2) {
    std::vector<std::pair<long long, long long>> points;
    const long long dx = x2 - x1, dy = y2 - y1;
    int octant;
    if (dy > 0) {
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    } else {
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    }
    const bool xMajor = octant == 1 || octant == 4 || octant == 5 || octant == 8;
    const long long bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    const long long a = xMajor ? std::llabs(dx) : std::llabs(dy);
    const long long b = xMajor ? std::llabs(dy) : std::llabs(dx);
    const long long sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    long long x = x1, y = y1, err = 2 * b - a;
    for (long long i = 0; i < a; ++i) {
        points.push_back({x, y});
        if (err + bias > 0) {
            (xMajor ? y : x) += xMajor ? sy : sx;
            err += 2 * b - 2 * a;
        } else {
            err += 2 * b;
        }
        (xMajor ? x : y) += xMajor ? sx : sy;
    }
    return points;
}

std::set<std::pair<int, int>> InBitmap(const std::vector<std::pair<long long, long long>>& line,
                                       const RECT& clip) {
    std::set<std::pair<int, int>> inside;
    for (const auto& [x, y] : line) {
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) {
            inside.insert({static_cast<int>(x), static_cast<int>(y)});
        }
    }
    return inside;
}

std::set<std::pair<int, int>> Draw(Canvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.Clear();
    MoveToEx(canvas.dc, x1, y1, nullptr);
    LineTo(canvas.dc, x2, y2);
    return canvas.Lit();
}

} // namespace

class Lines : public PortableTest {
  protected:
    void SetUp() override {
        PortableTest::SetUp();
        canvas = std::make_unique<Canvas>(12, 10);
        pen = CreatePen(PS_SOLID, 0, RGB(255, 255, 255));
        oldPen = SelectObject(canvas->dc, pen);
    }
    void TearDown() override {
        SelectObject(canvas->dc, oldPen);
        DeleteObject(pen);
        canvas.reset();
        PortableTest::TearDown();
    }
    std::unique_ptr<Canvas> canvas;
    HPEN pen = nullptr;
    HGDIOBJ oldPen = nullptr;
};

TEST_F(Lines, KnownPixelsInBothDirectionsEndExcluded) {
    using Pixels = std::set<std::pair<int, int>>;
    EXPECT_EQ(Draw(*canvas, 0, 0, 4, 2), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    EXPECT_EQ(Draw(*canvas, 4, 2, 0, 0), (Pixels{{4, 2}, {3, 1}, {2, 1}, {1, 0}}));
    EXPECT_EQ(Draw(*canvas, 2, 3, 6, 3), (Pixels{{2, 3}, {3, 3}, {4, 3}, {5, 3}}));
    EXPECT_EQ(Draw(*canvas, 5, 5, 5, 2), (Pixels{{5, 5}, {5, 4}, {5, 3}}));
    EXPECT_EQ(Draw(*canvas, 1, 1, 4, 4), (Pixels{{1, 1}, {2, 2}, {3, 3}}));
    EXPECT_TRUE(Draw(*canvas, 3, 3, 3, 3).empty());
    MoveToEx(canvas->dc, -10, -10, nullptr);
    LineTo(canvas->dc, -5, -20); // nothing of it lies on the bitmap, yet the position moves
    POINT position;
    MoveToEx(canvas->dc, 0, 0, &position);
    EXPECT_EQ(std::make_pair(position.x, position.y), std::make_pair(LONG{-5}, LONG{-20}));
}

// Every line between points around and inside the bitmap, in all octants, on exact diagonals,
// partly outside: the stand-in lights exactly the unclipped line's pixels that fall inside.
TEST_F(Lines, EveryShortLineMatchesTheRuleAndClippingKeepsItsPixels) {
    const RECT bounds{0, 0, 12, 10};
    int mismatches = 0;
    for (int x1 = -3; x1 < 14; x1 += 1) {
        for (int y1 = -3; y1 < 12; y1 += 2) {
            for (int x2 = -3; x2 < 14; ++x2) {
                for (int y2 = -3; y2 < 12; ++y2) {
                    mismatches += Draw(*canvas, x1, y1, x2, y2) !=
                                  InBitmap(ReferenceLine(x1, y1, x2, y2), bounds);
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(Lines, ClipRegionAndWindowOriginSelectTheSameLinePixels) {
    SetWindowOrgEx(canvas->dc, -2, -1, nullptr); // logical (x, y) is bitmap (x + 2, y + 1)
    IntersectClipRect(canvas->dc, 1, 1, 8, 6);   // bitmap (3, 2)..(10, 7)
    const auto expected = InBitmap(ReferenceLine(-2, -2, 15, 10), {3, 2, 10, 7});
    EXPECT_EQ(expected.size(), 7u);
    EXPECT_EQ(Draw(*canvas, -4, -3, 13, 9), expected);
}

TEST_F(Lines, EndpointsAMillionPixelsAwayAreLegal) {
    const int cases[][4] = {{-1000000, -500003, 1000000, 500011},
                            {999999, -1000000, -1000000, 999990}};
    for (const auto& c : cases) {
        EXPECT_EQ(Draw(*canvas, c[0], c[1], c[2], c[3]),
                  InBitmap(ReferenceLine(c[0], c[1], c[2], c[3]), {0, 0, 12, 10}))
            << c[0] << "," << c[1];
    }
    // Across the whole 32-bit range: one pixel per row, where the near-vertical line passes.
    const auto lit = Draw(*canvas, 5, -2000000000, 6, 2000000000);
    EXPECT_EQ(lit.size(), 10u);
    for (const auto& [x, y] : lit) {
        EXPECT_TRUE(x == 5 || x == 6) << x;
    }
}
