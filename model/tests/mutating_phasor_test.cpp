#include "model/clock.h"
#include "model/mutating_phasor.h"
#include "model/numerics.h"
#include "model/tests/random_probe.h"

#include <cmath>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

using random_probe::CountDraws;
using random_probe::ForceDraw;
using random_probe::ForceDraws;

namespace {

constexpr double TwoPi = 6.283193072; // twice the saver's circle constant, 3.141596536

void SetNowMilliseconds(std::int32_t ms) {
    UseSteppedClock(1);
    SetClockFrame(ms);
}

// A phasor whose next Update falls due for nothing: no cycle ends, omega holds, no scramble,
// no fade restart. Tests arm exactly the event they look at.
MutatingPhasor QuietPhasor() {
    MutatingPhasor quiet;
    for (TermCycle& cycle : quiet.termCycles) {
        cycle = {TwoPi / 1000.0, 0.0, 1000.0};
    }
    quiet.rangeChecked = 1;
    quiet.holding = 1;
    quiet.omegaScrambleFrames = 1000.0;
    quiet.amplitudeScrambleFrames = 1000;
    quiet.center = 1.0;
    quiet.period = 10.0;
    quiet.fade = {0, 0, 0, 0, 0, 0, 1000, 0};
    return quiet;
}

// A homing phasor: omega outside [low, high], range not yet checked.
MutatingPhasor Pending(double omega, double low, double high) {
    MutatingPhasor pending = QuietPhasor();
    pending.GetPhasor().SetOmega(omega);
    pending.omegaLow = low;
    pending.omegaHigh = high;
    pending.rangeChecked = 0;
    pending.holding = 0;
    return pending;
}

struct ForcedDraw {
    int position;
    std::int32_t value;
    std::function<double(const MutatingPhasor&)> field;
    double expected;
};

} // namespace

TEST(MutatingPhasor, ResetTakesNineteenDrawsAndLeavesOmegaPending) {
    SetNowMilliseconds(5000);
    MutatingPhasor mutating;
    mutating.GetPhasor().SetOmega(0.75);
    mutating.holding = 1;
    mutating.dampenPeriod = 12.0;
    EXPECT_EQ(CountDraws([&] { mutating.Reset(); }), 19);
    EXPECT_EQ(mutating.rangeChecked, 0);
    EXPECT_EQ(mutating.holding, 0);
    EXPECT_EQ(mutating.dampenPeriod, 0.0);
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 0.75);
    EXPECT_EQ(mutating.modStartTime, 5.0);
    EXPECT_EQ(mutating.termCycles[3].startTime, 5.0);
}

// Each row forces one draw of Reset, which pins both the order of the draws and what each
// makes of 0, 16384 and 32767.
TEST(MutatingPhasor, ResetDrawsInOrderAndReachesBothEnds) {
    const auto cycleLength = [](const MutatingPhasor& m) { return m.termCycles[0].endTime - 5.0; };
    const auto period = [](const MutatingPhasor& m) { return m.period; };
    const auto omegaFrames = [](const MutatingPhasor& m) { return m.omegaScrambleFrames; };
    const auto fadeFrames = [](const MutatingPhasor& m) { return m.fade.frames; };
    const ForcedDraw rows[] = {
        {1, 32767, [](const MutatingPhasor& m) { return m.center; }, 3.0},
        {2, 32767, [](const MutatingPhasor& m) { return std::fabs(m.modRadius); }, 3.0},
        {3, 16384, [](const MutatingPhasor& m) { return std::signbit(m.modRadius); }, 1.0},
        {3, 16383, [](const MutatingPhasor& m) { return std::signbit(m.modRadius); }, 0.0},
        {4, 32767, period, 70.0},
        {4, 16384, period, 40.0},
        {4, 0, period, 10.0},
        {5, 32767, [](const MutatingPhasor& m) { return m.amplitudeScrambleFrames; }, 550.0},
        {5, 0, [](const MutatingPhasor& m) { return m.amplitudeScrambleFrames; }, 50.0},
        {8, 32767, omegaFrames, 1500.0},
        {8, 16384, omegaFrames, 1000.0},
        {8, 0, omegaFrames, 500.0},
        {12, 32767, fadeFrames, 203.0},
        {12, 0, fadeFrames, 3.0},
        {13, 32767, [](const MutatingPhasor& m) { return m.fade.targetRed; }, 255.0},
        {14, 32767, [](const MutatingPhasor& m) { return m.fade.targetGreen; }, 255.0},
        {15, 32767, [](const MutatingPhasor& m) { return m.fade.targetBlue; }, 255.0},
        {16, 32767, cycleLength, 3630.0},
        {16, 0, cycleLength, 30.0},
        {16, 16384, [](const MutatingPhasor& m) { return m.termCycles[0].rate; },
         TwoPi / (30.0 + 3600.0 * (16384 / 32767.0))},
    };
    SetNowMilliseconds(5000);
    for (const ForcedDraw& row : rows) {
        MutatingPhasor mutating;
        ForceDraw(row.position, row.value);
        mutating.Reset();
        EXPECT_DOUBLE_EQ(row.field(mutating), row.expected) << "draw " << row.position;
    }
}

// Cycle re-arm, omega scramble, amplitude scramble and colour restart all fall due in one
// Update: 1 + 6 + 4 + 4 draws, in that order.
TEST(MutatingPhasor, UpdateDrawsCyclesThenOmegaThenAmplitudeThenColour) {
    const ForcedDraw rows[] = {
        {1, 32767, [](const MutatingPhasor& m) { return m.termCycles[0].endTime; }, 3632.0},
        {4, 32767, [](const MutatingPhasor& m) { return m.omegaScrambleFrames; }, 1500.0},
        {10, 32767, [](const MutatingPhasor& m) { return m.period; }, 70.0},
        {12, 32767, [](const MutatingPhasor& m) { return m.fade.frames; }, 203.0},
    };
    SetNowMilliseconds(2000);
    for (const ForcedDraw& row : rows) {
        MutatingPhasor mutating = QuietPhasor();
        mutating.termCycles[0].endTime = 1.999;
        mutating.omegaScrambleFrames = 0.0;
        mutating.amplitudeScrambleFrames = 0;
        mutating.fade.frames = 1;
        ForceDraw(row.position, row.value);
        EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 15);
        EXPECT_EQ(row.field(mutating), row.expected) << "draw " << row.position;
    }
}

// The four cycles drive phaseX, phaseY, omegaX, omegaY in that order, and Evaluate puts each
// in its own place: x = a·cos((omegaX + omega)·t + phaseX), y = a·sin((omegaY + omega)·t + phaseY).
TEST(MutatingPhasor, TermCyclesDriveTheEllipseTermsAndRearmOnlyAfterTheirEnd) {
    SetNowMilliseconds(250000);
    MutatingPhasor mutating = QuietPhasor();
    double s[4];
    for (int i = 0; i < 4; ++i) {
        mutating.termCycles[i] = {0.004 * (i + 1), 20.0 * i + 7.0, 900.0};
        s[i] = std::sin((250.0 - (20.0 * i + 7.0)) * 0.004 * (i + 1));
    }
    mutating.termCycles[1].endTime = 250.0; // ends exactly now: not yet
    mutating.center = 1.5;
    mutating.GetPhasor().SetOmega(0.3);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 0);
    const Phasor& phasor = mutating.GetPhasor();
    const PhasorPoint tip = phasor.Evaluate(0.7);
    EXPECT_DOUBLE_EQ(tip.x, 1.5 * std::cos((s[2] + 0.3) * 0.7 + TwoPi * s[0]));
    EXPECT_DOUBLE_EQ(tip.y, 1.5 * std::sin((s[3] + 0.3) * 0.7 + TwoPi * s[1]));

    SetNowMilliseconds(250001);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 1);
    EXPECT_EQ(mutating.termCycles[1].startTime, 250.001);
    EXPECT_EQ(phasor.GetPhaseY(), 0.0); // a re-armed cycle starts again at 0
}

TEST(MutatingPhasor, AmplitudeSwingsAroundItsCentreWithTheSignedRadius) {
    SetNowMilliseconds(8000);
    MutatingPhasor mutating = QuietPhasor();
    mutating.modRadius = -0.5;
    mutating.period = 20.0;
    mutating.modStartTime = 3.0;
    mutating.Update(); // a quarter period in: sin(ModelPi / 2) × -0.5 + 1.0
    EXPECT_DOUBLE_EQ(mutating.GetPhasor().GetAmplitude(), std::sin(1.570798268) * -0.5 + 1.0);
    EXPECT_NEAR(mutating.GetPhasor().GetAmplitude(), 0.5, 1e-9);
}

// Omega from 1.3 in [0, 1] homes down over 0.3 × 128 / ModelPi = 12.22 s, unbounded.
TEST(MutatingPhasor, OmegaHoldsInsideItsRangeAndOtherwiseHomesOverTenToThirtySeconds) {
    struct Case {
        double omega, step, dampen; // dampen 0: holds
    };
    const Case cases[] = {
        {-0.1, 0.05, 10.0},                 // 4.07 s bounded up
        {-1.0, 0.5, 30.0},                  // 40.74 s bounded down
        {1.3, -0.15, 12.223084524052963},   // as it is
        {1.0, 0.0, 0.0},                    // both ends count as inside
        {0.0, 0.0, 0.0},
    };
    SetNowMilliseconds(0);
    for (const Case& c : cases) {
        MutatingPhasor mutating = Pending(c.omega, 0.0, 1.0);
        mutating.Update();
        EXPECT_NEAR(mutating.dampenPeriod, c.dampen, 1e-9) << c.omega;
        EXPECT_NEAR(mutating.omegaStep, c.step, 1e-12) << c.omega;
        EXPECT_EQ(mutating.holding, c.dampen == 0.0 ? 1 : 0) << c.omega;
    }
}

TEST(MutatingPhasor, HomingIsARaisedCosineGlideThatEndsShortOfTheBound) {
    SetNowMilliseconds(10000);
    MutatingPhasor mutating = Pending(3.0, 3.0 - 3.141596536, 1.2);
    mutating.Update();
    EXPECT_EQ(mutating.omegaStep, -0.9);
    EXPECT_EQ(mutating.dampenPeriod, 30.0); // 73.34 s bounded
    EXPECT_EQ(mutating.homingStartTime, 10.0);

    mutating.omegaScrambleFrames = 0.0; // the countdown stands still while homing
    SetNowMilliseconds(25000);
    mutating.Update();
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 3.0 - 0.9); // halfway exactly
    EXPECT_EQ(mutating.holding, 0);
    EXPECT_EQ(mutating.omegaScrambleFrames, 0.0);

    SetNowMilliseconds(40000);
    mutating.Update();
    const double reached = mutating.GetPhasor().GetOmega();
    EXPECT_EQ(mutating.holding, 1);
    EXPECT_EQ(reached, 3.0 + (std::sin(1.570798268) + 1.0) * -0.9);
    EXPECT_NE(reached, 1.2);
    EXPECT_NEAR(reached, 1.2, 1e-11);
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
        MutatingPhasor mutating = QuietPhasor();
        mutating.GetPhasor().SetOmega(c.omega);
        mutating.omegaScrambleFrames = 0.0;
        ForceDraws(1, c.first, c.second);
        EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 6);
        EXPECT_DOUBLE_EQ(mutating.omegaLow, c.low) << c.omega << " " << c.second;
        EXPECT_DOUBLE_EQ(mutating.omegaHigh, c.high) << c.omega << " " << c.second;
        EXPECT_GE(mutating.omegaScrambleFrames, 500.0); // the new countdown, not -1
        EXPECT_EQ(mutating.rangeChecked, 0);
        EXPECT_EQ(mutating.GetPhasor().GetOmega(), c.omega);
    }
}

// A scramble falls due when the countdown is 0 at the start of an Update; the amplitude must
// lie in [0, 3], else it is retried two Updates later while the old swing goes on.
TEST(MutatingPhasor, AmplitudeScrambleNeedsTheAmplitudeInRangeAndRetriesTwoUpdatesLater) {
    SetNowMilliseconds(0);
    for (const auto& [amplitude, draws] : {std::pair{0.0, 4}, {3.0, 4}, {-0.5, 0}, {4.5, 0}}) {
        MutatingPhasor mutating = QuietPhasor();
        mutating.GetPhasor().SetAmplitude(amplitude);
        mutating.amplitudeScrambleFrames = 0;
        EXPECT_EQ(CountDraws([&] { mutating.Update(); }), draws) << amplitude;
        EXPECT_EQ(mutating.center, draws ? amplitude : 1.0);
    }
    MutatingPhasor mutating = QuietPhasor();
    mutating.GetPhasor().SetAmplitude(4.5);
    mutating.center = 2.0; // the running swing brings the amplitude back into range
    mutating.amplitudeScrambleFrames = 0;
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 0);
    EXPECT_EQ(mutating.amplitudeScrambleFrames, 1);
    EXPECT_EQ(mutating.GetPhasor().GetAmplitude(), 2.0);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 0);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 4);
    EXPECT_EQ(mutating.center, 2.0);
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
