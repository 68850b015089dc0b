#pragma once
// How a test ended, as one value: the frame takes it back from the procedure, the status list,
// the status file, the results store, its exports, the certificate and the headless run's exit
// code all read it. Whether single steps were marginal stays on the steps (Verdict).
#include <optional>
#include <string_view>

namespace veridane {

enum class TestOutcome {
  NotRun,         // no result: never started, or a result taken back (stopped after an earlier PASS)
  Passed,
  Failed,
  Stopped,        // the technician stopped it before it had a result
  NotApplicable,  // it ended before a result without being stopped (nothing could be measured)
};

// A test with a result, PASS or FAIL.
constexpr bool HasResult(TestOutcome outcome) { return outcome == TestOutcome::Passed || outcome == TestOutcome::Failed; }

// How the store and its exports name an outcome: "PASS", "FAIL", and "not run" for every
// outcome without a result. The one place outcomes become words.
std::string_view OutcomeWord(TestOutcome outcome);
// The outcome of a stored word ("not run" reads back as NotRun); nullopt for a word it does not know.
std::optional<TestOutcome> OutcomeFromWord(std::string_view word);

}  // namespace veridane
