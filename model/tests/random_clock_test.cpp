#include "model/clock.h"
#include "model/random.h"
#include "model/tests/random_probe.h"

#include <gtest/gtest.h>

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
        random_probe::ForceDraw(1, draw);
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
