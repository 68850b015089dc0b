// The technician presses Exit Test while the DC Voltage Measurement test works on channel 2:
// the rows already shown stay, the termination is announced in the display and in the end
// message, and the test's status is left as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text8.h"
#include "results/results_recorder.h"
#include "test/e2e/e2e_run.h"
#include "test/e2e/expected_rows.h"
#include "test/e2e/table_checks.h"

namespace veridane::testing {
namespace {

const std::string kTerminated = "Test Sequence Terminated by Operator.";
const std::string kDcEnd = "DC Voltage Measurement / End of Test";

// Presses Exit Test `delay` virtual seconds after channel 2 is switched on, and keeps what the
// display held at that moment.
struct ExitDuringChannel2 {
  ExitDuringChannel2(E2eRun& run, double delay) {
    run.OnTrace("<- SEL:CH2 ON", [&run, this, delay] {
      run.clock.ScheduleAfter(delay, [&run, this] {
        displayAtExit = run.DisplayText();
        run.PressExitTest();
        pressed = true;
      });
    });
  }
  std::string displayAtExit;
  bool pressed = false;
};

// The stopped table: channel 1 complete and passed, channel 2 cut short, then the notice.
void ExpectStoppedTable(const E2eRun& run, const ExitDuringChannel2& exit) {
  ASSERT_TRUE(exit.pressed);
  // Nothing shown before the button was pressed is gone.
  EXPECT_EQ(run.DisplayText().substr(0, exit.displayAtExit.size()), exit.displayAtExit);

  const ResultTable table = FindResultTable(run.DisplayText(), kDcTitle);
  ASSERT_TRUE(table.found);
  ASSERT_EQ(table.channel1.size(), kDcRows.size());
  for (size_t i = 0; i < table.channel1.size(); ++i) {
    ExpectDcRowLayout(table.channel1[i], 1, i);
    EXPECT_EQ(Verdict(table.channel1[i]), " PASS");
  }
  EXPECT_LT(table.channel2.size(), kDcRows.size());
  for (size_t i = 0; i < table.channel2.size(); ++i) ExpectDcRowLayout(table.channel2[i], 2, i);
  EXPECT_EQ(table.after, (std::vector<std::string>{"", "TEST SEQUENCE TERMINATED BY OPERATOR."}));
}

TEST(ExitTest, DuringChannel2KeepsTheRowsAndLeavesTheStatusNotRun) {
  E2eRun run("default");
  ASSERT_TRUE(run.Start());
  ExitDuringChannel2 exit(run, 7);
  run.RunTest(kTestGain);

  ExpectStoppedTable(run, exit);
  const ResultTable table = FindResultTable(run.DisplayText(), kDcTitle);
  EXPECT_GE(table.channel2.size(), 1u) << "pressed late enough for a row of channel 2";
  EXPECT_EQ(run.Status(kTestGain), TestOutcome::NotRun);
  EXPECT_EQ(run.view.statusLines[1], std::string(12, ' ') + "DC Voltage Measurement - N/A");
  EXPECT_EQ(run.view.counters[2], "5");

  // Full Auto mode: no reminder after the notice.
  const std::vector<sim::TranscriptEntry> ends = run.PromptsCaptioned(kDcEnd);
  ASSERT_EQ(ends.size(), 1u) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(ends[0].text, kTerminated);
  EXPECT_EQ(ends[0].style, 64);
  EXPECT_FALSE(run.program->Run().AbortFlag);
  EXPECT_EQ(run.view.State("ExitTestButton"), "disabled");
  EXPECT_EQ(run.view.State("P"), "enabled");
  // The calibrator is put back to standby after the stop: it may have been at 98 V.
  const sim::InstrumentEntry* calibrator = run.Description().Find(sim::InstrumentKind::Calibrator);
  ASSERT_TRUE(calibrator && calibrator->address);
  const std::string toCalibrator = "W " + std::to_string(*calibrator->address) + " <- ";
  std::string lastToCalibrator;
  for (const std::string& line : run.trace)
    if (line.rfind(toCalibrator, 0) == 0) lastToCalibrator = line;
  EXPECT_EQ(lastToCalibrator, toCalibrator + "CC");
}

TEST(ExitTest, DuringChannel2WithdrawsAnEarlierPass) {
  E2eRun run("default");
  ASSERT_TRUE(run.Start());
  run.RunTest(kTestGain);
  ASSERT_EQ(run.Status(kTestGain), TestOutcome::Passed);

  ExitDuringChannel2 exit(run, 7);
  run.RunTest(kTestGain);
  ExpectStoppedTable(run, exit);
  // The stopped run has no result, and the earlier PASS no longer stands for the test.
  EXPECT_EQ(run.Status(kTestGain), TestOutcome::NotRun);
  EXPECT_EQ(run.view.statusLines[1], std::string(12, ' ') + "DC Voltage Measurement - N/A");
}

TEST(ExitTest, DuringChannel2InManualModeRemindsToDisconnect) {
  E2eRun run("scope-only");
  ASSERT_TRUE(run.Start());
  ExitDuringChannel2 exit(run, 1);
  run.RunTest(kTestGain);

  ExpectStoppedTable(run, exit);
  EXPECT_EQ(run.Status(kTestGain), TestOutcome::NotRun);
  const std::vector<sim::TranscriptEntry> ends = run.PromptsCaptioned(kDcEnd);
  ASSERT_EQ(ends.size(), 1u) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(ends[0].text, kTerminated + "\n\nDisconnect all input signals.");
  for (sim::ScopeInput input : {sim::ScopeInput::Ch1, sim::ScopeInput::Ch2})
    EXPECT_EQ(run.bench->SignalAt(input).kind, sim::Signal::Kind::None);
  EXPECT_EQ(run.technician->UnknownCount(), 0) << Utf8FromText8(run.Transcript());
}

}  // namespace
}  // namespace veridane::testing

namespace veridane::testing {
namespace {

// CH2 cannot carry the trigger test's signal on the bandwidth-fault bench: the technician is
// asked whether to go on ("Large Amplitude Error") until they answer No. The stop stands (the
// termination line, the sequence ends), but what stopped it is the scope, so the test fails on
// that finding instead of ending without a result.
TEST(SignalAnsweredNo, FailsTheTestOnItsFindingAndEndsTheFullSequence) {
  E2eRun run("bandwidth-fault");
  ASSERT_TRUE(run.Start());
  run.FullSequence();

  const std::string finding = "Edge Trigger Sensitivity - SIGNAL COULD NOT BE SET: TEST FAILED.";
  const std::string why = "  (\"Large Amplitude Error\" answered No)";
  const std::string shown = run.DisplayText();
  EXPECT_NE(shown.find("\r\n\r\nTEST SEQUENCE TERMINATED BY OPERATOR.\r\n" + finding + "\r\n" + why), std::string::npos)
      << shown.substr(shown.size() > 600 ? shown.size() - 600 : 0);
  EXPECT_EQ(run.Status(kTestTrigger), TestOutcome::Failed);
  EXPECT_EQ(run.program->Run().TestFindings[kTestTrigger], finding + " " + Trim(why));
  EXPECT_NE(run.view.statusLines[kTestTrigger - 1].find("Edge Trigger Sensitivity - FAIL"), std::string::npos)
      << run.view.statusLines[kTestTrigger - 1];

  const std::vector<sim::TranscriptEntry> ends = run.PromptsCaptioned("Edge Trigger Sensitivity / End of Test");
  ASSERT_EQ(ends.size(), 1u) << Utf8FromText8(run.Transcript());
  EXPECT_EQ(ends[0].text, "Test Sequence Terminated by Operator.\nFull Sequence Terminated.");
  EXPECT_TRUE(run.PromptsCaptioned("End of Full Sequence").empty());
  EXPECT_FALSE(run.program->Run().FullSeqRunning);
  EXPECT_FALSE(run.program->Run().AbortFlag);

  // The window's record keeps it as a script's does: the test failed, with its finding.
  ResultsRecorder* recorder = run.launcher.Recorder();
  ASSERT_TRUE(recorder != nullptr && recorder->Store() != nullptr && !recorder->RunIds().empty());
  const std::vector<RunTestOutcome> stored = recorder->Store()->TestOutcomes(recorder->RunIds().back());
  ASSERT_EQ(stored.size(), 5u);
  EXPECT_EQ(stored.back(), (RunTestOutcome{kTestTrigger, "Edge Trigger Sensitivity", TestOutcome::Failed,
                                           finding + " " + Trim(why)}));
  EXPECT_EQ(stored[kTestBandwidth - 1].outcome, TestOutcome::Failed);  // its CH2 rows
  EXPECT_EQ(stored[kTestOffsetZero - 1].outcome, TestOutcome::Passed);

  // The next test run alone starts clean: no finding left over from the stop.
  run.RunTest(kTestOffsetZero);
  EXPECT_TRUE(run.program->Run().TestFindings[kTestOffsetZero].empty());
  EXPECT_EQ(run.Status(kTestOffsetZero), TestOutcome::Passed);
}

}  // namespace
}  // namespace veridane::testing
