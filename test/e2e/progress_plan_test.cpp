// The progress plan against what the tests really print: the status bar's "step n of N" ends
// at N exactly when a test runs to its end, in Auto mode and by hand, passing or failing.
#include <gtest/gtest.h>

#include <string>

#include "pv/progress_plan.h"
#include "test/e2e/e2e_run.h"

namespace veridane::testing {
namespace {

void ExpectPlannedRows(const std::string& bench, int16_t autoAnswer) {
  sim::TechnicianOptions options;
  options.autoModeAnswer = autoAnswer;
  for (int16_t test : {kTestOffsetZero, kTestGain}) {
    E2eRun run(bench, options);
    ASSERT_TRUE(run.Start());
    run.RunTest(test);
    EXPECT_NE(run.Status(test), kStatusNotRun) << bench << " test " << test;
    EXPECT_EQ(static_cast<int>(run.view.results.size()), PlannedProgress(test).steps)
        << bench << " test " << test << " auto answer " << autoAnswer;
  }
}

TEST(ProgressPlan, MatchesTheRowsEachTestPrints) {
  ExpectPlannedRows("default", kYes);
  ExpectPlannedRows("default", kNo);
  ExpectPlannedRows("offset-fault", kNo);
}

}  // namespace
}  // namespace veridane
