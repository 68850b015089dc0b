// The Long Term Sample Rate & Delay Time and Edge Trigger Sensitivity tests and the whole Full
// Sequence on simulated benches: every model's bench in Auto mode, the scope alone with the
// technician doing the hand work, and the time-base and trigger fault benches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text8.h"
#include "test/e2e/e2e_run.h"
#include "test/e2e/result_table.h"

namespace veridane::testing {
namespace {

const std::string kSampleRateTitle = "Long Term Sample Rate & Delay Time - TEST T/B / 1 of 1";
const std::string kTriggerTitle = "Edge Trigger Sensitivity - Test Trig / 1 of 1";

// The rows under the last heading with this title: the lines after its header that start with
// a blank, the empty lines between blocks skipped, up to the next heading or notice.
std::vector<std::string> RowsUnder(const E2eRun& run, const std::string& title) {
  const std::vector<std::string> lines = DisplayLines(run.DisplayText());
  size_t at = lines.size();
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == title) at = i;
  std::vector<std::string> rows;
  if (at == lines.size()) return rows;
  for (size_t i = at + 2; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    if (lines[i][0] != ' ') break;
    rows.push_back(lines[i]);
  }
  return rows;
}

// The measured column of the sample-rate row, in ns: the number between the fixed step
// description and " ns/".
double MeasuredNanoseconds(const std::string& row) {
  constexpr size_t kMeasured = 53;
  const size_t unit = row.find(" ns/", kMeasured);
  if (unit == std::string::npos) return 1e9;
  return std::stod(row.substr(kMeasured, unit - kMeasured));
}

void ExpectCleanTranscript(const E2eRun& run) {
  EXPECT_EQ(run.technician->ErrorCount(), 0) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(run.technician->UnknownCount(), 0) << Utf8FromText8(run.Transcript());
}

void ExpectEveryTestPassed(const E2eRun& run) {
  for (int16_t n = 1; n <= run.program->Run().NumberOfTests; ++n) EXPECT_EQ(run.Status(n), TestOutcome::Passed) << "test " << n;
  ASSERT_EQ(run.view.statusLines.size(), 6u);  // Self Cal closes the list
  for (const std::string& line : run.view.statusLines) EXPECT_EQ(line.substr(line.size() - 4), "PASS") << line;
  EXPECT_EQ(run.view.counters.at(0), "5");
}

// The scope's time base error in the measured column: the next marker lands that many ns late
// (the scope's clock fast by ppm stretches the 10 ms to 10 ms × (1 + ppm)).
void ExpectSampleRateMeasures(const E2eRun& run, const std::string& row) {
  const double expectedNs = 10e-3 * run.Description().scope.timeBasePpm * 1e-6 * 1e9;
  EXPECT_NEAR(MeasuredNanoseconds(row), expectedNs, 15) << Utf8FromText8(row);
}

class FullSequenceOnModelBench : public ::testing::TestWithParam<std::string> {};

TEST_P(FullSequenceOnModelBench, AutoSequencePassesEveryTest) {
  E2eRun run(GetParam());
  ASSERT_TRUE(run.Start());
  ASSERT_EQ(run.program->Run().AutoMode, Automation::Full);
  run.FullSequence();

  const std::vector<sim::TranscriptEntry> end = run.PromptsCaptioned("End of Full Sequence");
  ASSERT_EQ(end.size(), 1u) << Utf8FromText8(run.DisplayText()) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(end[0].text, "Full Sequence Passed.");
  EXPECT_EQ(end[0].style, 64);
  ExpectEveryTestPassed(run);

  const std::vector<std::string> sampleRate = RowsUnder(run, kSampleRateTitle);
  ASSERT_EQ(sampleRate.size(), 1u);
  EXPECT_EQ(sampleRate[0].size(), 78u);
  EXPECT_EQ(Verdict(sampleRate[0]), " PASS") << Utf8FromText8(sampleRate[0]);
  ExpectSampleRateMeasures(run, sampleRate[0]);

  const std::vector<std::string> trigger = RowsUnder(run, kTriggerTitle);
  ASSERT_EQ(trigger.size(), 6u) << Utf8FromText8(run.DisplayText());
  for (const std::string& row : trigger) {
    EXPECT_EQ(row.size(), 78u) << row;
    EXPECT_EQ(Verdict(row), " PASS") << row;
  }
  // In an Auto sequence neither test asks for terminations: the scanners route everything.
  EXPECT_TRUE(run.PromptsCaptioned("Long Term Sample Rate & Delay Time").empty());
  EXPECT_TRUE(run.PromptsCaptioned("Edge Trigger Sensitivity").empty());
  EXPECT_FALSE(run.program->Run().FullSeqRunning);
  ExpectCleanTranscript(run);
}

INSTANTIATE_TEST_SUITE_P(Shipped, FullSequenceOnModelBench,
                         ::testing::Values("default", "tds310", "tds320", "tds340", "tds340a", "tds350", "tds360",
                                           "tds380"));

TEST(FullSequenceByHand, TheTechnicianCarriesTheScopeAloneThroughEveryTest) {
  sim::TechnicianOptions options;
  options.knobError = 0.03;
  options.seed = 5;
  E2eRun run("scope-only", options);
  ASSERT_TRUE(run.Start());
  ASSERT_EQ(run.program->Run().AutoMode, Automation::Manual);
  run.FullSequence();

  const std::vector<sim::TranscriptEntry> end = run.PromptsCaptioned("End of Full Sequence");
  ASSERT_EQ(end.size(), 1u) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(end[0].text, "Full Sequence Passed.") << Utf8FromText8(run.DisplayText());
  ExpectEveryTestPassed(run);
  ExpectCleanTranscript(run);

  const std::vector<std::string> sampleRate = RowsUnder(run, kSampleRateTitle);
  ASSERT_EQ(sampleRate.size(), 1u);
  ExpectSampleRateMeasures(run, sampleRate[0]);
  EXPECT_EQ(RowsUnder(run, kTriggerTitle).size(), 6u);

  // The hand work of the two tests, in the words the technician was given.
  const std::vector<sim::TranscriptEntry> marks = run.PromptsCaptioned("Long Term Sample Rate & Delay Time");
  ASSERT_FALSE(marks.empty());
  EXPECT_EQ(marks[0].text, "Connect the a Time Mark Generator to CH 1 through a 50 ohm termination.\r\nSet it to 10 ms.");
  std::vector<std::string> trigger;
  for (const sim::TranscriptEntry& entry : run.PromptsCaptioned("Edge Trigger Sensitivity")) trigger.push_back(entry.text);
  EXPECT_EQ(trigger, (std::vector<std::string>{"Connect the Signal Generator through a 50 ohm termination to CH 1.",
                                               "Move the signal (including the 50 ohm termination) to CH 2.",
                                               "Move the signal (including the 50 ohm termination) to EXT TRIG."}));
  // Every test ends with the reminder in manual mode, but none with a message of its own.
  EXPECT_EQ(run.PromptsCaptioned("Edge Trigger Sensitivity / End of Test").size(), 1u);
  EXPECT_EQ(run.PromptsCaptioned("Edge Trigger Sensitivity / End of Test")[0].text, "Disconnect all input signals.");
}

TEST(TimebaseFault, OnlyTheSampleRateRowFails) {
  E2eRun run("timebase-fault");
  ASSERT_TRUE(run.Start());
  run.RunTest(kTestSampleRate);
  const std::vector<std::string> rows = RowsUnder(run, kSampleRateTitle);
  ASSERT_EQ(rows.size(), 1u) << Utf8FromText8(run.DisplayText());
  EXPECT_EQ(Verdict(rows[0]), " FAIL") << Utf8FromText8(rows[0]);
  EXPECT_EQ(run.Status(kTestSampleRate), TestOutcome::Failed);
  run.RunTest(kTestTrigger);
  EXPECT_EQ(run.Status(kTestTrigger), TestOutcome::Passed);
  ExpectCleanTranscript(run);
}

TEST(TriggerFault, TheChannelOneRowsAreNotTriggered) {
  E2eRun run("trigger-fault");
  ASSERT_TRUE(run.Start());
  run.RunTest(kTestTrigger);
  const std::vector<std::string> rows = RowsUnder(run, kTriggerTitle);
  ASSERT_EQ(rows.size(), 6u) << Utf8FromText8(run.DisplayText());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].find("NOT TRIG'D") != std::string::npos, i < 2) << rows[i];
    EXPECT_EQ(Verdict(rows[i]), i < 2 ? " FAIL" : " PASS") << rows[i];
  }
  EXPECT_EQ(run.Status(kTestTrigger), TestOutcome::Failed);
  run.RunTest(kTestSampleRate);
  EXPECT_EQ(run.Status(kTestSampleRate), TestOutcome::Passed);
}

// Found levels lie inside each source's swing by its sensitivity: the sweep's 10 mV steps put
// them within one step of (half the swing - sensitivity). The external input's own bandwidth
// takes a little off its swing at the test frequency, so there the levels lie a little inside.
TEST(TriggerLevels, FoundWhereTheScopeStartsToTrigger) {
  E2eRun run("default");
  ASSERT_TRUE(run.Start());
  run.RunTest(kTestTrigger);
  const std::vector<std::string> rows = RowsUnder(run, kTriggerTitle);
  ASSERT_EQ(rows.size(), 6u);
  const sim::ScopeTriggerSensitivity& s = run.Description().scope.triggerSensitivity;
  const double channelEdge = 250 - 1000 * s.ch1;   // mV, 0.5 V p-p
  const double extEdge = 750 - 10000 * s.ext;      // mV, 1.5 V p-p through the divider
  for (size_t i = 0; i < rows.size(); ++i) {
    const double below = std::stod(rows[i].substr(43, 11));
    const double above = std::stod(rows[i].substr(60, 4));
    if (i < 4) {
      EXPECT_NEAR(below, -channelEdge, 25) << rows[i];
      EXPECT_NEAR(above, channelEdge, 25) << rows[i];
    } else {
      EXPECT_LE(-below, extEdge + 10) << rows[i];
      EXPECT_GE(-below, extEdge - 60) << rows[i];
      EXPECT_NEAR(above, -below, 20) << rows[i];
    }
  }
}

}  // namespace
}  // namespace veridane::testing
