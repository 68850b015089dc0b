#include "platform/event_loop.h"

#include <gtest/gtest.h>

#include <vector>

namespace veridane {
namespace {

TEST(VirtualClock, WaitAdvancesAtOnceAndRunsDueActionsInOrder) {
  VirtualClock clock;
  std::vector<double> seen;
  clock.ScheduleAt(2.5, [&] { seen.push_back(clock.Now()); });
  clock.ScheduleAt(1.0, [&] { seen.push_back(clock.Now()); });
  clock.Wait(Seconds(2.0));
  EXPECT_DOUBLE_EQ(clock.Now(), 2.0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_DOUBLE_EQ(seen[0], 1.0);
  clock.Wait(Seconds(1.0));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_DOUBLE_EQ(seen[1], 2.5);
  EXPECT_DOUBLE_EQ(clock.Now(), 3.0);
}

TEST(VirtualClock, BlockProcessesNoEventsUntilTheNextWait) {
  VirtualClock clock;
  bool pressed = false;
  clock.ScheduleAfter(0.5, [&] { pressed = true; });
  clock.Block(Seconds(10));
  EXPECT_FALSE(pressed);
  EXPECT_DOUBLE_EQ(clock.Now(), 10);
  clock.Wait(Seconds(0));
  EXPECT_TRUE(pressed);
}

TEST(VirtualClock, ZeroOrNegativeWaitProcessesEventsOnly) {
  VirtualClock clock;
  clock.Wait(Seconds(-3));
  EXPECT_DOUBLE_EQ(clock.Now(), 0);
  EXPECT_EQ(clock.ProcessEventsCount(), 1);
}

TEST(RealEventLoop, WaitProcessesEventsAndTakesTheTime) {
  int calls = 0;
  RealEventLoop loop([&] { ++calls; });
  double start = loop.Now();
  loop.Wait(Seconds(0.03));
  EXPECT_GE(loop.Now() - start, 0.03);
  EXPECT_GE(calls, 1);
  // Nothing to wait for: back at once, without running the interface.
  const int before = calls;
  loop.Wait(Seconds(0));
  loop.Wait(Seconds(-1));
  EXPECT_EQ(calls, before);
}

}  // namespace
}  // namespace veridane
