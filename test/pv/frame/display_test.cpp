#include "pv/frame/result_display.h"
#include "pv/catalogue.h"

#include <gtest/gtest.h>

#include "platform/event_loop.h"
#include "test/support/scripted_operator.h"
#include "test/support/frame_fakes.h"
#include "report/format.h"
#include "pv/frame/status_list.h"

namespace veridane {
namespace {

using testing::RecordingLog;
using testing::RecordingView;
using testing::ScriptedOperator;

const char* const kClearQuestion = "This will clear screen and (re)set all test status.\r\nDo you want to continue ?";

class ResultDisplayTest : public ::testing::Test {
 protected:
  ResultDisplayTest() {
    FrameHooks hooks;
    GiveTitles(hooks);
    state.TestNames = hooks.Titles;
    state.NumberOfTests = static_cast<int16_t>(TestCatalogue().size() - 1);
    state.CurrentTest = kTestOffsetZero;
  }
  RunState state;
  RecordingView view;
  ScriptedOperator technician;
  VirtualClock clock;
  ResultDisplay display{view, state, technician, clock};
};

TEST_F(ResultDisplayTest, FirstLineEnablesPrintingAndClearing) {
  EXPECT_TRUE(display.ClearScreenQuery());  // empty: no question
  display.PrintScreen("first");
  EXPECT_EQ(view.State(ui::kPrintStart), "enabled");
  EXPECT_EQ(view.State(ui::kClearTests), "enabled");
  EXPECT_EQ(view.State(ui::kClearTests2), "enabled");
  display.PrintScreen("");
  display.PrintScreen("third");
  EXPECT_EQ(display.Text(), "first\r\n\r\nthird");
  EXPECT_EQ(view.Display(), display.Text());
  EXPECT_EQ(view.ShowEndCount(), 3);
  EXPECT_EQ(clock.ProcessEventsCount(), 3);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(ResultDisplayTest, PrintFirstWritesTheHeadingBlock) {
  display.PrintScreen("earlier");
  display.PrintFirst("Test ACQ / 1 of 3", "HEADER");
  EXPECT_EQ(display.Text(), "earlier\r\n\r\nOffset at Zero - Test ACQ / 1 of 3\r\nHEADER\r\n");
  display.ClearDisplay();
  state.CurrentTest = kTestTrigger;
  display.PrintScreen("x");
  display.PrintFirst("", "");
  EXPECT_EQ(display.Text(), "x\r\n\r\nEdge Trigger Sensitivity");
}

TEST_F(ResultDisplayTest, OpenLogGetsEveryLineCompactedAndKeepsClearingOff) {
  RecordingLog log;
  display.SetResultLog(&log);
  const std::string row = " CH 1     2 mV/div      PASS";
  display.PrintScreen(row);
  display.PrintScreen("");
  display.PrintScreen("Offset at Zero - Test ACQ / 1 of 3");
  ASSERT_EQ(log.lines.size(), 3u);
  EXPECT_EQ(log.lines[0], CompactLine(row));
  EXPECT_EQ(log.lines[1], "");
  EXPECT_EQ(ExpandLine(log.lines[0]), row);
  EXPECT_EQ(view.State(ui::kPrintStart), "enabled");
  EXPECT_EQ(view.State(ui::kClearTests), "unset");
  EXPECT_EQ(view.State(ui::kClearTests2), "unset");

  log.open = false;
  display.PrintScreen("after close");
  EXPECT_EQ(log.lines.size(), 3u);
}

TEST_F(ResultDisplayTest, ClearQuestionAnsweredNoChangesNothing) {
  display.PrintScreen("row");
  state.TestStatus[2] = TestOutcome::Failed;
  technician.Expect(kClearQuestion, 36, "Create Log File", kNo);
  display.ClearTests();
  EXPECT_EQ(display.Text(), "row");
  EXPECT_EQ(state.TestStatus[2], TestOutcome::Failed);
  EXPECT_EQ(view.State(ui::kClearTests), "enabled");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(ResultDisplayTest, ClearDisplayStatusClearsEverything) {
  display.PrintScreen("row");
  state.TestStatus = {TestOutcome::NotRun, TestOutcome::Passed, TestOutcome::Failed, TestOutcome::NotRun, TestOutcome::NotRun, TestOutcome::Passed};
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes);
  display.ClearTests();
  EXPECT_EQ(display.Text(), "");
  EXPECT_EQ(view.Display(), "");
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(state.TestStatus[static_cast<size_t>(n)], TestOutcome::NotRun);
  EXPECT_EQ(view.Counter(2), "5");
  EXPECT_EQ(view.State(ui::kPrintStart), "disabled");
  EXPECT_EQ(view.State(ui::kClearTests), "disabled");
  EXPECT_EQ(view.State(ui::kClearTests2), "disabled");
  // The next line into the empty display enables them again.
  display.PrintScreen("new");
  EXPECT_EQ(view.State(ui::kClearTests2), "enabled");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(ResultDisplayTest, AnswersOtherThanNoProceed) {
  display.PrintScreen("row");
  technician.Expect(kClearQuestion, 36, "Create Log File", kYes);
  technician.Expect(kClearQuestion, 36, "Create Log File", kCancel);
  technician.Expect(kClearQuestion, 36, "Create Log File", kNo);
  EXPECT_TRUE(display.ClearScreenQuery());
  EXPECT_TRUE(display.ClearScreenQuery());
  EXPECT_FALSE(display.ClearScreenQuery());
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(ResultDisplayTest, SetTextReplacesTheTranscript) {
  display.PrintScreen("old");
  display.SetText("a\r\nb");
  EXPECT_EQ(display.Text(), "a\r\nb");
  EXPECT_EQ(view.Display(), "a\r\nb");
  display.PrintScreen("c");
  EXPECT_EQ(view.Display(), "a\r\nb\r\nc");
}

// A judged step is shown as a result, and kept with its uncertainty; its row reaches the log
// through the log's own sink, which writes it only while the log is open.
TEST_F(ResultDisplayTest, JudgedStepsAreShownAsResultsAndLoggedByTheLogsSink) {
  RecordingLog log;
  display.SetResultLog(&log);
  display.PrintFirst("Test ACQ / 1 of 3", "HEADER");
  StepResult result = MakeStepResult(ScaleStep("CH2", 0.002f), "V", Judge(0, -0.0032f, JudgeMode::TwoSided, 0.005f), 0.005f);
  const std::string row = " CH 2  2 mV/div  \xB1" "3.20 mV  5.00 mV" + std::string(VerdictText(result.verdict));
  result.text = row;
  const AssessedStep step = MakeAssessedStep(state, result);
  EXPECT_EQ(step.result.test, kTestOffsetZero);
  EXPECT_EQ(step.result.testName, "Offset at Zero");
  const size_t logged = log.lines.size();
  static_cast<StepSink&>(log).Step(step);
  display.Step(step);
  ASSERT_EQ(log.lines.size(), logged + 1);  // once, by the log's sink
  EXPECT_EQ(log.lines.back(), CompactLine(row));
  EXPECT_EQ(display.Text().substr(display.Text().size() - row.size()), row);
  ASSERT_EQ(display.Results().size(), 1u);
  EXPECT_EQ(*display.Results()[0].result.upper, 0.0032);  // the decimal limit, not its binary neighbour
  log.open = false;
  static_cast<StepSink&>(log).Step(step);
  EXPECT_EQ(log.lines.size(), logged + 1);
}

// Each measured row is assessed against the register with the readings made for it; the row's
// text is not touched by the decision.
TEST_F(ResultDisplayTest, MeasuredRowsCarryTheirUncertaintyFromTheirReadings) {
  UncertaintyFigure dc;
  dc.percentOfValue = 0.02;
  dc.absolute = 50e-6;
  state.StandardUncertainties = {dc};
  state.DecisionRule = DecisionRule::Guarded;
  StepResult measured = MakeStepResult("CH1 10 mV/div 60 mV", "V", Judge(0.06f, -0.0054f, JudgeMode::TwoSided, 0.06536f), 0.06536f);
  measured.text = " CH1 60 mV" + std::string(VerdictText(measured.verdict));
  const std::vector<StandardSetting> calibrator{{StandardFunction::DcVoltage, 0.06, std::nullopt}};
  display.Step(MakeAssessedStep(state, measured, calibrator, {StepReadings{{"6.0107E-2"}}}));
  display.Step(MakeAssessedStep(state, measured, calibrator));

  ASSERT_EQ(display.Results().size(), 2u);
  const AssessedStep& first = display.Results()[0];
  ASSERT_EQ(first.readings.size(), 1u);
  EXPECT_EQ(first.readings[0].replies, (std::vector<std::string>{"6.0107E-2"}));
  ASSERT_TRUE(first.uncertainty.budget.Stated());
  EXPECT_EQ(first.uncertainty.judged.decision, Decision::ConditionalPass);  // 40 µV under the limit, U about 62 µV
  EXPECT_EQ(first.result.verdict, Verdict::Marginal);
  EXPECT_TRUE(first.result.text.ends_with(">PASS")) << first.result.text;
  // The second row had no measurement of its own: no resolution taken from the first.
  EXPECT_TRUE(display.Results()[1].readings.empty());
  display.ClearDisplay();
  EXPECT_TRUE(display.Results().empty());
}

}  // namespace
}  // namespace veridane
