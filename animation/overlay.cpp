// The status overlay: a credit line at the bottom and the measured frame rate at the top.

#include "animation/animation_window.h"

#include "credits.h"
#include "model/numerics.h"

const char* const CreditLine =
    "Epiphase - The Epiphase authors, 2026 - " EPIPHASE_CONTACT " - " EPIPHASE_HOMEPAGE;

void AnimationWindow::CountFrame(std::int32_t now) {
    rateFrames += 1;
    const double seconds = now * 0.001;
    if (seconds > rateMark + 1.0) {
        rateMark = seconds;
        frameRate = rateFrames;
        rateFrames = 0;
    }
}

namespace {

// Copies `text` to `out` with its terminator; the end of what was written, at the terminator.
char* Append(char* out, const char* text) {
    while ((*out = *text++) != '\0') {
        ++out;
    }
    return out;
}

// A count of zero or more in decimal, zero-padded to at least three digits.
char* AppendCount(char* out, std::int32_t count) {
    char digits[10];
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count != 0);
    for (int pad = length; pad < 3; ++pad) {
        *out++ = '0';
    }
    while (length != 0) {
        *out++ = digits[--length];
    }
    *out = '\0';
    return out;
}

} // namespace

// Composed by hand: the screen saver carries no formatting run-time.
void AnimationWindow::ComposeRateLine(char* line) const {
    if (frameRate == 0.0) {
        Append(line, "... calibrating frame rate display");
        return;
    }
    // frameRate is a whole count of at least 1 here, so the divisor is never 0.
    const std::int32_t rate = Trunc(frameRate);
    char* out = Append(line, "Animation: ");
    out = AppendCount(out, rate);
    out = Append(out, " frames/second (new frame every ");
    out = AppendCount(out, 1000 / rate);
    Append(out, " ms)");
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
