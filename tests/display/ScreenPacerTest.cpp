// When the ticks' drawing reaches the screen: at most once a frame while the timer runs, at
// once for a tick by hand, and whatever was held back when the timer stops. The clock is
// given to the pacer, so nothing here depends on how fast the test runs.
#include <gtest/gtest.h>

#include <vector>

#include "display/ScreenPacer.h"

namespace {

using Clock = ScreenPacer::Clock;
using std::chrono::milliseconds;

class ScreenPacerTest : public ::testing::Test {
  protected:
    const Clock::time_point t0 = Clock::time_point() + std::chrono::hours(1);
    std::vector<Clock::time_point> shown;  // when the screen was shown
    Clock::time_point now = t0;
    ScreenPacer pacer{[this] { shown.push_back(now); }};

    void Tick(bool timerRunning = true) { pacer.Drawn(timerRunning, now); }
};

TEST_F(ScreenPacerTest, RunningTimerShowsTheFirstTickAndThenOncePerFrame) {
    // A second of ticks one millisecond apart, as the window's timer gives them.
    for (int k = 0; k < 1000; ++k, now += milliseconds(1))
        Tick();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), t0);
    for (std::size_t k = 1; k < shown.size(); ++k) {
        // Never faster than the screen, and never a tick later than a frame.
        EXPECT_GE(shown[k] - shown[k - 1], ScreenPacer::kFrame) << k;
        EXPECT_LT(shown[k] - shown[k - 1], ScreenPacer::kFrame + milliseconds(1)) << k;
    }
    EXPECT_LE(shown.size(), 60u);
}

TEST_F(ScreenPacerTest, SlowTicksAreEachShown) {
    for (int k = 0; k < 5; ++k, now += milliseconds(40))
        Tick();
    EXPECT_EQ(shown.size(), 5u);
    EXPECT_FALSE(pacer.Pending());
}

TEST_F(ScreenPacerTest, StoppingShowsWhatWasHeldBackOnce) {
    Tick();
    now += milliseconds(1);
    Tick();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(pacer.Pending());
    now += milliseconds(1);
    pacer.Flush(now);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown.back(), now);
    EXPECT_FALSE(pacer.Pending());
    pacer.Flush(now);  // nothing drawn since: nothing to show
    EXPECT_EQ(shown.size(), 2u);
    // The showing on the stop counts as the last: the next frame is measured from it.
    now += milliseconds(1);
    Tick();
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(ScreenPacerTest, StoppingBeforeAnyTickShowsNothing) {
    pacer.Flush(now);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ScreenPacerTest, TickByHandIsShownAtOnceEvenWithinAFrame) {
    Tick();
    for (int k = 0; k < 3; ++k) {
        now += milliseconds(1);
        Tick(false);
    }
    EXPECT_EQ(shown.size(), 4u);
    EXPECT_FALSE(pacer.Pending());
}

}  // namespace
