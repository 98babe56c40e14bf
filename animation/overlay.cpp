// The status overlay: a credit line at the bottom and the measured frame rate at the top.

#include "animation/animation_window.h"

#include "model/numerics.h"

#include <cstdio>

const char* const CreditLine =
    "Epiphase - The Epiphase authors, 2026 - epiphase@example.org - https://example.org/epiphase";

void AnimationWindow::CountFrame(std::int32_t now) {
    rateFrames += 1;
    const double seconds = now * 0.001;
    if (seconds > rateMark + 1.0) {
        rateMark = seconds;
        frameRate = rateFrames;
        rateFrames = 0;
    }
}

void AnimationWindow::ComposeRateLine(char* line) const {
    if (frameRate == 0.0) {
        std::snprintf(line, RateLineSize, "... calibrating frame rate display");
        return;
    }
    // frameRate is a whole count of at least 1 here, so the divisor is never 0.
    std::snprintf(line, RateLineSize, "Animation: %03.0f frames/second (new frame every %03d ms)",
                  frameRate, 1000 / Trunc(frameRate));
}

void AnimationWindow::DrawOverlay(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    RECT textRect{3, clientRect.bottom - 13, 800, clientRect.bottom - 3};
    // A dim complement of the background.
    SetTextColor(dc, PackedColor((255 - background.red.current) / 3,
                                 (255 - background.green.current) / 3,
                                 (255 - background.blue.current) / 3));
    DrawTextA(dc, CreditLine, -1, &textRect, 0);
    textRect = {2, 3, 800, 13};
    char line[RateLineSize];
    ComposeRateLine(line);
    DrawTextA(dc, line, -1, &textRect, 0);
}
