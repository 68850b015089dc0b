#include "pv/frame/step_sink.h"

#include <utility>

namespace veridane {

AssessedStep MakeAssessedStep(const RunState& state, StepResult result, std::vector<StandardSetting> standards,
                              std::vector<StepReadings> readings) {
  result.test = state.CurrentTest;
  result.testName = state.CurrentTestName();
  AssessedStep step{std::move(result), std::move(standards), std::move(readings), {}};
  const StepResult& judged = step.result;
  step.uncertainty = AssessStep(state.StandardUncertainties, step.standards, step.readings,
                                StepLimits{judged.nominal, judged.lower, judged.upper, judged.measured,
                                           !Failed(judged.verdict)},
                                state.DecisionRule);
  return step;
}

}  // namespace veridane
