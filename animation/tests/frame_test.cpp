#include "animation/tests/animation_fixture.h"
#include "model/tests/random_probe.h"

#include <algorithm>
#include <array>
#include <string>
#include <tuple>

using Frames = AnimationTest;

// Whole frames from a fresh start, outside the text rows, as they were checked pixel for pixel
// against real GDI: 640×480 frames 1 to 3 (the marker on samples 0 to 2), 800×600 frame 300,
// 152×112 frame 777 at 40 ms a frame, 64×48 after the marker's wrap, on the restart frame (the
// first budget is 9345) and after it, tiny windows. They pin the geometry, the colour of every
// pen and dot, the dots' shape, the fades and the order of every random draw; leaks fail too.
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
            frame = 0;
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

// Restart draws, in order: six phasors of 22 draws (omega from the third of each), the budget,
// the fade length, the scheme, its targets (red first) and the three start channels.
TEST_F(Frames, RestartDrawsItsRangesInOrderAndEverySchemeItsTargets) {
    // Per channel: F a target of 255 (the forced draw), 0 none drawn, ? any.
    const std::string schemes[] = {"F??", "000", "000", "F00", "0F0", "00F",
                                   "000", "000", "000", "000", "000"};
    for (int scheme = 0; scheme <= 10; ++scheme) {
        const std::string& expected = schemes[scheme];
        random_probe::ForceDraws(135, scheme == 10 ? 32767 : scheme * 3277, 32767);
        EXPECT_EQ(random_probe::CountDraws([&] { animation.Restart(); }),
                  141 - std::count(expected.begin(), expected.end(), '0'))
            << scheme;
        const BackgroundFade& fade = animation.background;
        const int targets[] = {fade.red.target, fade.green.target, fade.blue.target};
        for (int c = 0; c < 3; ++c) {
            EXPECT_TRUE(expected[c] == '?' || targets[c] == (expected[c] == 'F' ? 255 : 0))
                << scheme;
        }
    }
    // Budget, fade length, the start colour and the colour shown.
    const auto values = [&] {
        const BackgroundFade& fade = animation.background;
        return std::array{animation.frameBudget, fade.frames, fade.red.start, fade.red.current};
    };
    const std::tuple<int, std::int32_t, std::int32_t, int, int> ranges[] = {
        {133, 32767, 0, 0, 10000}, {133, 0, 0, 0, 5000},       {133, 0, 32767, 1, 250},
        {133, 0, 0, 1, 50},        {135, 3277, 32767, 2, 255}, {135, 3277, 0, 3, 153},
    };
    for (const auto& [position, first, second, value, expected] : ranges) {
        random_probe::ForceDraws(position, first, second);
        animation.Restart();
        EXPECT_EQ(values()[value], expected) << position << " " << first << " " << second;
    }
    SetClockFrame(7);
    for (const auto& [position, draw, omega] :
         {std::tuple{3, 32767, 3.141596536}, {25, 0, -3.141596536}}) {
        random_probe::ForceDraw(position, draw);
        animation.Restart();
        EXPECT_EQ(animation.phasors[position / 22]->GetPhasor().GetOmega(), omega);
    }
    EXPECT_EQ(animation.cycleStart, 7 * 16);
}

// An ordinary paint is clipped to clientRect. A print request draws one frame through a canvas
// on the given context's clip box, wherever that lies; the pending paint stays pending.
TEST_F(Frames, PaintsClipToTheClientAreaAndPrintsFollowTheClipBox) {
    Create(100, 80);
    Frame();
    const std::uint32_t outside = Shown(99, 79);
    animation.clientRect = {0, 0, 50, 40};
    Frame();
    EXPECT_EQ(Shown(99, 79), outside);
    EXPECT_EQ(Shown(49, 0), ShownBackground());

    Canvas whole(100, 80), part(100, 80);
    IntersectClipRect(part.dc, 30, 20, 70, 60);
    for (const Canvas* canvas : {&whole, &part}) {
        Rebuild();
        Create(100, 80);
        EXPECT_EQ(SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc), 0), 0);
        EXPECT_EQ(animation.frameCount, 1);
    }
    int differing = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 30 && x < 70 && y >= 20 && y < 60;
            differing += part.Pixels().Row(y)[x] != (inside ? whole.Pixels().Row(y)[x] : 0u);
        }
    }
    EXPECT_EQ(differing, 0);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

// WM_SIZE only takes the new client area; erasing is refused and draws nothing.
TEST_F(Frames, SizeChangesTheNextFrameWithoutAskingForAPaintAndEraseIsRefused) {
    Create(100, 80);
    Frame();
    MoveWindow(window, 0, 0, 160, 120, TRUE);
    Frame();
    EXPECT_EQ(Shown(159, 119), ShownBackground());
    animation.animate = false; // the last frame asks for no other
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
