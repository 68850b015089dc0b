#pragma once
// How the tests name their steps, and a judged step as the sinks receive it. The step itself is a
// StepResult (report/step_result.h).
#include <string>
#include <string_view>
#include <vector>

#include "uncertainty/budget.h"
#include "uncertainty/step_uncertainty.h"

#include "report/step_result.h"

namespace veridane {

// "CH1 2 mV/div": a step named by channel and vertical scale.
std::string ScaleStep(std::string_view channel, float voltsPerDivision);
// A DC Voltage step: "CH1 5 mV/div -990 mV", or "CH1 difference" for the step that compares
// two readings.
std::string DcStepName(std::string_view channel, float voltsPerDivision, float output, bool difference);

// A judged step with what the calibration record adds to it: what the reference standards were
// set to (none: no standard sets it), the readings judged, and the budget, TUR and decision it
// was assessed with under the run's rule when the frame made it (MakeAssessedStep).
struct AssessedStep {
  StepResult result;
  std::vector<StandardSetting> standards{};
  std::vector<StepReadings> readings{};
  StepUncertainty uncertainty{};
};

}  // namespace veridane
