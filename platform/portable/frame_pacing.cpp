#include "platform/portable/frame_pacing.h"

#include <algorithm>

namespace portable {

bool FramePacing::PaintDue() {
    heldBack = clock() < nextPaint;
    return !heldBack;
}

void FramePacing::PaintBegins() {
    const auto now = clock();
    const bool onCadence = now - nextPaint < frameInterval;
    nextPaint = (onCadence ? nextPaint : now) + frameInterval;
    heldBack = false;
}

std::optional<std::chrono::nanoseconds> FramePacing::SleepBound() const {
    if (!heldBack) {
        return std::nullopt;
    }
    return std::max(std::chrono::nanoseconds(nextPaint - clock()), std::chrono::nanoseconds(0));
}

} // namespace portable
