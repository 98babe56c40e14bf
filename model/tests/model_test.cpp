#include "model/clock.h"
#include "model/mutating_phasor.h"
#include "model/random.h"
#include "model/tests/random_probe.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

using namespace random_probe;

static const std::uint32_t stateAtStart = RandomState(); // before anything in this program draws

TEST(RandomStream, StartsAtStateOneWithTheKnownSequence) {
    EXPECT_EQ(stateAtStart, 1u);
    SetRandomState(1);
    for (std::int32_t expected : {41, 18467, 6334, 26500, 19169}) {
        EXPECT_EQ(NextRandom(), expected);
    }
}

TEST(RandomStream, UnitRandomReachesBothEndsExactly) {
    for (const auto& [draw, unit] : {std::pair{0, 0.0}, {32767, 1.0}, {16384, 16384 / 32767.0}}) {
        ForceDraw(1, draw);
        EXPECT_EQ(UnitRandom(), unit);
    }
}

TEST(Clock, RealClockGoesOnFromWhereItStoodWithTheNamedCounterOnly) {
    static std::int64_t firstCount = 0, secondCount = 0;
    UseRealClock();
    UseRealClockCounter([] { return firstCount; }, 1000);
    const std::int32_t start = ElapsedMilliseconds();
    firstCount += 1234;
    EXPECT_EQ(ElapsedMilliseconds(), start + 1234);
    // A counter at the PC timer chip's rate, far from zero: no step back, then its own pace.
    secondCount = 5'000'000'000;
    UseRealClockCounter([] { return secondCount; }, 3'579'545);
    EXPECT_EQ(ElapsedMilliseconds(), start + 1234);
    firstCount += 100'000;
    secondCount += 3'579'545LL * 7;
    EXPECT_EQ(ElapsedMilliseconds(), start + 8234);
}

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

constexpr double TwoPi = 6.283193072; // twice the saver's circle constant, 3.141596536

const auto At = [](std::int32_t ms) { UseSteppedClock(1), SetClockFrame(ms); };

// Nothing falls due on its next Update, and omega is in range unless `unchecked` against [0, 1].
static MutatingPhasor QuietPhasor(double omega = 0.0, bool unchecked = false) {
    MutatingPhasor quiet;
    quiet.termCycles.fill({TwoPi / 1000.0, 0.0, 1000.0});
    quiet.rangeChecked = quiet.holding = !unchecked;
    quiet.omegaHigh = 1.0;
    quiet.omegaScrambleFrames = quiet.amplitudeScrambleFrames = 1000;
    quiet.center = 1.0;
    quiet.period = 10.0;
    quiet.fade = {0, 0, 0, 0, 0, 0, 1000, 0};
    quiet.GetPhasor().SetOmega(omega);
    return quiet;
}

// Forcing single draws of Reset (19 in all) to 0, 16384 and 32767 pins their order and ranges.
TEST(MutatingPhasor, ResetDrawsInOrderAndReachesBothEnds) {
    At(5000);
    const std::tuple<int, std::int32_t, int, double> rows[] = {
        {1, 32767, 0, 3.0},    {3, 16384, 1, 1.0}, {3, 16383, 1, 0.0},     {4, 32767, 2, 70.0},
        {4, 16384, 2, 40.0},   {4, 0, 2, 10.0},    {8, 32767, 3, 1500.0},  {8, 16384, 3, 1000.0},
        {12, 32767, 4, 203.0}, {12, 0, 4, 3.0},    {16, 32767, 5, 3635.0}, {16, 0, 5, 35.0},
    };
    for (const auto& [position, draw, field, expected] : rows) {
        MutatingPhasor m = QuietPhasor();
        ForceDraw(position, draw);
        EXPECT_EQ(CountDraws([&] { m.Reset(); }), 19);
        EXPECT_EQ(m.rangeChecked + m.holding + m.dampenPeriod, 0.0); // omega pending
        const double early[] = {m.center, double(std::signbit(m.modRadius)), m.period};
        const double late[] = {m.omegaScrambleFrames, double(m.fade.frames),
                               m.termCycles[0].endTime};
        EXPECT_DOUBLE_EQ((field < 3 ? early : late)[field % 3], expected)
            << position << ": " << draw;
    }
}

// Cycles drive phaseX, phaseY, omegaX, omegaY: x = a cos((wx + w)t + px), y = a sin((wy + w)t + py)
TEST(MutatingPhasor, TermCyclesDriveTheEllipseTermsAndRearmOnlyAfterTheirEnd) {
    At(250000);
    MutatingPhasor mutating = QuietPhasor(0.3);
    double s[4];
    for (int i = 0; i < 4; ++i) {
        mutating.termCycles[i] = {0.004 * (i + 1), 20.0 * i + 7.0, 900.0};
        s[i] = std::sin((250.0 - (20.0 * i + 7.0)) * 0.004 * (i + 1));
    }
    mutating.termCycles[1].endTime = 250.0; // ends exactly now: not yet
    mutating.center = 1.5;
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 0);
    const PhasorPoint tip = mutating.GetPhasor().Evaluate(0.7);
    EXPECT_DOUBLE_EQ(tip.x, 1.5 * std::cos((s[2] + 0.3) * 0.7 + TwoPi * s[0]));
    EXPECT_DOUBLE_EQ(tip.y, 1.5 * std::sin((s[3] + 0.3) * 0.7 + TwoPi * s[1]));
    At(250001);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 1);
    EXPECT_EQ(mutating.termCycles[1].startTime, 250.001);
    EXPECT_EQ(mutating.GetPhasor().GetPhaseY(), 0.0); // a re-armed cycle starts again at 0
}

// Outside [0, 1] (ends inside) omega homes over 0.3 × 128 / ModelPi s, bounded to 10..30 s.
TEST(MutatingPhasor, OmegaHoldsInsideItsRangeAndOtherwiseHomesOverTenToThirtySeconds) {
    At(0);
    for (const auto& [omega, step, dampen] : // dampen 0: holds
         {std::tuple{-0.1, 0.05, 10.0},
          {-1.0, 0.5, 30.0},
          {1.3, -0.15, 12.223084524052963},
          {1.0, 0.0, 0.0},
          {0.0, 0.0, 0.0},
          {3.0, -1.0, 30.0}}) {
        MutatingPhasor mutating = QuietPhasor(omega, true);
        mutating.Update();
        EXPECT_NEAR(mutating.dampenPeriod, dampen, 1e-9) << omega;
        EXPECT_NEAR(mutating.omegaStep, step, 1e-12) << omega;
        EXPECT_EQ(mutating.holding, dampen == 0.0 ? 1 : 0) << omega;
    }
}

// A zero countdown draws bounds u × ModelPi − ModelPi / 2, ordered, narrowed to omega ± ModelPi.
TEST(MutatingPhasor, OmegaScrambleDrawsAnOrderedRangeNarrowedAroundOmega) {
    const auto bound = [](std::int32_t draw) { return draw / 32767.0 * 3.141596536 - 1.570798268; };
    const std::tuple<double, std::int32_t, std::int32_t, double, double> cases[] = {
        {0.0, 32767, 0, -1.570798268, 1.570798268},
        {3.0, 5000, 28000, 3.0 - 3.141596536, bound(28000)},
        {3.0, 5000, 2000, bound(5000), 3.0 - 3.141596536}, // narrowing crosses: exchanged
        {-3.0, 30000, 10000, bound(10000), -3.0 + 3.141596536},
    };
    At(0);
    for (const auto& [omega, first, second, low, high] : cases) {
        MutatingPhasor mutating = QuietPhasor(omega);
        mutating.omegaScrambleFrames = 0.0;
        ForceDraws(1, first, second);
        EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 6);
        EXPECT_DOUBLE_EQ(mutating.omegaLow, low) << omega << " " << second;
        EXPECT_DOUBLE_EQ(mutating.omegaHigh, high) << omega << " " << second;
        EXPECT_TRUE(mutating.omegaScrambleFrames >= 500.0 && !mutating.rangeChecked) << omega;
    }
}
