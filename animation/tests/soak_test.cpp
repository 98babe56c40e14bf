// A million frames at 64×48, 16 ms apart: over four hours of saver time, so every kind of
// scramble, cycle re-arm, fade and restart happens many times. After every restart everything
// the model holds must still be a number within its range, and nothing may have piled up.

#include "animation/tests/animation_fixture.h"
#include "model/numerics.h"

#include <cmath>
#include <fstream>

namespace {

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

void ExpectSane(const MutatingPhasor& mutating, int restart) {
    const Phasor& phasor = mutating.GetPhasor();
    const double values[] = {phasor.GetAmplitude(), phasor.GetOmega(),  phasor.GetPhaseX(),
                             phasor.GetPhaseY(),    phasor.GetOmegaX(), phasor.GetOmegaY(),
                             mutating.center,       mutating.modRadius, mutating.omegaLow,
                             mutating.omegaHigh,    mutating.dampenPeriod};
    for (double value : values) {
        ASSERT_TRUE(std::isfinite(value)) << "restart " << restart;
    }
    EXPECT_GE(phasor.GetAmplitude(), -3.0) << restart;
    EXPECT_LE(phasor.GetAmplitude(), 6.0) << restart;
    EXPECT_LE(std::fabs(phasor.GetOmega()), ModelPi) << restart;
    const std::uint32_t color = phasor.GetColor();
    for (std::int32_t channel : {mutating.fade.targetRed, mutating.fade.targetGreen,
                                 mutating.fade.targetBlue}) {
        EXPECT_TRUE(channel >= 0 && channel <= 255) << restart;
    }
    EXPECT_EQ(color & 0xFF000000u, 0u);
}

} // namespace

using Soak = AnimationTest;

TEST_F(Soak, AMillionFramesStayInRangeAndLeaveNothingBehind) {
    Create(64, 48);
    Frame();
    const std::size_t objects = portable::LiveGdiObjectCount();
    long residentAfterWarmUp = -1;
    int restarts = 0;
    for (int i = 0; i < 1000000; ++i) {
        Frame();
        if (animation.frameCount != 0) {
            continue;
        }
        ++restarts;
        for (const auto& phasor : animation.phasors) {
            ExpectSane(*phasor, restarts);
        }
        const BackgroundFade& fade = animation.background;
        for (const FadeChannel* channel : {&fade.red, &fade.green, &fade.blue}) {
            EXPECT_TRUE(channel->current >= 0 && channel->current <= 255);
        }
        EXPECT_EQ(portable::LiveGdiObjectCount(), objects) << "restart " << restarts;
        if (restarts == 2) {
            residentAfterWarmUp = ResidentKilobytes();
        }
        if (HasFailure()) {
            return;
        }
    }
    EXPECT_GE(restarts, 100);
    // Memory settles after the first cycles; a leak of even 100 bytes a frame would show here.
    EXPECT_LE(ResidentKilobytes() - residentAfterWarmUp, 512);
}
