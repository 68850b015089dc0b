// Scopes with injected faults: each row must get the verdict its fault size calls for against
// that row's limit. The expected verdicts come from the bench file's fault values, never from
// the program's own output; a fault within a row's limit must not fail that row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text8.h"
#include "sim/bench/bench_file.h"
#include "sim/bench/shipped_benches.h"
#include "test/e2e/e2e_run.h"
#include "test/e2e/expected_rows.h"
#include "test/e2e/table_checks.h"

namespace veridane::testing {
namespace {

// The default bench with a fault section for the scope's channel.
std::string DefaultBenchWithChannelFault(const std::string& section) {
  const std::string firstInstrument = "[[instrument]]\ntype = \"AT 5010\"";
  return ShippedBenchWith("default", firstInstrument, section + "\n\n" + firstInstrument);
}

struct FaultCase {
  const char* name;
  std::string bench;  // a shipped name or a bench text
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

std::vector<FaultCase> FaultCases() {
  return {
      {"ShippedOffsetFault", "offset-fault"},
      {"ShippedGainFault", "gain-fault"},
      // Inside the 2 mV/div limit, outside its 70 % band: a marginal pass, not a failure.
      {"Ch1OffsetJustInsideTheLimit", DefaultBenchWithChannelFault("[scope.ch1]\noffset_error = -0.0027")},
      // Far enough to push the sensitive scales off screen.
      {"Ch1OffsetHalfAVoltLow", DefaultBenchWithChannelFault("[scope.ch1]\noffset_error = -0.5")},
      {"Ch2GainTenPercentHigh", DefaultBenchWithChannelFault("[scope.ch2]\ngain_error = 0.10")},
      {"Ch2GainSixPercentLow", DefaultBenchWithChannelFault("[scope.ch2]\ngain_error = -0.06")},
  };
}

const std::string kFailed = "Test Failed.              ";
const std::string kPassed = "Test Passed.              ";

// The test's status and end message as its rows call for.
void ExpectOutcome(const E2eRun& run, int16_t n, const FailureOutlook& outlook, const std::string& endCaption) {
  const std::vector<sim::TranscriptEntry> ends = run.PromptsCaptioned(endCaption);
  ASSERT_EQ(ends.size(), 1u) << Utf8FromText8(run.Transcript());
  if (outlook.mustFail) {
    EXPECT_EQ(run.Status(n), TestOutcome::Failed) << "test " << n;
    EXPECT_EQ(ends[0].text, kFailed);
  } else if (!outlook.mayFail) {
    EXPECT_EQ(run.Status(n), TestOutcome::Passed) << "test " << n;
    EXPECT_EQ(ends[0].text, kPassed);
  } else {
    EXPECT_NE(run.Status(n), TestOutcome::NotRun) << "test " << n;
  }
  // Whatever the rows gave, the status follows them.
  const ResultTable table =
      FindResultTable(run.DisplayText(), n == kTestOffsetZero ? kOffsetTitle : kDcTitle);
  bool anyFailed = false;
  for (const std::string& row : table.AllRows()) anyFailed = anyFailed || Verdict(row) == " FAIL";
  EXPECT_EQ(run.Status(n), anyFailed ? TestOutcome::Failed : TestOutcome::Passed) << "test " << n;
}

class FaultBench : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultBench, EveryRowGetsTheVerdictItsFaultCallsFor) {
  E2eRun run(GetParam().bench);
  ASSERT_TRUE(run.Start());
  ASSERT_EQ(run.program->Run().AutoMode, Automation::Full);
  run.RunTest(kTestOffsetZero);
  run.RunTest(kTestGain);

  const ChannelFaults& faults = run.ChannelFaults();
  const ResultTable offset = FindResultTable(run.DisplayText(), kOffsetTitle);
  ExpectOffsetTable(offset, faults);
  ExpectOffsetMeasurements(offset, run.MeasurementReplies(kTestOffsetZero));
  const ResultTable dc = FindResultTable(run.DisplayText(), kDcTitle);
  ExpectDcTable(dc, faults);
  ExpectDcMeasurements(dc, run.MeasurementReplies(kTestGain));

  ExpectOutcome(run, kTestOffsetZero, OffsetOutlook(faults), "Offset at Zero / End of Test");
  ExpectOutcome(run, kTestGain, DcOutlook(faults), "DC Voltage Measurement / End of Test");
  EXPECT_EQ(run.technician->ErrorCount(), 0) << Utf8FromText8(run.Transcript());
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultBench, ::testing::ValuesIn(FaultCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The shipped fault benches are meant to show a failure; were their faults ever made smaller
// than the limits, the runs above would pass without proving anything.
TEST(ShippedFaultBenches, FaultsAreLargeEnoughToFailTheRowsTheyAreMeantFor) {
  const auto faultsOf = [](std::string_view name) {
    return sim::ParseBenchText(*sim::ShippedBenchText(name), sim::ShippedBenchFileName(name)).scope.channels;
  };
  const ChannelFaults offset = faultsOf("offset-fault");
  EXPECT_TRUE(OffsetOutlook(offset).mustFail);
  EXPECT_TRUE(DcOutlook(offset).mustFail);
  const ChannelFaults gain = faultsOf("gain-fault");
  // A gain error shows only where the trace lies away from the offset level: never at zero.
  EXPECT_FALSE(OffsetOutlook(gain).mayFail);
  EXPECT_TRUE(DcOutlook(gain).mustFail);
}

}  // namespace
}  // namespace veridane::testing
