#include "platform/displays/live/steady_pacing.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct Pacing : ::testing::Test {
    std::chrono::steady_clock::time_point now{1h};
    portable::FramePacing pacing{[this] { return now; }};
};

TEST_F(Pacing, AHeldBackPaintBoundsTheSleepEvenWhenItsTimeCameBeforeTheWait) {
    pacing.SetInterval(10ms);
    pacing.PaintBegins();
    EXPECT_EQ(pacing.SleepBound(), std::nullopt) << "nothing held back";
    now += 4ms;
    EXPECT_FALSE(pacing.PaintDue());
    EXPECT_EQ(pacing.SleepBound(), 6ms);
    // Preempted between the refusal and the wait: the loop must not sleep at all.
    now += 7ms;
    EXPECT_EQ(pacing.SleepBound(), 0ns);
    EXPECT_TRUE(pacing.PaintDue());
}

TEST_F(Pacing, ALatePaintKeepsTheCadenceAndOneLaterThanAnIntervalStartsItAfresh) {
    pacing.SetInterval(10ms);
    pacing.PaintBegins(); // due at 10
    now += 13ms;
    pacing.PaintBegins(); // 3 late: the next is still due at 20
    now += 6ms;
    EXPECT_FALSE(pacing.PaintDue());
    now += 1ms;
    EXPECT_TRUE(pacing.PaintDue());
    now += 25ms; // at 45, far behind: due again at 55, not at once for every missed frame
    pacing.PaintBegins();
    now += 9ms;
    EXPECT_FALSE(pacing.PaintDue());
}

TEST_F(Pacing, WithoutAnIntervalEveryPaintIsDue) {
    pacing.PaintBegins();
    EXPECT_TRUE(pacing.PaintDue());
    EXPECT_EQ(pacing.SleepBound(), std::nullopt);
}

} // namespace
