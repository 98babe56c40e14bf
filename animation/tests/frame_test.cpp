#include "animation/tests/animation_fixture.h"

#include <algorithm>
#include <map>
#include <vector>

using Frames = AnimationTest;

namespace {
constexpr COLORREF Yellow = RGB(255, 255, 0);
} // namespace

TEST_F(Frames, FirstFrameIsNoRestartAndShowsTheFadeAtFrameOne) {
    Create(1024, 768);
    EXPECT_EQ(animation.frameCount, 0);
    Frame();
    EXPECT_EQ(animation.frameCount, 1);
    EXPECT_EQ(animation.background.frame, 1);
    EXPECT_NE(ShownPixel(1023, 0), Yellow);
    EXPECT_EQ(ShownPixel(1023, 0), BackgroundColor()); // the rate line ends at x = 800
}

TEST_F(Frames, RestartFrameIsYellowWithANewBudgetAndTheNextFadesFromFrameTwo) {
    Create(640, 480);
    Frame();
    animation.frameCount = animation.frameBudget - 1;
    Frame();
    EXPECT_EQ(ShownPixel(639, 0), Yellow);
    EXPECT_EQ(animation.frameCount, 0);
    EXPECT_GE(animation.frameBudget, 5000);
    EXPECT_LE(animation.frameBudget, 10000);
    EXPECT_EQ(animation.background.frame, 1);
    // The text colour of that frame comes from the new start colour, not from the yellow.
    const FadeChannel red = animation.background.red;
    EXPECT_EQ(red.current, red.start);
    Frame();
    EXPECT_EQ(animation.background.frame, 2);
    const double progress = 2.0 / animation.background.frames;
    EXPECT_EQ(animation.background.red.current,
              red.start + static_cast<int>((red.target - red.start) * progress));
    EXPECT_EQ(ShownPixel(639, 0), BackgroundColor());
}

TEST_F(Frames, BackgroundFadeTruncatesTowardZeroAndRetargetsOnItsLastFrame) {
    Create(640, 480);
    Frame();
    BackgroundFade& fade = animation.background;
    fade.red = {0, 200, 200};
    fade.frames = 60;
    fade.frame = 0;
    Frame();
    EXPECT_EQ(fade.red.current, 197); // 200 + trunc(-3.33), not 196
    fade.frames = 50;
    fade.frame = 49;
    const COLORREF before = BackgroundColor();
    Frame();
    EXPECT_EQ(fade.frame, 0); // retargeted
    EXPECT_EQ(ShownPixel(639, 0), before);
    EXPECT_GE(fade.frames, 50);
    EXPECT_LE(fade.frames, 250);
}

// The drawing calls of one frame tell its structure: 100 samples of three dots of five pixels,
// an arm triangle each, trails from the second sample on, and the marked triangle.
TEST_F(Frames, SamplesDotsTrailsAndTheWalkingMarker) {
    Create(640, 480);
    Frame();
    std::vector<portable::DrawCall> calls;
    const auto drawFrame = [&](int marker) {
        animation.markerIndex = marker;
        calls.clear();
        portable::RecordDrawCalls(&calls);
        Frame();
        portable::RecordDrawCalls(nullptr);
        std::map<HGDIOBJ, int> linesByPen;
        int pixels = 0, linesBeforeFirstTrail = 0;
        HGDIOBJ firstPen = nullptr;
        for (const auto& call : calls) {
            if (call.kind == portable::DrawCall::Kind::SetPixel) {
                ++pixels;
            } else if (call.kind == portable::DrawCall::Kind::LineTo) {
                firstPen = firstPen ? firstPen : call.pen;
                ++linesByPen[call.pen];
                linesBeforeFirstTrail += linesByPen.size() < 2 ? 1 : 0;
            }
        }
        EXPECT_EQ(pixels, 100 * 3 * 5);
        return std::make_pair(linesByPen, linesBeforeFirstTrail);
    };
    // Marker idle: the main pen draws 100 triangles, the trail pen 99 × 3 segments.
    auto [idle, leadIdle] = drawFrame(300);
    ASSERT_EQ(idle.size(), 2u);
    std::vector<int> counts;
    for (const auto& [pen, lines] : idle) {
        counts.push_back(lines);
    }
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<int>{297, 300}));
    EXPECT_EQ(leadIdle, 3); // sample 0 draws its triangle and no trail
    EXPECT_EQ(animation.markerIndex, 301);
    // Marker on a sample: exactly its three triangle lines in the marker pen.
    for (int marker : {0, 57, 99}) {
        auto [marked, lead] = drawFrame(marker);
        ASSERT_EQ(marked.size(), 3u) << marker;
        counts.clear();
        for (const auto& [pen, lines] : marked) {
            counts.push_back(lines);
        }
        std::sort(counts.begin(), counts.end());
        EXPECT_EQ(counts, (std::vector<int>{3, 297, 297})) << marker;
    }
    drawFrame(599);
    EXPECT_EQ(animation.markerIndex, 0); // 600 wraps to 0
}

TEST_F(Frames, PrintClientDrawsAFrameIntoTheGivenContextWithoutPainting) {
    Create(100, 80);
    Frame();
    Canvas canvas(300, 200);
    EXPECT_EQ(SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), 0), 0);
    EXPECT_EQ(animation.frameCount, 2);
    EXPECT_EQ(GetPixel(canvas.dc, 99, 0), BackgroundColor());
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE)); // still to paint
}

TEST_F(Frames, SizeChangesTheNextFrameWithoutAskingForAPaintAndEraseIsRefused) {
    Create(100, 80);
    Frame();
    MoveWindow(window, 0, 0, 160, 120, TRUE);
    EXPECT_EQ(animation.clientRect.right, 160);
    EXPECT_EQ(animation.clientRect.bottom, 120);
    Frame();
    EXPECT_EQ(ShownPixel(159, 119), BackgroundColor());

    // The message map's own answer to WM_SIZE asks for no paint.
    animation.animate = false;
    Frame();
    MSG msg;
    ASSERT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(SendMessageA(window, WM_SIZE, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));

    const HDC dc = GetDC(window);
    const COLORREF shown = GetPixel(dc, 150, 5);
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(GetPixel(dc, 150, 5), shown);
    ReleaseDC(window, dc);
}

TEST_F(Frames, PreviewSizedAndEmptyWindowsDrawAndNothingLeaksOverRestarts) {
    Create(152, 112);
    Frame();
    const std::size_t objects = portable::LiveGdiObjectCount();
    for (int i = 0; i < 20000; ++i) {
        Frame();
    }
    EXPECT_EQ(portable::LiveGdiObjectCount(), objects);
    EXPECT_LT(animation.frameCount, 20000); // restarted at least once on the way
    DestroyWindow(window);
    // An empty client area is never painted; a print request still draws whole frames.
    Create(0, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    const HDC dc = CreateCompatibleDC(nullptr);
    for (int i = 0; i < 3; ++i) {
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0);
    }
    DeleteDC(dc);
    EXPECT_EQ(animation.frameCount, 3);
}
