#pragma once
// Test 4, "Long Term Sample Rate & Delay Time": 10 ms time marks on CH1; the scope triggers on
// one marker and looks through the delayed timebase at the next, 10 ms later. A cursor stepped
// across the delayed window finds where the marker crosses its middle level: that position is
// the timebase error, allowed ±1 µs (±100 ppm). The time-mark generator is set over the bus in
// Auto mode, by the technician otherwise; the scope's frequency reading confirms the rate.
#include "report/step_result.h"
#include <cstdint>
#include <string>

#include "pv/procedures/pv_context.h"

namespace veridane {

// Runs the whole test (menu entry and Full Sequence alike) and ends it through the frame.
void SampleRate(ScopeLink& scope, BenchParts& bench, Operator& op, TestRun& test);

// The judged step for the cursor position y (µs) where the marker reached its middle level,
// kept in seconds; a position beyond ±2 µs (the scan found nothing inside) is NOT MEASURABLE
// and has no reading.
StepResult SampleRateResult(float y);

// What the cursor scans need from the scope: put the second cursor at a position (µs, as the
// command text shows it) and read the waveform level there.
class CursorProbe {
 public:
  virtual ~CursorProbe() = default;
  virtual float LevelAt(const std::string& positionText) = 0;
};

// The coarse scan (0.2 µs steps from -2.0 µs) and then the fine scan (0.01 µs steps from one
// coarse step before its stop, up to 2.0 µs) for the first level at or above `mid`. Returns the
// cursor position found, as it was sent to the scope; without a crossing inside the scans a
// position beyond 2.0 µs.
float ScanForMidLevel(CursorProbe& probe, float mid);

}  // namespace veridane
