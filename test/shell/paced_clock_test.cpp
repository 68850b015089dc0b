// The on-screen simulated clock: virtual time runs at full length, real time at a fraction,
// and the window's events are processed during every wait.
#include <gtest/gtest.h>

#include "shell/paced_clock.h"

namespace veridane {
namespace {

TEST(PacedClock, WaitsAdvanceVirtualTimeFullyAndRealTimeByThePace) {
  VirtualClock real;  // stands in for the window's loop
  PacedClock clock(real, 0.1, Seconds(0.5));
  clock.Wait(Seconds(2.0));
  EXPECT_DOUBLE_EQ(clock.Now(), 2.0);
  EXPECT_NEAR(real.Now(), 0.2, 1e-12);
  clock.Wait(Seconds(100.0));  // a long scope operation costs at most the cap
  EXPECT_DOUBLE_EQ(clock.Now(), 102.0);
  EXPECT_NEAR(real.Now(), 0.7, 1e-12);
}

TEST(PacedClock, EventsRunDuringWaitsButNotDuringBlockedCalls) {
  VirtualClock real;
  PacedClock clock(real, 0.1, Seconds(1.0));
  int pressed = 0;
  real.ScheduleAfter(0.05, [&] { ++pressed; });  // Exit Test pressed while a wait runs
  clock.Block(Seconds(3.0));
  EXPECT_EQ(pressed, 0);
  EXPECT_DOUBLE_EQ(clock.Now(), 3.0);
  EXPECT_DOUBLE_EQ(real.Now(), 0.0);
  clock.Wait(Seconds(1.0));
  EXPECT_EQ(pressed, 1);

  const int before = real.ProcessEventsCount();
  clock.Wait(Seconds(0));
  clock.ProcessEvents();
  EXPECT_EQ(real.ProcessEventsCount(), before + 2);
  EXPECT_DOUBLE_EQ(clock.Now(), 4.0);
}

}  // namespace
}  // namespace veridane
