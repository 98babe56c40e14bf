// A million frames at 64×48, 16 ms apart (over four hours): at every restart the model holds
// numbers within their ranges, and no drawing object has piled up.

#include "animation/tests/animation_fixture.h"

#include <cmath>

using Soak = AnimationTest;

TEST_F(Soak, AMillionFramesStayInRangeAndLeaveNothingBehind) {
    Create(64, 48);
    Frame();
    const std::size_t objects = portable::LiveGdiObjectCount();
    int restarts = 0;
    for (int i = 0; i < 1000000 && !HasFailure(); ++i) {
        Frame();
        if (animation.frameCount != 0) {
            continue;
        }
        ++restarts;
        for (const auto& mutating : animation.phasors) {
            const Phasor& phasor = mutating->GetPhasor();
            ASSERT_TRUE(std::isfinite(phasor.GetPhaseX() + phasor.GetPhaseY() + mutating->center));
            EXPECT_TRUE(phasor.GetAmplitude() >= -3.0 && phasor.GetAmplitude() <= 6.0) << restarts;
            EXPECT_LE(std::fabs(phasor.GetOmega()), 3.141596536) << restarts;
        }
        EXPECT_EQ(portable::LiveGdiObjectCount(), objects) << "restart " << restarts;
    }
    EXPECT_GE(restarts, 100);
}
