#include "pv/progress_plan.h"

#include "pv/frame/run_state.h"

namespace veridane {

ProgressPlan PlannedProgress(int testNumber) {
  switch (testNumber) {
    // Two channels of five scales; each waits 4 s for the averaged mean.
    case kTestOffsetZero: return {10, 4.5};
    // Two channels of seven steps; the calibrator settles 2 to 3 s, the reading 4 s.
    case kTestGain: return {14, 7.0};
    default: return {};
  }
}

}  // namespace veridane
