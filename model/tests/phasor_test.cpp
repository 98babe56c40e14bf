#include "model/phasor.h"
#include "model/tests/random_probe.h"

#include <gtest/gtest.h>

using namespace random_probe;

// Amplitude: one draw, a floor below 0 counts as 0, bounds may be reversed; omega: 2, 1st dropped.
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
    phasor.SetColor(0x112, 0x34, 0x256);
    EXPECT_EQ(phasor.GetColor(), 0x00563412u);
}
