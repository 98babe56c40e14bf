#include "animation/tests/animation_fixture.h"

#include <algorithm>
#include <cstring>
#include <ranges>

using Overlay = AnimationTest;

// An interval closes, counting it, on the first frame over a second after its mark (at creation).
TEST_F(Overlay, RateIntervalsCloseAfterMoreThanOneSecondFromTheWindowsCreationOn) {
    SetClockFrame(frame = 500);
    Create(64, 48);
    for (int i = 0; i < 63; ++i) {
        EXPECT_EQ(animation.frameRate, 0.0);
        Frame();
    }
    EXPECT_EQ(animation.frameRate, 63.0);
    animation.rateMark = 10.0;
    animation.CountFrame(11000); // exactly one second: still counting
    EXPECT_EQ(animation.frameRate, 63.0);
    animation.CountFrame(11001);
    EXPECT_EQ(animation.frameRate, 2.0);
    EXPECT_EQ(animation.rateMark, 11.001);
}

// Both lines as the platform draws them: the dim complement of the background, transparent.
TEST_F(Overlay, BothLinesAreTransparentDimComplementsOfTheBackgroundInTheirPlaces) {
    Create(1024, 768);
    LOGFONTA description{};
    description.lfHeight = -10;
    std::strcpy(description.lfFaceName, "Lucida Console");
    const HFONT font = CreateFontIndirectA(&description);
    const std::pair<double, const char*> rateLines[] = {
        {60.0, "Animation: 060 frames/second (new frame every 016 ms)"},
        {7.0, "Animation: 007 frames/second (new frame every 142 ms)"},
        {1.0, "Animation: 001 frames/second (new frame every 1000 ms)"},
        {0.0, "... calibrating frame rate display"},
    };
    for (const auto& [rate, text] : rateLines) {
        Canvas drawn(1024, 768), expected(1024, 768);
        animation.background = {{51, 255, 0}, {129, 255, 0}, {255, 255, 0}, 100, 49}; // halfway
        animation.frameRate = rate;
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn.dc), 0);
        SelectObject(expected.dc, font);
        SetTextColor(expected.dc, RGB(34, 21, 0));
        RECT credit{3, 755, 800, 765}, rateLine{2, 3, 800, 13};
        DrawTextA(expected.dc, CreditLine, -1, &credit, 0);
        DrawTextA(expected.dc, text, -1, &rateLine, 0);
        const auto missing = [&](auto p) {
            return drawn.Pixels().Row(p.second)[p.first] != 0x221500u;
        };
        EXPECT_EQ(std::ranges::count_if(expected.Lit(), missing), 0) << rate;
        // Lucida Console 10 pixels to the em is 6 a character: the credit line ends in its cell.
        const int right = std::ranges::max(expected.Lit() | std::views::keys) - 3;
        EXPECT_EQ(right / 6, static_cast<int>(std::strlen(CreditLine)) - 1) << right;
        animation.DrawOverlay(drawn.dc);
        EXPECT_EQ(SetBkMode(drawn.dc, OPAQUE), TRANSPARENT);
    }
    DeleteObject(font);
}
