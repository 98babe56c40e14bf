#include "model/clock.h"
#include "model/mutating_phasor.h"
#include "model/tests/random_probe.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

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

TEST(MutatingPhasor, ResetTakesNineteenDrawsAndLeavesOmegaPending) {
    SetNowMilliseconds(5000);
    MutatingPhasor mutating = QuietPhasor(0.75);
    mutating.dampenPeriod = 12.0;
    EXPECT_EQ(CountDraws([&] { mutating.Reset(); }), 19);
    EXPECT_EQ(mutating.rangeChecked + mutating.holding, 0);
    EXPECT_EQ(mutating.dampenPeriod, 0.0);
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 0.75);
    EXPECT_EQ(mutating.modStartTime, 5.0);
    EXPECT_EQ(mutating.termCycles[3].startTime, 5.0);
}

// Forcing single draws of Reset to 0, 16384 and 32767 pins their order and their ranges.
TEST(MutatingPhasor, ResetDrawsInOrderAndReachesBothEnds) {
    SetNowMilliseconds(5000);
    const auto reset = [](MutatingPhasor& m) { m.Reset(); };
    ExpectForced({{1, 32767, 3.0}}, reset, [](auto& m) { return m.center; });
    ExpectForced({{2, 32767, 3.0}}, reset, [](auto& m) { return std::fabs(m.modRadius); });
    ExpectForced({{3, 16384, 1.0}, {3, 16383, 0.0}}, reset,
                 [](auto& m) { return std::signbit(m.modRadius); });
    ExpectForced({{4, 32767, 70.0}, {4, 16384, 40.0}, {4, 0, 10.0}}, reset,
                 [](auto& m) { return m.period; });
    ExpectForced({{5, 32767, 550.0}, {5, 0, 50.0}}, reset,
                 [](auto& m) { return m.amplitudeScrambleFrames; });
    ExpectForced({{8, 32767, 1500.0}, {8, 16384, 1000.0}, {8, 0, 500.0}}, reset,
                 [](auto& m) { return m.omegaScrambleFrames; });
    ExpectForced({{12, 32767, 203.0}, {12, 0, 3.0}}, reset, [](auto& m) { return m.fade.frames; });
    ExpectForced({{13, 32767, 255.0}}, reset, [](auto& m) { return m.fade.targetRed; });
    ExpectForced({{14, 32767, 255.0}}, reset, [](auto& m) { return m.fade.targetGreen; });
    ExpectForced({{15, 32767, 255.0}}, reset, [](auto& m) { return m.fade.targetBlue; });
    ExpectForced({{16, 32767, 3630.0}, {16, 0, 30.0}}, reset,
                 [](auto& m) { return m.termCycles[0].endTime - 5.0; });
    ExpectForced({{16, 16384, TwoPi / (30.0 + 3600.0 * (16384 / 32767.0))}}, reset,
                 [](auto& m) { return m.termCycles[0].rate; });
}

// Cycle re-arm, omega scramble, amplitude scramble and colour restart all fall due in one
// Update: 1 + 6 + 4 + 4 draws, in that order.
TEST(MutatingPhasor, UpdateDrawsCyclesThenOmegaThenAmplitudeThenColour) {
    SetNowMilliseconds(2000);
    const auto update = [](MutatingPhasor& m) {
        m.termCycles[0].endTime = 1.999;
        m.omegaScrambleFrames = m.amplitudeScrambleFrames = 0;
        m.fade.frames = 1;
        EXPECT_EQ(CountDraws([&] { m.Update(); }), 15);
    };
    ExpectForced({{1, 32767, 3632.0}}, update, [](auto& m) { return m.termCycles[0].endTime; });
    ExpectForced({{4, 32767, 1500.0}}, update, [](auto& m) { return m.omegaScrambleFrames; });
    ExpectForced({{10, 32767, 70.0}}, update, [](auto& m) { return m.period; });
    ExpectForced({{12, 32767, 203.0}}, update, [](auto& m) { return m.fade.frames; });
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

TEST(MutatingPhasor, AmplitudeSwingsAroundItsCentreWithTheSignedRadius) {
    SetNowMilliseconds(8000);
    MutatingPhasor mutating = QuietPhasor();
    mutating.modRadius = -0.5;
    mutating.period = 20.0;
    mutating.modStartTime = 3.0;
    mutating.Update(); // a quarter period in
    EXPECT_DOUBLE_EQ(mutating.GetPhasor().GetAmplitude(), std::sin(1.570798268) * -0.5 + 1.0);
}

// Omega 1.3 above [0, 1] homes down over 0.3 × 128 / ModelPi = 12.22 s, within 10..30 s.
TEST(MutatingPhasor, OmegaHoldsInsideItsRangeAndOtherwiseHomesOverTenToThirtySeconds) {
    struct Case {
        double omega, step, dampen; // dampen 0: holds
    };
    const Case cases[] = {
        {-0.1, 0.05, 10.0}, {-1.0, 0.5, 30.0}, {1.3, -0.15, 12.223084524052963},
        {1.0, 0.0, 0.0},    {0.0, 0.0, 0.0}, // both ends count as inside
    };
    SetNowMilliseconds(0);
    for (const Case& c : cases) {
        MutatingPhasor mutating = QuietPhasor(c.omega);
        mutating.omegaHigh = 1.0;
        mutating.rangeChecked = mutating.holding = 0;
        mutating.Update();
        EXPECT_NEAR(mutating.dampenPeriod, c.dampen, 1e-9) << c.omega;
        EXPECT_NEAR(mutating.omegaStep, c.step, 1e-12) << c.omega;
        EXPECT_EQ(mutating.holding, c.dampen == 0.0 ? 1 : 0) << c.omega;
    }
}

TEST(MutatingPhasor, HomingIsARaisedCosineGlideThatEndsShortOfTheBound) {
    SetNowMilliseconds(10000);
    MutatingPhasor mutating = QuietPhasor(3.0);
    mutating.omegaLow = 3.0 - 3.141596536;
    mutating.omegaHigh = 1.2;
    mutating.rangeChecked = mutating.holding = 0;
    mutating.Update();
    EXPECT_EQ(mutating.omegaStep, -0.9);
    EXPECT_EQ(mutating.dampenPeriod, 30.0); // 73.34 s bounded
    mutating.omegaScrambleFrames = 0.0;     // the countdown stands still while homing
    SetNowMilliseconds(25000);
    mutating.Update();
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 3.0 - 0.9); // halfway exactly
    EXPECT_EQ(mutating.holding, 0);
    EXPECT_EQ(mutating.omegaScrambleFrames, 0.0);
    SetNowMilliseconds(40000);
    mutating.Update();
    EXPECT_EQ(mutating.holding, 1);
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 3.0 + (std::sin(1.570798268) + 1.0) * -0.9);
    EXPECT_NE(mutating.GetPhasor().GetOmega(), 1.2);
}

// A scramble falls due on a zero countdown: bounds drawn as u × ModelPi − ModelPi / 2, put in
// order, then narrowed to within ModelPi of omega (and put in order again).
TEST(MutatingPhasor, OmegaScrambleDrawsAnOrderedRangeNarrowedAroundOmega) {
    const auto bound = [](std::int32_t draw) { return draw / 32767.0 * 3.141596536 - 1.570798268; };
    struct Case {
        double omega;
        std::int32_t first, second;
        double low, high;
    };
    const Case cases[] = {
        {0.0, 32767, 0, -1.570798268, 1.570798268},
        {3.0, 5000, 28000, 3.0 - 3.141596536, bound(28000)},
        {3.0, 5000, 2000, bound(5000), 3.0 - 3.141596536}, // narrowing crosses: exchanged
        {-3.0, 30000, 10000, bound(10000), -3.0 + 3.141596536},
    };
    SetNowMilliseconds(0);
    for (const Case& c : cases) {
        MutatingPhasor mutating = QuietPhasor(c.omega);
        mutating.omegaScrambleFrames = 0.0;
        random_probe::ForceDraws(1, c.first, c.second);
        EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 6);
        EXPECT_DOUBLE_EQ(mutating.omegaLow, c.low) << c.omega << " " << c.second;
        EXPECT_DOUBLE_EQ(mutating.omegaHigh, c.high) << c.omega << " " << c.second;
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

TEST(MutatingPhasor, ColourFadeTruncatesTowardZeroAndRestartsFromTheColourShown) {
    SetNowMilliseconds(0);
    MutatingPhasor rising = QuietPhasor();
    rising.fade = {0, 255, 200, 100, 0, 0, 3, 0};
    std::vector<std::uint32_t> shown;
    for (int i = 0; i < 3; ++i) {
        rising.Update();
        shown.push_back(rising.GetPhasor().GetColor());
    }
    EXPECT_EQ(shown, (std::vector<std::uint32_t>{0x00A755, 0x0086AA, 0x0086AA})); // 85/167, 170/134
    EXPECT_EQ(rising.fade.startRed, 170);
    EXPECT_EQ(rising.fade.frame, 0);
}
