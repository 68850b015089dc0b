// The progress plan against what the tests really print: the status bar's "step n of N" ends
// at N exactly when a test runs to its end, in Auto mode and by hand, passing or failing.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "pv/progress_plan.h"
#include "test/e2e/e2e_run.h"

namespace veridane::testing {
namespace {

void ExpectPlannedRows(const std::string& bench, BoxAnswer autoAnswer, std::initializer_list<int16_t> tests) {
  sim::TechnicianOptions options;
  options.autoModeAnswer = autoAnswer;
  for (int16_t test : tests) {
    E2eRun run(bench, options);
    ASSERT_TRUE(run.Start());
    run.RunTest(test);
    EXPECT_NE(run.Status(test), TestOutcome::NotRun) << bench << " test " << test;
    EXPECT_EQ(static_cast<int>(run.view.results.size()), PlannedProgress(test).steps)
        << bench << " test " << test << " auto answer " << autoAnswer;
    // Each row's U and TUR reach the window through the views the program wraps around it.
    EXPECT_EQ(run.view.uncertainties.size(), run.view.results.size()) << bench << " test " << test;
  }
}

TEST(ProgressPlan, MatchesTheRowsEachTestPrints) {
  const std::initializer_list<int16_t> every = {kTestOffsetZero, kTestGain, kTestBandwidth, kTestSampleRate, kTestTrigger};
  ExpectPlannedRows("default", kYes, every);
  ExpectPlannedRows("default", kNo, every);
  // A failing row is still a row: the faulty tests run to their planned end.
  ExpectPlannedRows("offset-fault", kNo, {kTestOffsetZero, kTestGain});
  ExpectPlannedRows("bandwidth-fault", kYes, {kTestBandwidth});
  ExpectPlannedRows("trigger-fault", kYes, {kTestTrigger});
}

}  // namespace
}  // namespace veridane
