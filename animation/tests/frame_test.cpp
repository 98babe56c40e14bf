#include "animation/tests/animation_fixture.h"
#include "model/tests/random_probe.h"

#include <algorithm>
#include <string>
#include <tuple>

using Frames = AnimationTest;

// Whole frames outside the text rows, checked pixel for pixel against real GDI; no object leaks.
TEST_F(Frames, WholeFramesMatchTheCheckedRecord) {
    const std::tuple<int, int, int, int, std::uint64_t> pins[] = {
        {640, 480, 16, 1, 0x69c2d7ee264d280du},   {640, 480, 16, 2, 0x924ac997ca310004u},
        {640, 480, 16, 3, 0xdef85d7b2f51f7e6u},   {800, 600, 16, 300, 0xf8f71d8e7bb0ed6eu},
        {152, 112, 40, 777, 0xa0f3834484d1cc49u}, {64, 48, 16, 602, 0x9512a336d12a09b6u},
        {64, 48, 16, 9345, 0x22220beef7ee59ceu},  {64, 48, 16, 9346, 0x146084d5925ffa92u},
        {1, 1, 16, 3, 0xbb66ba4c9a6acbc6u},       {7, 5, 16, 60, 0xf115b9449cf332eeu},
    };
    std::size_t objects = 0;
    for (const auto& [width, height, step, last, hash] : pins) {
        if (last <= frame || width != animation.clientRect.right) {
            Rebuild();
            UseSteppedClock(step);
            Create(width, height);
            Frame();
            objects = portable::LiveGdiObjectCount();
        }
        while (frame < last) {
            Frame();
        }
        EXPECT_EQ(FigureHash(), hash) << width << "x" << height << " #" << last;
        EXPECT_EQ(portable::LiveGdiObjectCount(), objects) << "a frame leaked drawing objects";
    }
}

// Restart draws six phasors of 22, budget, fade, scheme, targets, start colour; its cycle: now.
TEST_F(Frames, RestartDrawsItsRangesInOrderAndEverySchemeItsTargets) {
    using namespace random_probe;
    const std::string schemes[] = {"F??", "000", "000", "F00", "0F0", "00F"}; // F: 255, 0: no draw
    const BackgroundFade& fade = animation.background;
    SetClockFrame(7);
    for (int scheme = 0; scheme <= 10; ++scheme) {
        const std::string expected = scheme < 6 ? schemes[scheme] : "000";
        ForceDraws(135, scheme == 10 ? 32767 : scheme * 3277, 32767);
        EXPECT_EQ(CountDraws([&] { animation.Restart(); }),
                  141 - std::ranges::count(expected, '0'));
        const int targets[] = {fade.red.target, fade.green.target, fade.blue.target};
        for (int c = 0; c < 3; ++c) {
            EXPECT_TRUE(expected[c] == '?' || targets[c] == 255 * (expected[c] == 'F')) << scheme;
        }
    }
    const std::tuple<int, std::int32_t, std::int32_t, int, int> ranges[] = {
        {133, 32767, 0, 0, 10000}, {133, 0, 0, 0, 5000},       {133, 0, 32767, 1, 250},
        {133, 0, 0, 1, 50},        {135, 3277, 32767, 2, 255}, {135, 3277, 0, 3, 153},
    };
    for (const auto& [position, first, second, value, expected] : ranges) { // shown: red.current
        ForceDraws(position, first, second);
        animation.Restart();
        const int values[] = {animation.frameBudget, fade.frames, fade.red.start, fade.red.current};
        EXPECT_EQ(values[value], expected) << position << " " << first << " " << second;
    }
    EXPECT_EQ(animation.cycleStart, 7 * 16);
}

// Paints clip to clientRect (WM_SIZE's, no paint asked), never erase; prints follow the clip box.
TEST_F(Frames, PaintsClipToTheClientAreaAndPrintsFollowTheClipBox) {
    Create(100, 80);
    Frame();
    const HDC dc = GetDC(window);
    const HBRUSH mark = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
    FillRect(dc, &animation.clientRect, mark); // the whole window, marked
    DeleteObject(mark);
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    animation.clientRect = {0, 0, 50, 40};
    Frame();
    EXPECT_EQ(GetPixel(dc, 99, 79), RGB(0x12, 0x34, 0x56));
    ReleaseDC(window, dc);
    EXPECT_TRUE(ShowsBackground(49, 0));
    animation.animate = false; // the next frame asks for no other
    MoveWindow(window, 0, 0, 160, 120, TRUE);
    Frame();
    EXPECT_TRUE(ShowsBackground(159, 119));
    MSG msg;
    ASSERT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(SendMessageA(window, WM_SIZE, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));

    Canvas whole(100, 80), part(100, 80), expected(100, 80);
    for (const Canvas* canvas : {&whole, &part}) {
        IntersectClipRect(canvas->dc == whole.dc ? expected.dc : part.dc, 30, 20, 70, 60);
        Rebuild();
        Create(100, 80);
        EXPECT_EQ(SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc), 0), 0);
        EXPECT_EQ(animation.frameCount, 1);
    }
    BitBlt(expected.dc, 0, 0, 100, 80, whole.dc, 0, 0, SRCCOPY); // the clip box's part of a whole
    EXPECT_TRUE(std::equal(part.Pixels().Row(0), part.Pixels().Row(80), expected.Pixels().Row(0)));
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE)); // still pending
}
