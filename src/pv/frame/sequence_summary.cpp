#include "pv/frame/sequence_summary.h"

#include "pv/frame/progress.h"
#include "pv/frame/status_list.h"

namespace veridane {

std::string FullSequenceSummary(const RunState& state, bool completed, double seconds) {
  int passed = 0, failed = 0, notRun = 0;
  std::string failedNames;
  for (int n = 1; n <= state.NumberOfTests; ++n) {
    const TestOutcome status = state.TestStatus[static_cast<size_t>(n)];
    if (status == TestOutcome::Passed) {
      ++passed;
    } else if (status == TestOutcome::Failed) {
      ++failed;
      failedNames += (failedNames.empty() ? "" : ", ") + state.TestName(n);
    } else {
      ++notRun;
    }
  }
  const TestOutcome selfCalStatus = SelfCalStatus(state);
  const bool selfCalFailed = selfCalStatus == TestOutcome::Failed;
  const std::string selfCal = HasResult(selfCalStatus) ? std::string(OutcomeWord(selfCalStatus)) : "not performed";
  // The same judgement as the closing message: every test must have passed. A failed Self Cal
  // ends the sequence before its tests, and that is a failure, not a stop.
  const char* outcome = selfCalFailed ? "failed" : !completed ? "stopped" : failed == 0 && notRun == 0 ? "passed" : "failed";
  std::string text = std::string("Full Sequence ") + outcome + " in " + ClockText(seconds) + ": Self Cal " + selfCal +
                     ", " + std::to_string(passed) + " PASS, " + std::to_string(failed) + " FAIL, " +
                     std::to_string(notRun) + " N/A";
  if (!failedNames.empty()) text += " (FAIL: " + failedNames + ")";
  return text;
}

}  // namespace veridane
