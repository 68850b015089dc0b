#pragma once
// The result rows each test prints and the time one of them takes, for the progress shown
// while it runs. Kept beside the procedures: a test that gains or loses rows changes its line
// here (a test checks that the counts match what the tests print).
#include "pv/frame/progress.h"

namespace veridane {

// A test without a plan (not built yet, or 0) gives an empty plan: rows are still counted.
ProgressPlan PlannedProgress(int testNumber);

}  // namespace veridane
