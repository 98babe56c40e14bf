#include "model/clock.h"
#include "model/mutating_phasor.h"
#include "model/tests/random_probe.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

using random_probe::CountDraws;
using random_probe::ForceDraw;

namespace {

constexpr double TwoPi = 6.283193072; // twice the saver's circle constant, 3.141596536

void SetNowMilliseconds(std::int32_t ms) {
    UseSteppedClock(1);
    SetClockFrame(ms);
}

// A phasor whose next Update falls due for nothing: no cycle ends, omega holds, no scramble,
// no fade restart. Tests arm exactly the event they look at.
MutatingPhasor QuietPhasor(double omega = 0.0) {
    MutatingPhasor quiet;
    quiet.termCycles.fill({TwoPi / 1000.0, 0.0, 1000.0});
    quiet.rangeChecked = quiet.holding = 1;
    quiet.omegaScrambleFrames = quiet.amplitudeScrambleFrames = 1000;
    quiet.center = 1.0;
    quiet.period = 10.0;
    quiet.fade = {0, 0, 0, 0, 0, 0, 1000, 0};
    quiet.GetPhasor().SetOmega(omega);
    return quiet;
}

// The same with omega not yet checked against the range [0, 1].
MutatingPhasor Unchecked(double omega) {
    MutatingPhasor mutating = QuietPhasor(omega);
    mutating.omegaHigh = 1.0;
    mutating.rangeChecked = mutating.holding = 0;
    return mutating;
}

// Each row forces one draw (counted from 1) of `action` and reads one field afterwards.
struct Forced {
    int position;
    std::int32_t draw;
    double expected;
};
template <class Action, class Field>
void ExpectForced(std::initializer_list<Forced> rows, Action action, Field field) {
    for (const Forced& row : rows) {
        MutatingPhasor mutating = QuietPhasor();
        ForceDraw(row.position, row.draw);
        action(mutating);
        EXPECT_DOUBLE_EQ(field(mutating), row.expected) << row.position << ": " << row.draw;
    }
}

} // namespace

// Forcing single draws of Reset (19 in all) to 0, 16384 and 32767 pins their order and ranges.
TEST(MutatingPhasor, ResetDrawsInOrderAndReachesBothEnds) {
    SetNowMilliseconds(5000);
    const auto reset = [](MutatingPhasor& m) {
        EXPECT_EQ(CountDraws([&] { m.Reset(); }), 19);
        EXPECT_EQ(m.rangeChecked + m.holding + m.dampenPeriod, 0.0); // omega pending
    };
    ExpectForced({{1, 32767, 3.0}}, reset, [](auto& m) { return m.center; });
    ExpectForced({{3, 16384, 1.0}, {3, 16383, 0.0}}, reset,
                 [](auto& m) { return std::signbit(m.modRadius); });
    ExpectForced({{4, 32767, 70.0}, {4, 16384, 40.0}, {4, 0, 10.0}}, reset,
                 [](auto& m) { return m.period; });
    ExpectForced({{8, 32767, 1500.0}, {8, 16384, 1000.0}}, reset,
                 [](auto& m) { return m.omegaScrambleFrames; });
    ExpectForced({{12, 32767, 203.0}, {12, 0, 3.0}}, reset, [](auto& m) { return m.fade.frames; });
    ExpectForced({{16, 32767, 3630.0}, {16, 0, 30.0}}, reset,
                 [](auto& m) { return m.termCycles[0].endTime - 5.0; });
}

// The four cycles drive phaseX, phaseY, omegaX, omegaY in that order, and Evaluate puts each
// in its place: x = a·cos((omegaX + omega)·t + phaseX), y = a·sin((omegaY + omega)·t + phaseY).
TEST(MutatingPhasor, TermCyclesDriveTheEllipseTermsAndRearmOnlyAfterTheirEnd) {
    SetNowMilliseconds(250000);
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

    SetNowMilliseconds(250001);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 1);
    EXPECT_EQ(mutating.termCycles[1].startTime, 250.001);
    EXPECT_EQ(mutating.GetPhasor().GetPhaseY(), 0.0); // a re-armed cycle starts again at 0
}

// Omega against [0, 1]: 1.3 homes down over 0.3 × 128 / ModelPi = 12.22 s; shorter and
// longer glides are bounded to 10..30 s; both ends count as inside.
TEST(MutatingPhasor, OmegaHoldsInsideItsRangeAndOtherwiseHomesOverTenToThirtySeconds) {
    SetNowMilliseconds(0);
    for (const auto& [omega, step, dampen] : // dampen 0: holds
         {std::tuple{-0.1, 0.05, 10.0},
          {-1.0, 0.5, 30.0},
          {1.3, -0.15, 12.223084524052963},
          {1.0, 0.0, 0.0},
          {0.0, 0.0, 0.0},
          {3.0, -1.0, 30.0}}) {
        MutatingPhasor mutating = Unchecked(omega);
        mutating.Update();
        EXPECT_NEAR(mutating.dampenPeriod, dampen, 1e-9) << omega;
        EXPECT_NEAR(mutating.omegaStep, step, 1e-12) << omega;
        EXPECT_EQ(mutating.holding, dampen == 0.0 ? 1 : 0) << omega;
    }
}

TEST(MutatingPhasor, HomingIsARaisedCosineGlideThatEndsShortOfTheBound) {
    SetNowMilliseconds(10000);
    MutatingPhasor mutating = Unchecked(3.0);
    mutating.Update();                  // 30 s from 3.0 down to 1.0
    mutating.omegaScrambleFrames = 0.0; // the countdown stands still while homing
    SetNowMilliseconds(25000);
    mutating.Update();
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 2.0); // halfway exactly
    EXPECT_EQ(mutating.holding, 0);
    EXPECT_EQ(mutating.omegaScrambleFrames, 0.0);
    SetNowMilliseconds(40000);
    mutating.Update();
    EXPECT_EQ(mutating.holding, 1);
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 3.0 - (std::sin(1.570798268) + 1.0));
}

// A scramble falls due on a zero countdown: bounds drawn as u × ModelPi − ModelPi / 2, put in
// order, then narrowed to within ModelPi of omega (and put in order again).
TEST(MutatingPhasor, OmegaScrambleDrawsAnOrderedRangeNarrowedAroundOmega) {
    const auto bound = [](std::int32_t draw) { return draw / 32767.0 * 3.141596536 - 1.570798268; };
    const std::tuple<double, std::int32_t, std::int32_t, double, double> cases[] = {
        {0.0, 32767, 0, -1.570798268, 1.570798268},
        {3.0, 5000, 28000, 3.0 - 3.141596536, bound(28000)},
        {3.0, 5000, 2000, bound(5000), 3.0 - 3.141596536}, // narrowing crosses: exchanged
        {-3.0, 30000, 10000, bound(10000), -3.0 + 3.141596536},
    };
    SetNowMilliseconds(0);
    for (const auto& [omega, first, second, low, high] : cases) {
        MutatingPhasor mutating = QuietPhasor(omega);
        mutating.omegaScrambleFrames = 0.0;
        random_probe::ForceDraws(1, first, second);
        EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 6);
        EXPECT_DOUBLE_EQ(mutating.omegaLow, low) << omega << " " << second;
        EXPECT_DOUBLE_EQ(mutating.omegaHigh, high) << omega << " " << second;
        EXPECT_GE(mutating.omegaScrambleFrames, 500.0); // the new countdown, not -1
        EXPECT_EQ(mutating.rangeChecked, 0);
    }
}

// A scramble falls due when the countdown is 0 at the start of an Update; the amplitude must
// lie in [0, 3], else it is retried two Updates later while the old swing goes on.
TEST(MutatingPhasor, AmplitudeScrambleNeedsTheAmplitudeInRangeAndRetriesTwoUpdatesLater) {
    SetNowMilliseconds(0);
    for (const auto& [amplitude, draws] : {std::pair{0.0, 4}, {3.0, 4}, {-0.5, 0}, {4.5, 0}}) {
        MutatingPhasor mutating = QuietPhasor();
        mutating.GetPhasor().SetAmplitude(amplitude);
        mutating.center = 2.0; // the running swing brings the amplitude back into range
        mutating.amplitudeScrambleFrames = 0;
        EXPECT_EQ(CountDraws([&] { mutating.Update(); }), draws) << amplitude;
        EXPECT_EQ(mutating.center, draws ? amplitude : 2.0);
        if (draws == 0) {
            EXPECT_EQ(mutating.amplitudeScrambleFrames, 1);
            EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 0);
            EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 4);
        }
    }
}
