// One frame of the animation.

#include "animation/animation_window.h"

#include "model/clock.h"
#include "model/numerics.h"
#include "platform/arithmetic.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int32_t SampleCount = 100;
constexpr double SampleSpacing = 0.15000000000000002; // the double one step above 0.15
constexpr double SlidePerSecond = 0.25;
constexpr double SixthPart = 0.16666666666666666;
constexpr double BreathDepth = 0.32;
constexpr double BreathFloor = 0.6799999999999999; // 1 - 0.32 in doubles, one step below 0.68
constexpr COLORREF RestartYellow = 0x0000FFFF;

// One step of a linear fade; a falling channel truncates toward its start.
void FadeTo(FadeChannel& channel, double progress) {
    channel.current = channel.start + Trunc((channel.target - channel.start) * progress);
}

void Dot(HDC dc, POINT at, COLORREF color) {
    SetPixel(dc, at.x, at.y, color);
    SetPixel(dc, at.x - 1, at.y, color);
    SetPixel(dc, at.x, at.y + 1, color);
    SetPixel(dc, at.x + 1, at.y, color);
    SetPixel(dc, at.x, at.y - 1, color);
}

} // namespace

void AnimationWindow::DrawFrame(HDC dc) {
    UseDoubleArithmetic();
    // The cycle: its last frame restarts the figure and shows yellow.
    frameCount += 1;
    const bool restarted = frameCount >= frameBudget;
    if (restarted) {
        Restart();
    }
    background.frame += 1;
    if (background.frame == background.frames) {
        RetargetBackground();
    }

    const std::int32_t cx = clientRect.left + (clientRect.right - clientRect.left) / 2;
    const std::int32_t cy = clientRect.top + (clientRect.bottom - clientRect.top) / 2;
    const double baseScale = std::max(cx, cy) * SixthPart;

    // Pen colours are those before this frame's update.
    const HPEN mainPen = CreatePen(PS_SOLID, 0, phasors[5]->GetPhasor().GetColor());
    const HPEN trailPen = CreatePen(PS_SOLID, 0, phasors[4]->GetPhasor().GetColor());
    const HPEN markerPen = CreatePen(PS_SOLID, 0, phasors[4]->GetPhasor().GetColor());

    COLORREF fill = RestartYellow;
    if (!restarted) {
        const double progress = static_cast<double>(background.frame) / background.frames;
        FadeTo(background.red, progress);
        FadeTo(background.green, progress);
        FadeTo(background.blue, progress);
        fill = PackedColor(background.red.current, background.green.current,
                           background.blue.current);
    }
    const HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &clientRect, brush);
    DeleteObject(brush);

    SelectObject(dc, font.Get());
    const HGDIOBJ previousPen = SelectObject(dc, mainPen);

    for (auto& phasor : phasors) {
        phasor->Update();
    }
    const std::int32_t now = ElapsedMilliseconds();
    // The difference is taken in 32-bit integers, wrapping as the clock does.
    const double cycleSeconds =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(now) -
                                  static_cast<std::uint32_t>(cycleStart)) *
        0.001;
    CountFrame(now);
    const double drawScale =
        std::sin(cycleSeconds * BreathingRate) * (baseScale * BreathDepth) +
        baseScale * BreathFloor;

    std::array<COLORREF, 3> dotColors{};
    for (std::size_t k = 0; k < dotColors.size(); ++k) {
        dotColors[k] = phasors[k]->GetPhasor().GetColor();
    }
    std::array<POINT, PhasorCount> stored{};
    for (std::int32_t i = 0; i < SampleCount; ++i) {
        const double t = i * SampleSpacing + cycleSeconds * SlidePerSecond;
        const bool marked = i == markerIndex;
        POINT level{cx, cy};
        POINT armBase{cx, cy};
        for (std::size_t k = 0; k < PhasorCount; ++k) {
            if (k == 4) {
                MoveToEx(dc, level.x, level.y, nullptr);
                armBase = level;
            }
            // Each term is truncated by itself before it is added.
            const PhasorPoint term = phasors[k]->GetPhasor().Evaluate(t);
            level.x += Trunc(term.x * drawScale);
            level.y += Trunc(term.y * drawScale);
            if (marked) {
                SelectObject(dc, markerPen);
            }
            if (k >= 4) {
                LineTo(dc, level.x, level.y);
                if (k == 5) {
                    LineTo(dc, armBase.x, armBase.y);
                }
            }
            MoveToEx(dc, level.x, level.y, nullptr);
            if (marked) {
                SelectObject(dc, mainPen);
            }
            if (i >= 1 && k >= 3) {
                SelectObject(dc, trailPen);
                LineTo(dc, stored[k].x, stored[k].y);
                MoveToEx(dc, level.x, level.y, nullptr);
                SelectObject(dc, mainPen);
            }
            stored[k] = level;
            if (k <= 2) {
                Dot(dc, level, dotColors[k]);
            }
        }
    }

    markerIndex += 1;
    if (markerIndex == MarkerCycle) {
        markerIndex = 0;
    }
    DrawOverlay(dc);

    SelectObject(dc, previousPen);
    DeleteObject(mainPen);
    DeleteObject(trailPen);
    DeleteObject(markerPen);
    if (animate) {
        InvalidateRect(window, nullptr, TRUE);
    }
}
