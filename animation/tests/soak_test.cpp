// A million frames at 64×48, 16 ms apart: over four hours of saver time, so every kind of
// scramble, cycle re-arm, fade and restart happens many times. At every restart the model
// must still hold numbers within their ranges, and nothing may have piled up.

#include "animation/tests/animation_fixture.h"

#include <cmath>
#include <fstream>

namespace {

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

} // namespace

using Soak = AnimationTest;

TEST_F(Soak, AMillionFramesStayInRangeAndLeaveNothingBehind) {
    Create(64, 48);
    Frame();
    const std::size_t objects = portable::LiveGdiObjectCount();
    long residentAfterWarmUp = -1;
    int restarts = 0;
    for (int i = 0; i < 1000000 && !HasFailure(); ++i) {
        Frame();
        if (animation.frameCount != 0) {
            continue;
        }
        residentAfterWarmUp = ++restarts == 2 ? ResidentKilobytes() : residentAfterWarmUp;
        for (const auto& mutating : animation.phasors) {
            const Phasor& phasor = mutating->GetPhasor();
            ASSERT_TRUE(std::isfinite(phasor.GetAmplitude() + phasor.GetPhaseX() +
                                      phasor.GetPhaseY() + phasor.GetOmegaX() + phasor.GetOmegaY() +
                                      mutating->center + mutating->omegaLow + mutating->omegaHigh));
            EXPECT_TRUE(phasor.GetAmplitude() >= -3.0 && phasor.GetAmplitude() <= 6.0) << restarts;
            EXPECT_LE(std::fabs(phasor.GetOmega()), 3.141596536) << restarts;
        }
        EXPECT_EQ(portable::LiveGdiObjectCount(), objects) << "restart " << restarts;
    }
    EXPECT_GE(restarts, 100);
    // Memory settles after the first cycles; a leak of even 100 bytes a frame would show here.
    EXPECT_LE(ResidentKilobytes() - residentAfterWarmUp, 512);
}
