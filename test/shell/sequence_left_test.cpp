// The Full Sequence's time left: the running test's estimate and the plans of the tests after it.
#include "shell/sequence_left.h"

#include <gtest/gtest.h>

namespace veridane {
namespace {

ProgressPlan Plan(int test) {
  switch (test) {
    case 1: return {10, 4.0};
    case 2: return {2, 30.0};
    case 3: return {1, 100.0};
    default: return {};
  }
}

TEST(SequenceLeft, TheRunningTestsEstimateThenThePlansOfTheTestsAfterIt) {
  ProgressTracker tracker;
  tracker.Begin("Offset at Zero", Plan(1), 0.0);
  // Nothing measured yet: the whole plan of each test.
  EXPECT_DOUBLE_EQ(SequenceSecondsLeft(tracker, 1, 3, 0.0, Plan), 40.0 + 60.0 + 100.0);
  // Half-way at twice the planned pace: the running test's own estimate follows its pace.
  for (int i = 0; i < 5; ++i) tracker.Step();
  EXPECT_DOUBLE_EQ(SequenceSecondsLeft(tracker, 1, 3, 40.0, Plan), 40.0 + 60.0 + 100.0);
  // The test ended: what comes after it only; the last test ended: nothing.
  tracker.End(80.0);
  EXPECT_DOUBLE_EQ(SequenceSecondsLeft(tracker, 1, 3, 80.0, Plan), 160.0);
  EXPECT_DOUBLE_EQ(SequenceSecondsLeft(tracker, 3, 3, 80.0, Plan), 0.0);
  // A test without a plan (the self calibration before the first test) adds nothing of its own.
  EXPECT_DOUBLE_EQ(SequenceSecondsLeft(tracker, 0, 3, 80.0, Plan), 40.0 + 60.0 + 100.0);
}

TEST(SequenceLeft, TheStatusLineNamesTheWholeSequence) {
  EXPECT_EQ(SequenceProgressText("Offset at Zero: step 4 of 10, 0:13 elapsed, about 0:27 left", 372),
            "Offset at Zero: step 4 of 10, 0:13 elapsed, about 0:27 left; Full Sequence: about 6:12 left");
  EXPECT_EQ(SequenceProgressText("", 3725), "Full Sequence: about 1:02:05 left");
}

}  // namespace
}  // namespace veridane
