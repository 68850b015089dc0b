#include "shell/sequence_left.h"

namespace veridane {

double SequenceSecondsLeft(const ProgressTracker& tracker, int currentTest, int numberOfTests, double now,
                           const std::function<ProgressPlan(int testNumber)>& plan) {
  double left = tracker.Running() ? tracker.SecondsLeft(now) : 0.0;
  for (int test = currentTest + 1; test <= numberOfTests; ++test) {
    const ProgressPlan next = plan(test);
    left += next.steps * next.secondsPerStep;
  }
  return left;
}

std::string SequenceProgressText(std::string_view testText, double secondsLeft) {
  std::string text(testText);
  if (!text.empty()) text += "; ";
  return text + "Full Sequence: about " + ClockText(secondsLeft) + " left";
}

}  // namespace veridane
