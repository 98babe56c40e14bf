#include "model/numerics.h"
#include "model/phasor.h"
#include "model/tests/random_probe.h"

#include <cmath>
#include <gtest/gtest.h>

using random_probe::CountDraws;
using random_probe::ForceDraw;

TEST(Phasor, NewPhasorIsBlackUnitAndAtRest) {
    const Phasor phasor;
    for (double t : {0.0, 1.0, -123.25}) {
        EXPECT_EQ(phasor.Evaluate(t).x, 1.0);
        EXPECT_EQ(phasor.Evaluate(t).y, 0.0);
    }
    EXPECT_EQ(phasor.GetColor(), 0u);
}

TEST(Phasor, EvaluateUsesTheModelCircleConstant) {
    Phasor phasor;
    phasor.SetAmplitude(2.0);
    phasor.SetOmega(1.0);
    const PhasorPoint tip = phasor.Evaluate(ModelHalfPi);
    // Through the run-time library as Evaluate goes, not the compiler's constant folding:
    // Windows' cos differs from the folded value in the last bit here.
    const volatile double angle = 1.570798268;
    EXPECT_EQ(tip.x, 2.0 * std::cos(angle));
    EXPECT_EQ(tip.y, 2.0 * std::sin(angle));
    EXPECT_NEAR(tip.x, -3.9e-6, 1e-7); // not 0: ModelPi is not pi
}

TEST(Phasor, RandomizeAmplitudeTakesOneDrawAndClampsOnlyTheLowBound) {
    Phasor phasor;
    ForceDraw(1, 32767);
    EXPECT_EQ(CountDraws([&] { phasor.RandomizeAmplitude(-1.0, 3.0); }), 1);
    EXPECT_EQ(phasor.GetAmplitude(), 3.0);
    ForceDraw(1, 0);
    phasor.RandomizeAmplitude(-1.0, 3.0);
    EXPECT_EQ(phasor.GetAmplitude(), 0.0);
    ForceDraw(1, 32767);
    phasor.RandomizeAmplitude(2.0, 1.0); // reversed bounds are accepted
    EXPECT_EQ(phasor.GetAmplitude(), 1.0);
}

TEST(Phasor, RandomizeOmegaDiscardsTheFirstOfTwoDraws) {
    Phasor phasor;
    ForceDraw(2, 32767);
    EXPECT_EQ(CountDraws([&] { phasor.RandomizeOmega(-ModelPi, ModelPi); }), 2);
    EXPECT_EQ(phasor.GetOmega(), ModelPi);
    ForceDraw(2, 0);
    phasor.RandomizeOmega(-ModelPi, ModelPi);
    EXPECT_EQ(phasor.GetOmega(), -ModelPi);
}

TEST(Phasor, ColorKeepsTheLowEightBitsOfEachChannel) {
    Phasor phasor;
    phasor.SetColor(0x12, 0x34, 0x56);
    EXPECT_EQ(phasor.GetColor(), 0x00563412u);
    phasor.SetColor(256, 0, 511);
    EXPECT_EQ(phasor.GetColor(), 0x00FF0000u);
}
