#include "report/test_outcome.h"

namespace veridane {

std::string_view OutcomeWord(TestOutcome outcome) {
  switch (outcome) {
    case TestOutcome::Passed:
      return "PASS";
    case TestOutcome::Failed:
      return "FAIL";
    case TestOutcome::NotRun:
    case TestOutcome::Stopped:
    case TestOutcome::NotApplicable:
      break;
  }
  return "not run";
}

std::optional<TestOutcome> OutcomeFromWord(std::string_view word) {
  for (TestOutcome outcome : {TestOutcome::Passed, TestOutcome::Failed, TestOutcome::NotRun})
    if (word == OutcomeWord(outcome)) return outcome;
  return std::nullopt;
}

}  // namespace veridane
