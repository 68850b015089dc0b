#include "test/results/results_fixture.h"

#include <unistd.h>

#include "pv/frame/run_state.h"
#include "report/format.h"

namespace veridane::testing {

ScratchStore::ScratchStore(const std::string& name)
    : folder_(std::filesystem::temp_directory_path() / ("veridane-results-" + name + "-" + std::to_string(::getpid()))) {
  std::filesystem::remove_all(folder_);
}

ScratchStore::~ScratchStore() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

StoreTarget ScratchStore::Target() const { return ParseStoreTarget("", folder_.string()); }

StepResult OffsetResult(const std::string& step, float limit, std::optional<float> measured) {
  StepResult result = MakeStepResult(step, "V", Judge(0, -limit, JudgeMode::TwoSided, measured), measured);
  result.test = kTestOffsetZero;
  result.testName = "Offset at Zero";
  result.text = " " + step + "  " + std::string(VerdictText(result.verdict));
  return result;
}

RunFacts SomeRun(const std::string& serial, const std::string& startedAt) {
  RunFacts facts;
  facts.startedAt = startedAt;
  facts.scopeModel = "TDS 340";
  facts.firmware = "1.04";
  facts.serial = serial;
  facts.operatorName = "J. M\xFCller";
  facts.bench = "sim";
  facts.simulated = true;
  facts.programVersion = "1.0.0";
  return facts;
}

}  // namespace veridane::testing
