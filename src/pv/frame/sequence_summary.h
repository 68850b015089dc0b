#pragma once
// One line that sums up a Full Sequence for the status bar: how it ended, Self Cal, the
// counts, the tests that failed and how long it took.
#include <string>

#include "pv/frame/run_state.h"

namespace veridane {

// "Full Sequence passed in 14:03: Self Cal PASS, 5 PASS, 0 FAIL, 0 N/A"; a failed one names
// its failed tests ("... FAIL: DC Voltage Measurement, Analog Bandwidth"), a stopped one says so.
std::string FullSequenceSummary(const RunState& state, bool completed, double seconds);

}  // namespace veridane
