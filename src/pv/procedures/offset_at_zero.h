#pragma once
// Test 1, "Offset at Zero": with nothing connected, the mean of each channel must stay within
// an offset limit at five vertical scales from 2 mV/div to 10 V/div. Needs no bench instrument.
#include "pv/procedures/pv_context.h"

namespace veridane {

// Runs the whole test (menu entry and Full Sequence alike) and ends it through the frame.
void OffsetZero(ScopeLink& scope, TestRun& test);

}  // namespace veridane
