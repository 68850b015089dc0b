#include "pv/frame/progress_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "pv/catalogue.h"
#include "pv/frame/result_display.h"
#include "pv/frame/sequence_summary.h"
#include "pv/frame/test_frame.h"
#include "pv/progress_plan.h"
#include "test/support/frame_fakes.h"

namespace veridane {
namespace {

using testing::RecordingView;

// Answers every box with OK (the end-of-test messages, the clear question).
class OkOperator : public Operator {
 public:
  BoxAnswer ShowMessBox(std::string_view, int16_t, std::string_view) override { return kOk; }
  void ShowInfo(std::string_view) override {}
  [[noreturn]] void EndProgram() override { throw ProgramEnded(); }
};

TEST(ClockText, MinutesSecondsAndHours) {
  EXPECT_EQ(ClockText(0), "0:00");
  EXPECT_EQ(ClockText(7.4), "0:07");
  EXPECT_EQ(ClockText(59.6), "1:00");
  EXPECT_EQ(ClockText(750), "12:30");
  EXPECT_EQ(ClockText(3723), "1:02:03");
  EXPECT_EQ(ClockText(-5), "0:00");
}

TEST(ProgressTracker, PlanFirstThenTheMeasuredPace) {
  ProgressTracker tracker;
  EXPECT_EQ(tracker.Text(0), "");
  tracker.Begin("Offset at Zero", {10, 4.0}, 100);
  EXPECT_EQ(tracker.Text(100), "Offset at Zero: step 1 of 10, 0:00 elapsed, about 0:40 left");
  EXPECT_DOUBLE_EQ(tracker.SecondsLeft(103), 37);  // no row yet: the plan less the time gone
  for (int i = 0; i < 4; ++i) tracker.Step();
  // Four rows in 40 s: the measured 10 s a row, not the planned 4 s, for the six left.
  EXPECT_EQ(tracker.Text(140), "Offset at Zero: step 5 of 10, 0:40 elapsed, about 1:00 left");
  for (int i = 0; i < 6; ++i) tracker.Step();
  EXPECT_EQ(tracker.Text(150), "Offset at Zero: step 10 of 10, 0:50 elapsed, about 0:00 left");
  tracker.Step();  // more rows than planned: the count grows rather than passing the total
  EXPECT_EQ(tracker.Total(), 11);
  tracker.End(160);
  EXPECT_EQ(tracker.Text(999), "Offset at Zero: 11 of 11 steps in 1:00");

  // Without a plan, rows are still counted, with no total and no estimate.
  tracker.Begin("Self Cal", {}, 0);
  tracker.Step();
  EXPECT_EQ(tracker.Text(5), "Self Cal: step 2, 0:05 elapsed");
}

// The real frame and display driving the progress view on the virtual clock.
class ProgressViewTest : public ::testing::Test {
 protected:
  ProgressViewTest() {
    GiveTitles(frame.Hooks());
    frame.NameTests();
    progress.Attach(state);
    frame.Sinks().progress = &progress;
  }

  // A test with n result rows, one every `pace` seconds, each with one of `verdicts`.
  void RunRows(int16_t test, const std::vector<Verdict>& verdicts, double pace) {
    frame.Run(test, {" ", nullptr,
                     [&](StopToken) {
                       display.PrintFirst("", "CHANNEL    MEASURED    PASS/FAIL");
                       for (Verdict verdict : verdicts) {
                         clock.Wait(Seconds(pace));
                         StepResult result;
                         result.verdict = verdict;
                         result.text = " CH 1      1.0 mV        " + std::string(VerdictText(verdict));
                         frame.Step(result);
                         texts.push_back(progress.Tracker().Text(clock.Now()));
                         clearDuringTest.push_back(inner.State(ui::kClearTests2));
                       }
                       return TestOutcome::Passed;
                     },
                     InputsConnected::No});
  }

  RunState state;
  RecordingView inner;
  VirtualClock clock;
  std::vector<std::string> shown;
  ProgressView progress{inner, clock, [](int n) { return PlannedProgress(n); },
                        [this](std::string_view text) { shown.emplace_back(text); }};
  OkOperator technician;
  ResultDisplay display{progress, state, technician, clock};
  TestFrame frame{state, progress, display, technician, clock};
  std::vector<std::string> texts;
  std::vector<std::string> clearDuringTest;
};

TEST_F(ProgressViewTest, CountsTheVerdictRowsOfTheRunningTestAgainstItsPlan) {
  RunRows(kTestOffsetZero, {Verdict::Pass, Verdict::Marginal, Verdict::NotMeasurable}, 5);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "Offset at Zero: step 2 of 10, 0:05 elapsed, about 0:45 left");
  EXPECT_EQ(texts[2], "Offset at Zero: step 4 of 10, 0:15 elapsed, about 0:35 left");
  // Heading, header and empty rows are no steps; the end is reported once the test has ended.
  EXPECT_EQ(progress.Tracker().Done(), 3);
  EXPECT_FALSE(progress.Tracker().Running());
  EXPECT_EQ(shown.front(), "Offset at Zero: step 1 of 10, 0:00 elapsed, about 0:45 left");
  EXPECT_EQ(shown.back(), "Offset at Zero: 3 of 10 steps in 0:15");

  // Results shown between tests are not counted, nor is text that merely ends like a result.
  StepResult stray;
  stray.text = " stray        FAIL";
  frame.Step(stray);
  EXPECT_EQ(progress.Tracker().Done(), 3);
  frame.Run(kTestGain, {" ", nullptr, [this](StopToken) {
                          display.PrintScreen(" text         FAIL");
                          EXPECT_EQ(progress.Tracker().Done(), 0);
                          return TestOutcome::Passed;
                        }});
}

TEST_F(ProgressViewTest, ClearDisplayStaysDisabledWhileATestRunsAndFollowsTheDisplayAfter) {
  RunRows(kTestGain, {Verdict::Pass, Verdict::Pass}, 1);
  // The display's first row asked for Clear Display; the running test kept it off.
  for (const std::string& state : clearDuringTest) EXPECT_EQ(state, "disabled");
  EXPECT_EQ(inner.State(ui::kClearTests2), "enabled");

  // A display cleared before the test keeps it off after the test too.
  display.ClearTests();
  EXPECT_EQ(inner.State(ui::kClearTests2), "disabled");
  frame.Run(kTestOffsetZero, {" ", nullptr, [](StopToken) { return TestOutcome::NotApplicable; }, InputsConnected::No});
  EXPECT_EQ(inner.State(ui::kClearTests2), "disabled");
}

TEST(FullSequenceSummary, SaysHowItEndedAndNamesWhatFailed) {
  RunState state;
  FrameHooks hooks;
  GiveTitles(hooks);
  state.TestNames = hooks.Titles;
  state.NumberOfTests = kTestTrigger;  // as the frame names them from the catalogue
  state.SelfCalResult = 0;
  state.TestStatus = {TestOutcome::NotRun, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed};
  EXPECT_EQ(FullSequenceSummary(state, true, 843), "Full Sequence passed in 14:03: Self Cal PASS, 5 PASS, 0 FAIL, 0 N/A");

  state.TestStatus[kTestGain] = TestOutcome::Failed;
  state.TestStatus[kTestBandwidth] = TestOutcome::Failed;
  EXPECT_EQ(FullSequenceSummary(state, true, 60),
            "Full Sequence failed in 1:00: Self Cal PASS, 3 PASS, 2 FAIL, 0 N/A "
            "(FAIL: DC Voltage Measurement, Analog Bandwidth)");

  // Ended by a failed Self Cal: nothing after it ran, and the sequence failed (as the exit code
  // of a headless run says); stopped is what the technician does.
  state.SelfCalResult = 1;
  state.TestStatus = {};
  EXPECT_EQ(FullSequenceSummary(state, false, 5), "Full Sequence failed in 0:05: Self Cal FAIL, 0 PASS, 0 FAIL, 5 N/A");
  state.SelfCalResult = 0;
  EXPECT_EQ(FullSequenceSummary(state, false, 5), "Full Sequence stopped in 0:05: Self Cal PASS, 0 PASS, 0 FAIL, 5 N/A");
  // A sequence that ran to the end with a test that gave no result has not passed.
  state.SelfCalResult = -1;
  state.TestStatus = {TestOutcome::NotRun, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::NotRun};
  EXPECT_EQ(FullSequenceSummary(state, true, 5),
            "Full Sequence failed in 0:05: Self Cal not performed, 4 PASS, 0 FAIL, 1 N/A");
}

}  // namespace
}  // namespace veridane
