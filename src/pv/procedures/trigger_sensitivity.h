#pragma once
// Test 5, "Edge Trigger Sensitivity": a sine wave at the model's bandwidth on CH1, then CH2,
// then the external trigger input through its divide-by-10 path. For each source and slope the
// trigger level is swept towards the signal from below and from above until the scope triggers
// reliably; a source and slope pass when both sides trigger. The generator is set over the bus
// when present, by the technician otherwise; the scope's readings confirm the signal.
#include <cstdint>
#include <optional>
#include <string>

#include "pv/procedures/pv_context.h"
#include "report/step_result.h"

namespace veridane {

// Runs the whole test (menu entry and Full Sequence alike) and ends it through the frame.
void Trigger(ScopeLink& scope, BenchParts& bench, Operator& op, TestRun& test);

// What a level sweep needs from the scope and the run.
class TriggerProbe {
 public:
  virtual ~TriggerProbe() = default;
  virtual void SetLevel(int millivolts) = 0;  // "TRIG:MAI:LEV <level>E-3"
  virtual void Wait(Seconds time) = 0;
  virtual std::string TriggerState() = 0;  // the reply to "TRIG:STATE?"
  virtual bool Aborted() = 0;
};

// One side of a sweep: side -1 starts at -range mV and climbs, +1 starts at +range and falls,
// in 10 mV steps. The first trigger (seen on two polls a second apart) backs the sweep off by
// 40 mV; from there each level settles a second, and the first trigger seen is the level found.
// nullopt when nothing triggered inside the range or the run was stopped.
std::optional<int> SweepSide(TriggerProbe& probe, int side, int rangeMillivolts);

// What a slope found: the levels from below and from above (mV; kept from an earlier sweep when
// a side finds nothing) and how many sides triggered.
struct SlopeLevels {
  int below = 0;
  int above = 0;
  int sides = 0;
};

// The judged step and its row for a source (1 CH1, 2 CH2, 4 EXT/10) and slope at the test
// frequency (MHz): how many sides of the sweep triggered, both needed.
StepResult TriggerResult(int16_t source, float frequencyMHz, bool rising, const SlopeLevels& levels);

}  // namespace veridane
