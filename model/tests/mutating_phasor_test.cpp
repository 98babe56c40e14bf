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

namespace {

void SetNowMilliseconds(std::int32_t ms) {
    UseSteppedClock(1);
    SetClockFrame(ms);
}

// A phasor whose next Update falls due for nothing: no cycle ends, omega holds, no scramble,
// no fade restart. Tests arm exactly the event they look at.
MutatingPhasor QuietPhasor() {
    MutatingPhasor quiet;
    for (TermCycle& cycle : quiet.termCycles) {
        cycle = {ModelTwoPi / 1000.0, 0.0, 1000.0};
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
    EXPECT_EQ(mutating.modStartTime, 5000 * 0.001);
    EXPECT_EQ(mutating.termCycles[3].startTime, 5000 * 0.001);
}

// Each row forces one draw of Reset to an extreme, which pins both the order of the draws and
// what each makes of 0 and 32767.
TEST(MutatingPhasor, ResetDrawsInOrderAndReachesBothEnds) {
    const auto cycleLength = [](const MutatingPhasor& m) {
        return m.termCycles[0].endTime - m.termCycles[0].startTime;
    };
    const ForcedDraw rows[] = {
        {1, 32767, [](const MutatingPhasor& m) { return m.center; }, 3.0},
        {2, 32767, [](const MutatingPhasor& m) { return std::fabs(m.modRadius); }, 3.0},
        {3, 16384, [](const MutatingPhasor& m) { return std::signbit(m.modRadius); }, 1.0},
        {3, 16383, [](const MutatingPhasor& m) { return std::signbit(m.modRadius); }, 0.0},
        {4, 32767, [](const MutatingPhasor& m) { return m.period; }, 70.0},
        {4, 0, [](const MutatingPhasor& m) { return m.period; }, 10.0},
        {5, 32767, [](const MutatingPhasor& m) { return m.amplitudeScrambleFrames; }, 550.0},
        {5, 0, [](const MutatingPhasor& m) { return m.amplitudeScrambleFrames; }, 50.0},
        {8, 32767, [](const MutatingPhasor& m) { return m.omegaScrambleFrames; }, 1500.0},
        {8, 0, [](const MutatingPhasor& m) { return m.omegaScrambleFrames; }, 500.0},
        {12, 32767, [](const MutatingPhasor& m) { return m.fade.frames; }, 203.0},
        {12, 0, [](const MutatingPhasor& m) { return m.fade.frames; }, 3.0},
        {13, 32767, [](const MutatingPhasor& m) { return m.fade.targetRed; }, 255.0},
        {15, 32767, [](const MutatingPhasor& m) { return m.fade.targetBlue; }, 255.0},
        {16, 32767, cycleLength, 3630.0},
        {16, 0, cycleLength, 30.0},
    };
    SetNowMilliseconds(0);
    for (const ForcedDraw& row : rows) {
        MutatingPhasor mutating;
        ForceDraw(row.position, row.value);
        mutating.Reset();
        EXPECT_EQ(row.field(mutating), row.expected) << "draw " << row.position;
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

TEST(MutatingPhasor, TermCyclesRearmOnlyAfterTheirEnd) {
    SetNowMilliseconds(250000);
    MutatingPhasor mutating = QuietPhasor();
    mutating.termCycles[1].endTime = 250.0; // ends exactly now: not yet
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 0);
    const double s = std::sin(250.0 * (ModelTwoPi / 1000.0));
    EXPECT_EQ(mutating.GetPhasor().GetPhaseX(), ModelTwoPi * s);
    EXPECT_EQ(mutating.GetPhasor().GetOmegaY(), s);
    SetNowMilliseconds(250001);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 1);
    EXPECT_EQ(mutating.termCycles[1].startTime, 250001 * 0.001);
    EXPECT_EQ(mutating.GetPhasor().GetPhaseY(), 0.0); // a re-armed cycle starts again at 0
}

TEST(MutatingPhasor, OmegaHomesDownWithABoundedGlideThatEndsShortOfTheBound) {
    SetNowMilliseconds(10000);
    MutatingPhasor mutating = QuietPhasor();
    mutating.GetPhasor().SetOmega(3.0);
    mutating.omegaLow = 3.0 - ModelPi;
    mutating.omegaHigh = 1.2;
    mutating.rangeChecked = 0;
    mutating.holding = 0;
    mutating.Update();
    EXPECT_EQ(mutating.omegaStep, (3.0 - 1.2) * -0.5);
    EXPECT_EQ(mutating.dampenPeriod, 30.0); // 73.34 s bounded
    EXPECT_EQ(mutating.homingStartTime, 10.0);
    EXPECT_EQ(mutating.holding, 0);

    mutating.omegaScrambleFrames = 0.0; // the countdown stands still while homing
    SetNowMilliseconds(25000);
    mutating.Update();
    EXPECT_EQ(mutating.GetPhasor().GetOmega(), 3.0 + mutating.omegaStep); // halfway exactly
    EXPECT_EQ(mutating.omegaScrambleFrames, 0.0);

    SetNowMilliseconds(40000);
    mutating.Update();
    const double reached = mutating.GetPhasor().GetOmega();
    EXPECT_EQ(mutating.holding, 1);
    EXPECT_EQ(reached, 3.0 + (std::sin(ModelHalfPi) + 1.0) * mutating.omegaStep);
    EXPECT_NE(reached, 1.2);
    EXPECT_NEAR(reached, 1.2, 1e-11);
}

TEST(MutatingPhasor, DampingPeriodIsBoundedToTenToThirtySeconds) {
    struct Case {
        double omega, low, high, dampen;
    };
    const Case cases[] = {
        {-0.1, 0.0, 1.0, 10.0},                          // 4.07 s bounded up
        {-1.0, 0.0, 1.0, 30.0},                          // 40.74 s bounded down
        {1.3, 0.0, 1.0, 0.3 * 0.5 * HomingSecondsPerRadian}, // 12.22 s as it is
        {1.0, 0.0, 1.0, 0.0},                            // inside, ends included: holds
    };
    SetNowMilliseconds(0);
    for (const Case& c : cases) {
        MutatingPhasor mutating = QuietPhasor();
        mutating.GetPhasor().SetOmega(c.omega);
        mutating.omegaLow = c.low;
        mutating.omegaHigh = c.high;
        mutating.rangeChecked = 0;
        mutating.holding = 0;
        mutating.Update();
        EXPECT_NEAR(mutating.dampenPeriod, c.dampen, 1e-12) << c.omega;
        EXPECT_EQ(mutating.holding, c.dampen == 0.0 ? 1 : 0) << c.omega;
    }
}

TEST(MutatingPhasor, OmegaScrambleOnZeroCountdownNarrowsTheRangeAroundOmega) {
    SetNowMilliseconds(0);
    MutatingPhasor mutating = QuietPhasor();
    mutating.GetPhasor().SetOmega(3.0);
    mutating.omegaScrambleFrames = 0.0;
    // Both bounds drawn below 3.0 - ModelPi: narrowing crosses them and they are exchanged.
    std::uint32_t state = 1;
    for (;; ++state) {
        SetRandomState(state);
        const std::int32_t low = NextRandom();
        if (low < 12000 && NextRandom() < 12000) {
            break;
        }
    }
    SetRandomState(state);
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 6);
    EXPECT_EQ(mutating.omegaHigh, 3.0 - ModelPi);
    EXPECT_LT(mutating.omegaLow, mutating.omegaHigh);
    EXPECT_GE(mutating.omegaScrambleFrames, 500.0); // the new countdown, not -1
    EXPECT_EQ(mutating.rangeChecked, 0);

    mutating.Update(); // Pending resolves at once: homing down toward the nearer bound
    EXPECT_EQ(mutating.omegaStep, (3.0 - mutating.omegaHigh) * -0.5);
    EXPECT_EQ(mutating.dampenPeriod, 30.0);
}

TEST(MutatingPhasor, AmplitudeScrambleOutOfRangeRetriesTwoUpdatesLater) {
    SetNowMilliseconds(0);
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
    EXPECT_EQ(shown, (std::vector<std::uint32_t>{PackedColor(85, 167, 0), PackedColor(170, 134, 0),
                                                 PackedColor(170, 134, 0)}));
    EXPECT_EQ(rising.fade.startRed, 170);
    EXPECT_EQ(rising.fade.frame, 0);
}
