// The progress plan against what the tests really print: the status bar's "step n of N" ends
// at N exactly when a test runs to its end, in Auto mode and by hand, passing or failing.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "pv/progress_plan.h"
#include "report/row_verdict.h"
#include "test/e2e/e2e_run.h"

namespace veridane::testing {
namespace {

int VerdictRows(const std::string& display) {
  int rows = 0;
  size_t start = 0;
  for (;;) {
    const size_t end = display.find("\r\n", start);
    if (VerdictOfRow(std::string_view(display).substr(start, end - start)) != RowVerdict::None) ++rows;
    if (end == std::string::npos) return rows;
    start = end + 2;
  }
}

void ExpectPlannedRows(const std::string& bench, int16_t autoAnswer, std::initializer_list<int16_t> tests) {
  sim::TechnicianOptions options;
  options.autoModeAnswer = autoAnswer;
  for (int16_t test : tests) {
    E2eRun run(bench, options);
    ASSERT_TRUE(run.Start());
    run.RunTest(test);
    EXPECT_NE(run.Status(test), kStatusNotRun) << bench << " test " << test;
    EXPECT_EQ(VerdictRows(run.DisplayText()), PlannedProgress(test).steps)
        << bench << " test " << test << " auto answer " << autoAnswer;
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
