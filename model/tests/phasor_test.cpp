#include "model/phasor.h"
#include "model/tests/random_probe.h"

#include <cmath>
#include <gtest/gtest.h>

using random_probe::CountDraws;
using random_probe::ForceDraw;

TEST(Phasor, ANewPhasorIsBlackUnitAndAtRestAndTurnsWithTheSaversCircleConstant) {
    Phasor phasor;
    EXPECT_EQ(phasor.Evaluate(-123.25).x, 1.0);
    EXPECT_EQ(phasor.Evaluate(-123.25).y, 0.0);
    EXPECT_EQ(phasor.GetColor(), 0u);
    phasor.SetAmplitude(2.0);
    phasor.SetOmega(1.0);
    const PhasorPoint tip = phasor.Evaluate(1.570798268);
    // Through the run-time library as Evaluate goes, not the compiler's constant folding:
    // Windows' cos differs from the folded value in the last bit here.
    const volatile double angle = 1.570798268;
    EXPECT_EQ(tip.x, 2.0 * std::cos(angle)); // about -3.9e-6, not 0: ModelPi is not pi
    EXPECT_EQ(tip.y, 2.0 * std::sin(angle));
}

// Amplitude: one draw, a negative low bound counts as 0, reversed bounds are accepted.
// Omega: two draws, the first discarded.
TEST(Phasor, RandomSettersDrawTheirRanges) {
    Phasor phasor;
    for (const auto& [draw, low, high, amplitude] :
         {std::tuple{32767, -1.0, 3.0, 3.0}, {0, -1.0, 3.0, 0.0}, {32767, 2.0, 1.0, 1.0}}) {
        ForceDraw(1, draw);
        EXPECT_EQ(CountDraws([&] { phasor.RandomizeAmplitude(low, high); }), 1);
        EXPECT_EQ(phasor.GetAmplitude(), amplitude);
    }
    for (const auto& [draw, omega] : {std::pair{32767, 3.141596536}, {0, -3.141596536}}) {
        ForceDraw(2, draw);
        EXPECT_EQ(CountDraws([&] { phasor.RandomizeOmega(-3.141596536, 3.141596536); }), 2);
        EXPECT_EQ(phasor.GetOmega(), omega);
    }
}

TEST(Phasor, ColorKeepsTheLowEightBitsOfEachChannel) {
    Phasor phasor;
    phasor.SetColor(0x12, 0x34, 0x56);
    EXPECT_EQ(phasor.GetColor(), 0x00563412u);
    phasor.SetColor(256, 0, 511);
    EXPECT_EQ(phasor.GetColor(), 0x00FF0000u);
}
