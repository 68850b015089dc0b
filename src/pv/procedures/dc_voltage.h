#pragma once
// Test 2, "DC Voltage Measurement": the mean measurement of each channel against the DC
// calibrator at seven settings of scale, position and offset, one of them a voltage difference.
// The calibrator is set over the bus when present, otherwise by the technician at a prompt.
#include "pv/procedures/pv_context.h"

namespace veridane {

// Runs the whole test (menu entry and Full Sequence alike) and ends it through the frame.
void Gain(ScopeLink& scope, BenchParts& bench, TestRun& test);

}  // namespace veridane
