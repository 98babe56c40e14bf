#include "animation/tests/animation_fixture.h"
#include "model/tests/random_probe.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <tuple>
#include <vector>

using Frames = AnimationTest;

// Whole frames from a fresh start, outside the text rows, as they were checked pixel for pixel
// against real GDI: 640×480 frames 1 to 3, 800×600 frame 300, 152×112 frame 777 at 40 ms a
// frame, 64×48 after the marker's wrap, on the restart frame (the first budget is 9345) and
// the one after, and tiny windows.
TEST_F(Frames, WholeFramesMatchTheCheckedRecord) {
    struct Pin {
        int width, height, step, frame;
        std::uint64_t hash;
    };
    const Pin pins[] = {
        {640, 480, 16, 1, 0x69c2d7ee264d280du},   {640, 480, 16, 2, 0x924ac997ca310004u},
        {640, 480, 16, 3, 0xdef85d7b2f51f7e6u},   {800, 600, 16, 300, 0xf8f71d8e7bb0ed6eu},
        {152, 112, 40, 777, 0xa0f3834484d1cc49u}, {64, 48, 16, 602, 0x9512a336d12a09b6u},
        {64, 48, 16, 9345, 0x22220beef7ee59ceu},  {64, 48, 16, 9346, 0x146084d5925ffa92u},
        {1, 1, 16, 3, 0xbb66ba4c9a6acbc6u},       {7, 5, 16, 60, 0xf115b9449cf332eeu},
    };
    std::size_t objects = 0;
    for (const Pin& pin : pins) {
        if (pin.frame <= frame || pin.width != animation.clientRect.right) {
            Rebuild();
            UseSteppedClock(pin.step);
            frame = 0;
            Create(pin.width, pin.height);
            Frame();
            objects = portable::LiveGdiObjectCount();
        }
        while (frame < pin.frame) {
            Frame();
        }
        EXPECT_EQ(FigureHash(), pin.hash) << pin.width << "x" << pin.height << " #" << pin.frame;
        EXPECT_EQ(portable::LiveGdiObjectCount(), objects) << "a frame leaked drawing objects";
    }
}

// Per sample: plus-shaped dots (pixel, left, below, right, above) in phasors 0..2's colours
// after the frame's update; the arm triangle in phasor 5's colour and trails (from the second
// sample on) in phasor 4's, both as they stood before it; the marked triangle in phasor 4's.
TEST_F(Frames, DotsPensTrailsAndTheMarker) {
    Create(640, 480);
    for (int i = 0; i < 3; ++i) {
        Frame();
    }
    const POINT shape[] = {{0, 0}, {-1, 0}, {0, 1}, {1, 0}, {0, -1}};
    for (int marker : {300, 57}) {
        animation.markerIndex = marker;
        const COLORREF arm = animation.phasors[5]->GetPhasor().GetColor();
        const COLORREF trail = animation.phasors[4]->GetPhasor().GetColor();
        ASSERT_NE(arm, trail);
        std::vector<portable::DrawCall> calls, dots;
        portable::RecordDrawCalls(&calls);
        Frame();
        portable::RecordDrawCalls(nullptr);
        std::map<HGDIOBJ, std::pair<COLORREF, int>> lines;
        for (const portable::DrawCall& call : calls) {
            if (call.kind == portable::DrawCall::Kind::SetPixel) {
                dots.push_back(call);
            } else if (call.kind == portable::DrawCall::Kind::LineTo) {
                lines[call.pen] = {call.color, lines[call.pen].second + 1};
            }
        }
        ASSERT_EQ(dots.size(), 100u * 3 * 5);
        for (std::size_t j = 0; j < dots.size(); ++j) {
            const POINT centre = dots[j - j % 5].point;
            EXPECT_EQ(dots[j].color, animation.phasors[j / 5 % 3]->GetPhasor().GetColor()) << j;
            EXPECT_EQ(dots[j].point.x - centre.x, shape[j % 5].x) << j;
            EXPECT_EQ(dots[j].point.y - centre.y, shape[j % 5].y) << j;
        }
        std::multiset<std::pair<COLORREF, int>> pens, expected{{arm, 300}, {trail, 297}};
        for (const auto& [pen, drawn] : lines) {
            pens.insert(drawn);
        }
        if (marker < 100) {
            expected = {{arm, 297}, {trail, 297}, {trail, 3}};
        }
        EXPECT_EQ(pens, expected) << marker;
    }
}

// Restart draws, in order: six phasors of 22 draws (omega from the third of each), the budget,
// the fade length, the scheme, its targets (red first) and the three start channels.
TEST_F(Frames, RestartDrawsItsRangesInOrderAndEverySchemeItsTargets) {
    const std::array<int, 3> schemes[] = {
        {255, -1, -1}, {}, {}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {}, {}, {}, {}, {}};
    for (int scheme = 0; scheme <= 10; ++scheme) {
        random_probe::ForceDraws(135, scheme == 10 ? 32767 : scheme * 3277, 32767);
        const int drawn =
            static_cast<int>(std::count_if(schemes[scheme].begin(), schemes[scheme].end(),
                                           [](int target) { return target != 0; }));
        EXPECT_EQ(random_probe::CountDraws([&] { animation.Restart(); }), 138 + drawn) << scheme;
        const BackgroundFade& fade = animation.background;
        const int targets[] = {fade.red.target, fade.green.target, fade.blue.target};
        for (int c = 0; c < 3; ++c) {
            EXPECT_TRUE(schemes[scheme][c] < 0 || targets[c] == schemes[scheme][c]) << scheme;
        }
    }
    using Field = int (*)(const AnimationWindow&);
    const Field budget = [](const AnimationWindow& a) { return a.frameBudget; };
    const Field frames = [](const AnimationWindow& a) { return a.background.frames; };
    const Field start = [](const AnimationWindow& a) { return a.background.red.start; };
    const Field shown = [](const AnimationWindow& a) { return a.background.red.current; };
    const std::tuple<int, std::int32_t, std::int32_t, Field, int> ranges[] = {
        {133, 32767, 0, budget, 10000}, {133, 0, 0, budget, 5000},
        {133, 0, 32767, frames, 250},   {133, 0, 0, frames, 50},
        {135, 3277, 32767, start, 255}, {135, 3277, 0, shown, 153},
    };
    for (const auto& [position, first, second, field, expected] : ranges) {
        random_probe::ForceDraws(position, first, second);
        animation.Restart();
        EXPECT_EQ(field(animation), expected) << position << " " << first << " " << second;
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
