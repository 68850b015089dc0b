#include "pv/progress_plan.h"

#include "pv/frame/run_state.h"

namespace veridane {

ProgressPlan PlannedProgress(int testNumber) {
  switch (testNumber) {
    // Two channels of five scales; each waits 4 s for the averaged mean.
    case kTestOffsetZero: return {10, 4.5};
    // Two channels of seven steps; the calibrator settles 2 to 3 s, the reading 4 s.
    case kTestGain: return {14, 7.0};
    // Two channels of nine scales; each sets the reference and the test frequency through the
    // scope's own measurement and averages both readings.
    case kTestBandwidth: return {18, 17.5};
    // One row after the delayed time base has been walked across the marker.
    case kTestSampleRate: return {1, 20.0};
    // CH1, CH2 and EXT/10, each slope swept level by level (about a second a level).
    case kTestTrigger: return {6, 26.0};
    default: return {};
  }
}

}  // namespace veridane
