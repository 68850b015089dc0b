#pragma once
// How the tests name their steps, and where the display hands every judged step beside the log.
// The step itself is a StepResult (report/step_result.h).
#include <string>
#include <string_view>

#include "report/step_result.h"

namespace veridane {

// "CH1 2 mV/div": a step named by channel and vertical scale.
std::string ScaleStep(std::string_view channel, float voltsPerDivision);
// A DC Voltage step: "CH1 5 mV/div -990 mV", or "CH1 difference" for the step that compares
// two readings.
std::string DcStepName(std::string_view channel, float voltsPerDivision, float output, bool difference);

// Where the display hands every shown result, beside the log.
class ResultSink {
 public:
  virtual ~ResultSink() = default;
  virtual void RecordResult(const StepResult& result) = 0;
};

}  // namespace veridane
