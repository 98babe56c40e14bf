#include "model/clock.h"
#include "model/mutating_phasor.h"
#include "model/random.h"
#include "model/tests/random_probe.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

using namespace random_probe;

static const std::uint32_t stateAtStart = RandomState(); // before anything in this program draws

// Only the seed: the frame tests seed the stream themselves, and their records pin the rest.
TEST(RandomStream, StartsAtStateOne) {
    EXPECT_EQ(stateAtStart, 1u);
}

TEST(Clock, RealClockGoesOnFromWhereItStoodWithTheNamedCounterOnly) {
    static std::int64_t firstCount = 0, secondCount = 0;
    UseRealClock();
    const std::int32_t beforeSleep = ElapsedMilliseconds(); // the steady clock: real milliseconds
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const std::int32_t slept = ElapsedMilliseconds() - beforeSleep;
    EXPECT_TRUE(slept >= 30 && slept < 10'000) << slept;
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

// One draw, a floor below 0 counts as 0, bounds may be reversed.
TEST(Phasor, RandomAmplitudeDrawsItsRange) {
    Phasor phasor;
    for (const auto& [draw, low, high, amplitude] :
         {std::tuple{32767, -1.0, 3.0, 3.0}, {0, -1.0, 3.0, 0.0}, {32767, 2.0, 1.0, 1.0}}) {
        ForceDraw(1, draw);
        EXPECT_EQ(CountDraws([&] { phasor.RandomizeAmplitude(low, high); }), 1);
        EXPECT_EQ(phasor.GetAmplitude(), amplitude);
    }
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

// Phase terms swing by twice the circle constant; a cycle that ends exactly now goes on.
TEST(MutatingPhasor, PhaseCyclesSwingAFullTurnAndRearmOnlyAfterTheirEnd) {
    At(250000);
    MutatingPhasor mutating = QuietPhasor();
    mutating.termCycles[0] = {0.004, 7.0, 250.0};
    EXPECT_EQ(CountDraws([&] { mutating.Update(); }), 0);
    EXPECT_DOUBLE_EQ(mutating.GetPhasor().GetPhaseX(), TwoPi * std::sin(243.0 * 0.004));
}

// Omega on the low bound of its range holds; a scramble narrows the bounds it draws, in order.
TEST(MutatingPhasor, OmegaHoldsOnItsLowBoundAndAScrambleNarrowsTheBoundsItDraws) {
    At(0);
    MutatingPhasor held = QuietPhasor(0.0, true);
    held.Update();
    EXPECT_EQ(held.holding, 1);
    MutatingPhasor scrambled = QuietPhasor(3.0);
    scrambled.omegaScrambleFrames = 0.0;
    ForceDraws(1, 28000, 5000); // reversed: exchanged, then the low one narrowed to omega - ModelPi
    scrambled.Update();
    EXPECT_DOUBLE_EQ(scrambled.omegaLow, 3.0 - 3.141596536);
    EXPECT_DOUBLE_EQ(scrambled.omegaHigh, 28000 / 32767.0 * 3.141596536 - 1.570798268);
}
