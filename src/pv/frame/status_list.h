#pragma once
// The status list with its PASS/FAIL/N/A counters.
#include <cstdint>
#include <string>
#include <string_view>

#include "pv/frame/main_view.h"
#include "pv/frame/run_state.h"

namespace veridane {

// One status list line: the name right-aligned in 34 characters (a longer name keeps its last
// 34), " - ", then "PASS", "FAIL" or "N/A".
std::string StatusLine(std::string_view name, TestOutcome status);

// The name of the status list's last line, the last self calibration's result.
inline constexpr std::string_view kSelfCalStatusName = "Self Cal (SPC)";
// SelfCalResult before any self calibration was performed.
inline constexpr int16_t kSelfCalNotDone = -1;

// The last self calibration's result as a status: NotRun before any, then Passed or Failed.
TestOutcome SelfCalStatus(const RunState& state);

// Rebuilds the status list and the counters from TestStatus; a FAIL count above 0 shows red.
// The five tests come first, in test order, then Self Cal (not counted).
void TestStatusUpdate(const RunState& state, MainView& view);

}  // namespace veridane
