// Healthy scopes through the whole program: start-up on the simulated bench, then the Offset at
// Zero and DC Voltage Measurement tests started as the P/V menu starts them, in Auto mode and
// with the technician doing the hand work.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text8.h"
#include "sim/bench/shipped_benches.h"
#include "test/e2e/e2e_run.h"
#include "test/e2e/expected_rows.h"
#include "test/e2e/table_checks.h"

namespace veridane::testing {
namespace {

const std::string kTitle = "Veridane, v1.0 - Feb 2025 / QZ";
const std::string kMark = " [Simulated bench]";
const std::string kPassed = "Test Passed.              ";
const std::string kOffsetPassLine = std::string(20, ' ') + "Offset at Zero - PASS";
const std::string kDcPassLine = std::string(12, ' ') + "DC Voltage Measurement - PASS";

void ExpectEveryRowPasses(const ResultTable& table) {
  for (const std::string& row : table.AllRows()) EXPECT_EQ(Verdict(row), " PASS") << Utf8FromText8(row);
}

// Both tables complete, every row a clean PASS, the measured columns as the scope answered.
void ExpectBothTablesPass(const E2eRun& run) {
  const ResultTable offset = FindResultTable(run.DisplayText(), kOffsetTitle);
  ExpectOffsetTable(offset, run.ChannelFaults());
  ExpectEveryRowPasses(offset);
  ExpectOffsetMeasurements(offset, run.MeasurementReplies(1));

  const ResultTable dc = FindResultTable(run.DisplayText(), kDcTitle);
  ExpectDcTable(dc, run.ChannelFaults());
  ExpectEveryRowPasses(dc);
  ExpectDcMeasurements(dc, run.MeasurementReplies(2));
  EXPECT_TRUE(dc.after.empty()) << Utf8FromText8(dc.after.front());

  EXPECT_EQ(run.Status(1), TestOutcome::Passed);
  EXPECT_EQ(run.Status(2), TestOutcome::Passed);
}

void ExpectOnePrompt(const E2eRun& run, const std::string& caption, const std::string& text, int16_t style) {
  const std::vector<sim::TranscriptEntry> prompts = run.PromptsCaptioned(caption);
  ASSERT_EQ(prompts.size(), 1u) << caption << "\n" << Utf8FromText8(run.Transcript());
  EXPECT_EQ(prompts[0].text, text) << caption;
  EXPECT_EQ(prompts[0].style, style) << caption;
}

void ExpectCleanTranscript(const E2eRun& run) {
  EXPECT_EQ(run.technician->ErrorCount(), 0) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(run.technician->UnknownCount(), 0) << Utf8FromText8(run.Transcript());
}

TEST(HealthyAuto, Tds340PassesBothTestsRowByRow) {
  E2eRun run("default");
  ASSERT_TRUE(run.Start());
  ASSERT_EQ(run.program->Run().AutoMode, Automation::Full);
  run.RunTest(1);
  run.RunTest(2);

  ExpectBothTablesPass(run);
  ASSERT_EQ(run.view.statusLines.size(), 6u);
  EXPECT_EQ(run.view.statusLines[0], kOffsetPassLine);
  EXPECT_EQ(run.view.statusLines[1], kDcPassLine);
  EXPECT_EQ(run.view.counters[0], "2");
  EXPECT_EQ(run.view.counters[1], "0");
  EXPECT_EQ(run.view.counters[2], "3");

  // Auto mode: no hand work; the offset test asks nothing, the DC test only for the
  // terminations; full Auto needs no reminder to disconnect.
  EXPECT_TRUE(run.PromptsCaptioned("Offset at Zero").empty());
  ExpectOnePrompt(run, "DC Voltage Measurement", "If present remove any a 50 ohm termination(s) at the inputs.", 65);
  EXPECT_TRUE(run.PromptsCaptioned("Set the Calibrator").empty());
  ExpectOnePrompt(run, "Offset at Zero / End of Test", kPassed, 64);
  ExpectOnePrompt(run, "DC Voltage Measurement / End of Test", kPassed, 64);
  ExpectCleanTranscript(run);
  EXPECT_EQ(run.view.Caption(), kTitle + "  (Auto)" + kMark);
}

struct ManualCase {
  const char* name;
  const char* bench;
  bool autoOffered;              // the bench has every instrument; the technician says No
  const char* calibratorName;    // as the prompts name it
  bool calibratorSetByHand;      // no calibrator on the bus
};

void PrintTo(const ManualCase& c, std::ostream* os) { *os << c.name; }

class HealthyManual : public ::testing::TestWithParam<ManualCase> {};

TEST_P(HealthyManual, TechnicianDoesTheHandWorkAndBothTestsPass) {
  const ManualCase& c = GetParam();
  sim::TechnicianOptions options;
  options.autoModeAnswer = kNo;
  E2eRun run(c.bench, options);
  ASSERT_TRUE(run.Start());
  ASSERT_EQ(run.program->Run().AutoMode, Automation::Manual);
  EXPECT_EQ(run.PromptsCaptioned("Auto mode possible").size(), c.autoOffered ? 1u : 0u);
  run.RunTest(1);
  run.RunTest(2);

  ExpectBothTablesPass(run);
  EXPECT_EQ(run.view.statusLines[0], kOffsetPassLine);
  EXPECT_EQ(run.view.statusLines[1], kDcPassLine);

  ExpectOnePrompt(run, "Offset at Zero", "Disconnect all input signals.", 65);
  // Nothing was connected for the offset test: no reminder.
  ExpectOnePrompt(run, "Offset at Zero / End of Test", kPassed, 64);

  const std::vector<sim::TranscriptEntry> dcPrompts = run.PromptsCaptioned("DC Voltage Measurement");
  ASSERT_EQ(dcPrompts.size(), 2u) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(dcPrompts[0].text, std::string("Connect the ") + c.calibratorName + " to CH 1.");
  EXPECT_EQ(dcPrompts[1].text, "Move the signal to CH 2.");
  for (const sim::TranscriptEntry& prompt : dcPrompts) EXPECT_EQ(prompt.style, 65);
  ExpectOnePrompt(run, "DC Voltage Measurement / End of Test", kPassed + "\n\nDisconnect all input signals.", 64);

  // Twelve outputs, each set once (OK/Cancel), and the standby settings (OK only) between;
  // whether the technician set them right shows in the measured column.
  size_t outputs = 0, standbys = 0;
  for (const sim::TranscriptEntry& prompt : run.PromptsCaptioned("Set the Calibrator")) {
    outputs += prompt.style == (kOkCancel + kExclamation).Code();
    standbys += prompt.style == BoxStyle(kExclamation).Code();
  }
  EXPECT_EQ(outputs, c.calibratorSetByHand ? 12u : 0u);
  EXPECT_EQ(standbys > 0, c.calibratorSetByHand);
  ExpectCleanTranscript(run);

  // The technician heeded the reminder.
  for (sim::ScopeInput input : {sim::ScopeInput::Ch1, sim::ScopeInput::Ch2})
    EXPECT_EQ(run.bench->SignalAt(input).kind, sim::Signal::Kind::None);
  EXPECT_EQ(run.view.Caption(), kTitle + kMark);
}

INSTANTIATE_TEST_SUITE_P(Benches, HealthyManual,
                         ::testing::Values(ManualCase{"ScopeOnly", "scope-only", false, "Calibrator", true},
                                           ManualCase{"AutoDeclined", "default", true, "Fluke 5100A/B", false}),
                         [](const auto& info) { return std::string(info.param.name); });

const std::vector<std::string> kModelBenches = {"tds310", "tds320", "tds340", "tds340a",
                                                "tds350", "tds360", "tds380"};

TEST(ShippedModelBenches, EveryModelHasItsBench) {
  std::vector<std::string> shipped;
  for (const std::string& name : sim::ShippedBenchNames())
    if (name.rfind("tds", 0) == 0) shipped.push_back(name);
  EXPECT_EQ(shipped, kModelBenches);
}

class ModelBench : public ::testing::TestWithParam<std::string> {};

TEST_P(ModelBench, PassesBothTestsInAutoMode) {
  E2eRun run(GetParam());
  ASSERT_TRUE(run.Start());
  EXPECT_EQ(run.program->Scope().ScopeModel, run.Description().scope.model);
  ASSERT_EQ(run.program->Run().AutoMode, Automation::Full) << Utf8FromText8(run.Transcript());
  run.RunTest(1);
  run.RunTest(2);
  ExpectBothTablesPass(run);
  ExpectCleanTranscript(run);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ModelBench, ::testing::ValuesIn(kModelBenches));

// The whole sequence runs on the virtual clock: every wait the tests make passes at once, so
// the sequence takes no real waiting time however long the scope is given to settle.
TEST(HealthyFullSequence, PassesOnTheVirtualClock) {
  E2eRun run("default");
  ASSERT_TRUE(run.Start());
  const double startedAt = run.clock.Now();
  run.FullSequence();

  ExpectOnePrompt(run, "End of Full Sequence", "Full Sequence Passed.", 64);
  ExpectOnePrompt(run, "Adjust",
                  "You have selected to do a Full Sequence PV of the TDS 340.\nAre you sure you want to continue ?", 36);
  for (int16_t n = 1; n <= run.program->Run().NumberOfTests; ++n) {
    if (!run.program->HasTest(n)) continue;
    EXPECT_EQ(run.Status(n), TestOutcome::Passed) << "test " << n;
  }
  ExpectOffsetTable(FindResultTable(run.DisplayText(), kOffsetTitle), run.ChannelFaults());
  ExpectDcTable(FindResultTable(run.DisplayText(), kDcTitle), run.ChannelFaults());
  // Within a sequence in full Auto mode no test ends with a message of its own.
  EXPECT_TRUE(run.PromptsCaptioned("Offset at Zero / End of Test").empty());
  EXPECT_TRUE(run.PromptsCaptioned("DC Voltage Measurement / End of Test").empty());
  ExpectCleanTranscript(run);
  // The settling waits were made: 4 s per offset reading, 2 s + 4 s per DC reading and 1 s
  // more at 98 V.
  EXPECT_GE(run.clock.Now() - startedAt, 10 * 4.0 + 12 * 6.0 + 2 * 1.0);
}

}  // namespace
}  // namespace veridane::testing
