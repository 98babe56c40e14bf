#include "animation/tests/animation_fixture.h"

#include <cstring>

using Overlay = AnimationTest;

// An interval closes on the first frame more than a second after its mark, counting that frame;
// the first mark is the window's creation, here 8 s into the run: 63 frames of 16 ms later.
TEST_F(Overlay, RateIntervalsCloseAfterMoreThanOneSecondFromTheWindowsCreationOn) {
    SetClockFrame(frame = 500);
    Create(64, 48);
    for (int i = 0; i < 62; ++i) {
        Frame();
    }
    EXPECT_EQ(animation.frameRate, 0.0);
    Frame();
    EXPECT_EQ(animation.frameRate, 63.0);
    animation.rateMark = 10.0;
    for (int i = 0; i < 30; ++i) {
        animation.CountFrame(10500);
    }
    animation.CountFrame(11000); // exactly one second: still counting
    EXPECT_EQ(animation.frameRate, 63.0);
    animation.CountFrame(11001);
    EXPECT_EQ(animation.frameRate, 32.0);
    EXPECT_EQ(animation.rateFrames, 0);
    EXPECT_EQ(animation.rateMark, 11.001);
}

// A whole frame shows the two expected lines as the platform's own text output draws them: in
// the dim complement of the background, in the overlay's font, the credit line 3 pixels above
// the bottom from x = 3, the rate line (the measured rate, or calibrating) from (2, 3), each 10
// pixels high up to x = 800; transparent, over the figure.
TEST_F(Overlay, BothLinesAreTransparentDimComplementsOfTheBackgroundInTheirPlaces) {
    Create(1024, 768);
    Frame();
    LOGFONTA description{};
    description.lfHeight = -10;
    std::strcpy(description.lfFaceName, "Lucida Console");
    const HFONT font = CreateFontIndirectA(&description);
    const std::pair<double, const char*> rateLines[] = {
        {60.0, "Animation: 060 frames/second (new frame every 016 ms)"},
        {7.0, "Animation: 007 frames/second (new frame every 142 ms)"},
        {1500.0, "Animation: 1500 frames/second (new frame every 000 ms)"},
        {1.0, "Animation: 001 frames/second (new frame every 1000 ms)"},
        {0.0, "... calibrating frame rate display"},
    };
    for (const auto& [rate, text] : rateLines) {
        Canvas drawn(1024, 768), expected(1024, 768);
        animation.background.red = {153, 153, 153}; // a fade that stands still
        animation.background.green = {192, 192, 192};
        animation.background.blue = {255, 255, 255};
        animation.frameRate = rate;
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn.dc), 0);
        const HGDIOBJ previousFont = SelectObject(expected.dc, font);
        SetTextColor(expected.dc, RGB(34, 21, 0));
        RECT credit{3, 755, 800, 765}, rateLine{2, 3, 800, 13};
        DrawTextA(expected.dc, CreditLine, -1, &credit, 0);
        DrawTextA(expected.dc, text, -1, &rateLine, 0);
        int missing = 0;
        for (const auto& [x, y] : expected.Lit()) {
            missing += drawn.Pixels().Row(y)[x] != 0x221500u;
        }
        EXPECT_EQ(missing, 0) << rate;
        EXPECT_GT(expected.Lit().size(), 200u);
        SelectObject(expected.dc, previousFont);
        animation.DrawOverlay(drawn.dc);
        EXPECT_EQ(SetBkMode(drawn.dc, OPAQUE), TRANSPARENT);
    }
    DeleteObject(font);
}
