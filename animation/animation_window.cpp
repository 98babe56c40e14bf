#include "animation/animation_window.h"

#include "model/clock.h"
#include "model/numerics.h"
#include "model/random.h"
#include "platform/arithmetic.h"

#include <cstring>

namespace {

std::int32_t RandomChannel() { return Trunc(255.0 * UnitRandom()); }

} // namespace

AnimationWindow::AnimationWindow() {
    // All six exist before any is randomised.
    for (auto& phasor : phasors) {
        phasor = std::make_unique<MutatingPhasor>();
    }
    Restart();
}

AnimationWindow::~AnimationWindow() {
    for (auto& phasor : phasors) {
        phasor.reset();
    }
    font.Release();
}

void AnimationWindow::Restart() {
    for (auto& mutating : phasors) {
        Phasor& phasor = mutating->GetPhasor();
        phasor.RandomizeAmplitude(0.0, 3.0);
        phasor.RandomizeOmega(-ModelPi, ModelPi);
        mutating->Reset();
    }
    cycleStart = ElapsedMilliseconds();
    frameCount = 0;
    frameBudget = 5000 + Trunc(5000.0 * UnitRandom());
    RetargetBackground();
    // A light start colour; the fade runs from it toward the target just drawn.
    for (FadeChannel* channel : {&background.red, &background.green, &background.blue}) {
        const std::int32_t value = 153 + Trunc(102.0 * UnitRandom());
        channel->start = value;
        channel->current = value;
    }
}

void AnimationWindow::RetargetBackground() {
    for (FadeChannel* channel : {&background.red, &background.green, &background.blue}) {
        channel->start = channel->current;
    }
    background.frame = 0;
    background.frames = 50 + Trunc(200.0 * UnitRandom());
    // Most schemes fade to black; a few to a random colour or a random shade of one channel.
    const std::int32_t scheme = Trunc(10.0 * UnitRandom());
    background.red.target = 0;
    background.green.target = 0;
    background.blue.target = 0;
    switch (scheme) {
    case 0:
        background.red.target = RandomChannel();
        background.green.target = RandomChannel();
        background.blue.target = RandomChannel();
        break;
    case 3:
        background.red.target = RandomChannel();
        break;
    case 4:
        background.green.target = RandomChannel();
        break;
    case 5:
        background.blue.target = RandomChannel();
        break;
    default:
        break;
    }
}

void AnimationWindow::PrepareWindow() {
    GetClientRect(window, &clientRect);
    LOGFONTA description{};
    description.lfHeight = -10;
    std::strcpy(description.lfFaceName, "Lucida Console");
    font.Reset(CreateFontIndirectA(&description));
}

LRESULT AnimationWindow::Create(HWND created) {
    if (const WNDPROC previous = RouteMessages(created)) {
        previousProcedure = previous;
        window = created;
        PrepareWindow();
    }
    UseDoubleArithmetic();
    Restart();
    animate = true;
    rateMark = ElapsedMilliseconds() * 0.001;
    rateFrames = 0;
    frameRate = 0.0;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

bool AnimationWindow::ProcessMessage(HWND, UINT message, WPARAM wParam, LPARAM,
                                     LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        PrepareWindow();
        result = 0;
        return true;
    case WM_SIZE:
        // Only the next frame's size changes; the running animation asks for that frame anyway.
        GetClientRect(window, &clientRect);
        result = 0;
        return true;
    default:
        return ProcessPaintMessage(message, wParam, result);
    }
}
