#include "animation/tests/animation_fixture.h"

#include <string>

using Overlay = AnimationTest;

TEST_F(Overlay, RateLineTexts) {
    const std::pair<double, const char*> cases[] = {
        {60.0, "Animation: 060 frames/second (new frame every 016 ms)"},
        {7.0, "Animation: 007 frames/second (new frame every 142 ms)"},
        {1500.0, "Animation: 1500 frames/second (new frame every 000 ms)"},
        {1.0, "Animation: 001 frames/second (new frame every 1000 ms)"},
        {0.0, "... calibrating frame rate display"},
    };
    char line[AnimationWindow::RateLineSize];
    for (const auto& [rate, text] : cases) {
        animation.frameRate = rate;
        animation.ComposeRateLine(line);
        EXPECT_STREQ(line, text);
    }
}

TEST_F(Overlay, AnIntervalClosesOnlyAfterMoreThanOneSecondCountingItsClosingFrame) {
    animation.rateMark = 10.0;
    animation.rateFrames = 0;
    animation.frameRate = 0.0;
    for (int i = 0; i < 30; ++i) {
        animation.CountFrame(10500);
    }
    animation.CountFrame(11000); // exactly one second: still counting
    EXPECT_EQ(animation.frameRate, 0.0);
    animation.CountFrame(11001);
    EXPECT_EQ(animation.frameRate, 32.0);
    EXPECT_EQ(animation.rateFrames, 0);
    EXPECT_EQ(animation.rateMark, 11001 * 0.001);
}

TEST_F(Overlay, TextIsADimComplementOfTheBackgroundAtFixedPlaces) {
    Create(1024, 768);
    Frame();
    Canvas canvas(1024, 768); // black
    const HDC dc = canvas.dc;
    SelectObject(dc, animation.font.Get());
    animation.background.red.current = 153;
    animation.background.green.current = 192;
    animation.background.blue.current = 255;
    animation.DrawOverlay(dc);
    int textPixels = 0;
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const COLORREF color = GetPixel(dc, x, y);
            if (color != 0) {
                ++textPixels;
                EXPECT_EQ(color, RGB(34, 21, 0));
                // The rate line in [2, 800) × [3, 13), the credit line in [3, 800) × [755, 765).
                EXPECT_TRUE((x >= 2 && x < 800 && y >= 3 && y < 13) ||
                            (x >= 3 && x < 800 && y >= 755 && y < 765))
                    << x << "," << y;
            }
        }
    }
    EXPECT_GT(textPixels, 200);
}
