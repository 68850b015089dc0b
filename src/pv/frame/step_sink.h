#pragma once
// Where the judged steps of a run go. The frame makes each step (stamped with its test and
// assessed against the register's uncertainties) and hands it to a fixed chain of named sinks,
// between an explicit begin and end of the run, so that no sink has to guess where a run starts.
#include <cstdint>
#include <string>
#include <vector>

#include "pv/frame/result_row.h"
#include "pv/frame/run_state.h"
#include "report/test_outcome.h"

namespace veridane {

class StepSink {
 public:
  virtual ~StepSink() = default;
  // A run of the scope begins: a Full Sequence, or a test (or self calibration) that the run
  // under way already holds, or the first one.
  virtual void BeginRun() {}
  virtual void Step(const AssessedStep& step) = 0;
  // Test `test` of the run has ended: how, and the finding it failed on (empty for none).
  // Passed or Failed when it has a result; a stop or an end before any result is NotRun.
  virtual void TestEnded(int16_t /*test*/, const std::string& /*name*/, TestOutcome /*outcome*/,
                         const std::string& /*finding*/) {}
  // The run is over (a Full Sequence ended, or the next run begins).
  virtual void EndRun() {}
};

// The chain, in the order every step reaches it: the log first (on disk before on screen), the
// result view, the results store, the progress line. A null member is a sink not there.
struct StepSinks {
  StepSink* log = nullptr;
  StepSink* view = nullptr;
  StepSink* store = nullptr;
  StepSink* progress = nullptr;

  std::vector<StepSink*> InOrder() const {
    std::vector<StepSink*> chain;
    for (StepSink* sink : {log, view, store, progress})
      if (sink != nullptr) chain.push_back(sink);
    return chain;
  }
};

// A judged step of the running test as the sinks receive it: stamped with the test
// (RunState::CurrentTest) and assessed with the standards set for it and the readings it judged,
// against RunState::StandardUncertainties under RunState::DecisionRule.
AssessedStep MakeAssessedStep(const RunState& state, StepResult result, std::vector<StandardSetting> standards = {},
                              std::vector<StepReadings> readings = {});

}  // namespace veridane
