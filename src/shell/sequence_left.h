#pragma once
// The time a Full Sequence still needs, for the status bar beside the running test's own: what
// the running test has left (its tracker's estimate, from the measured pace once rows arrive),
// then the planned time of every test after it in the sequence. Between two tests, the tests
// still to come.
#include <functional>
#include <string>
#include <string_view>

#include "pv/frame/progress.h"

namespace veridane {

double SequenceSecondsLeft(const ProgressTracker& tracker, int currentTest, int numberOfTests, double now,
                           const std::function<ProgressPlan(int testNumber)>& plan);

// "Offset at Zero: step 4 of 10, ...; Full Sequence: about 6:12 left"
std::string SequenceProgressText(std::string_view testText, double secondsLeft);

}  // namespace veridane
