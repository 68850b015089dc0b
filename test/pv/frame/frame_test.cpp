#include "pv/frame/test_frame.h"
#include "pv/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "test/support/scripted_operator.h"
#include "test/support/frame_fakes.h"
#include "pv/frame/status_list.h"
#include "pv/frame/test_prompt.h"

namespace veridane {
namespace {

constexpr TestOutcome N = TestOutcome::NotRun;
constexpr TestOutcome P = TestOutcome::Passed;
constexpr TestOutcome F = TestOutcome::Failed;

// The run state's status table holding these entries (test 0 first), the rest not run.
std::array<TestOutcome, kMostTests + 1> TestStatusesOf(std::initializer_list<TestOutcome> entries) {
  std::array<TestOutcome, kMostTests + 1> statuses{};
  std::copy(entries.begin(), entries.end(), statuses.begin());
  return statuses;
}

using testing::ActingOperator;
using testing::RecordingLog;
using testing::RecordingView;
using testing::ScriptedOperator;

const std::string kPassed = "Test Passed.              ";
const std::string kFailed = "Test Failed.              ";
const std::string kReminder = "Disconnect all input signals.";
const std::string kTitle = "Veridane, v1 - Feb 2025 / QZ";
const std::string kFullSeqQuestion =
    "You have selected to do a Full Sequence PV of the TDS 340.\nAre you sure you want to continue ?";
const std::string kLogQuestion = "Logging has not been selected.\nDo you want to create a Log File ?";

class TestFrameTest : public ::testing::Test {
 protected:
  TestFrameTest() {
    GiveTitles(frame.Hooks());
    frame.NameTests();
    state.MainTitle = kTitle;
    FrameHooks& hooks = frame.Hooks();
    hooks.ScopeReset = [this] { calls.push_back("ScopeReset"); };
    hooks.ScannerReset = [this] { calls.push_back("ScannerReset"); };
    hooks.CalibratorReset = [this] { calls.push_back("CalibratorReset@" + std::to_string(clock.Now())); };
    hooks.CGReset = [this] { calls.push_back("CGReset"); };
    hooks.SGReset = [this] { calls.push_back("SGReset"); };
    hooks.WriteStatusFile = [this] { calls.push_back("WriteStatusFile"); };
  }

  // Test n run by the frame: its measuring does `during`, then ends with `outcome`.
  void RunTest(int16_t n, TestOutcome outcome, InputsConnected inputs, std::function<void(StopToken)> during = {},
               std::string_view label = "") {
    frame.Run(n, {label, nullptr,
                  [&](StopToken stop) {
                    if (during) during(stop);
                    return outcome;
                  },
                  inputs});
  }
  // A test that is stopped in its opening (at the connection prompt).
  void StopAtOpening(int16_t n) {
    frame.Run(n, {"", [](StopToken stop) { stop.Raise(); }, [this](StopToken) {
                    calls.push_back("measured");
                    return TestOutcome::Passed;
                  }});
  }

  // A test procedure that runs to the end with the given outcome (and, like the offset test,
  // without the closing reminder).
  std::function<void()> Procedure(int16_t n, TestOutcome outcome) {
    return [this, n, outcome] {
      RunTest(n, outcome, InputsConnected::No, [this, n](StopToken) { calls.push_back("test " + std::to_string(n)); },
              "Test " + std::to_string(n));
    };
  }

  RunState state;
  RecordingView view;
  ScriptedOperator technician;
  ActingOperator op{technician};
  VirtualClock clock;
  ResultDisplay display{view, state, op, clock};
  TestFrame frame{state, view, display, op, clock};
  std::vector<std::string> calls;
};

TEST_F(TestFrameTest, StatusListAndCounters) {
  state.TestStatus = {N, P, F, N, N, P};
  frame.TestStatusUpdate();
  ASSERT_EQ(view.StatusLines().size(), 6u);
  EXPECT_EQ(view.StatusLines()[5], std::string(20, ' ') + "Self Cal (SPC) - N/A");
  EXPECT_EQ(view.StatusLines()[0], std::string(20, ' ') + "Offset at Zero - PASS");
  EXPECT_EQ(view.StatusLines()[1], std::string(12, ' ') + "DC Voltage Measurement - FAIL");
  EXPECT_EQ(view.StatusLines()[3], "Long Term Sample Rate & Delay Time - N/A");
  EXPECT_EQ(view.Counter(0), "2");
  EXPECT_EQ(view.Counter(1), "1");
  EXPECT_EQ(view.Counter(2), "2");
  EXPECT_TRUE(view.CounterAlert(1));
  EXPECT_FALSE(view.CounterAlert(0));

  // The last self calibration closes the list; it is not one of the counted tests.
  state.SelfCalResult = 0;
  frame.TestStatusUpdate();
  EXPECT_EQ(view.StatusLines()[5], std::string(20, ' ') + "Self Cal (SPC) - PASS");
  EXPECT_EQ(view.Counter(0), "2");
  state.SelfCalResult = 1;
  frame.TestStatusUpdate();
  EXPECT_EQ(view.StatusLines()[5], std::string(20, ' ') + "Self Cal (SPC) - FAIL");
  EXPECT_EQ(view.Counter(1), "1");

  state.TestStatus = {N, P, P, N, N, N};
  frame.TestStatusUpdate();
  EXPECT_EQ(view.Counter(1), "0");
  EXPECT_FALSE(view.CounterAlert(1));
  EXPECT_EQ(StatusLine("A name that is much longer than thirty-four", N), "at is much longer than thirty-four - N/A");
}

TEST_F(TestFrameTest, RunStartsTheTestLockingTheMenusAndResettingTheScope) {
  state.AbortFlag = true;  // left over from an earlier stop
  technician.Expect(kPassed, 64, "Offset at Zero / End of Test", kOk);
  RunTest(kTestOffsetZero, P, InputsConnected::No, [this](StopToken stop) {
    EXPECT_EQ(state.CurrentTest, kTestOffsetZero);
    EXPECT_EQ(view.Caption(), "Offset at Zero - Test ACQ / 1 of 3");
    for (auto menu : {"F", "P", "U", "V", "A"}) EXPECT_EQ(view.State(menu), "disabled") << menu;
    EXPECT_EQ(view.State(ui::kExitTestButton), "enabled");
    EXPECT_FALSE(stop.Raised());
    EXPECT_EQ(calls, std::vector<std::string>{"ScopeReset"});
    EXPECT_GE(clock.ProcessEventsCount(), 1);
    calls.clear();
  }, "Test ACQ / 1 of 3");

  state.AutoMode = Automation::WithoutCompensation;
  calls.clear();
  technician.Expect(kPassed + "\n\n" + kReminder, 64, "Edge Trigger Sensitivity / End of Test", kOk);
  RunTest(kTestTrigger, P, InputsConnected::Yes, [this](StopToken) {
    EXPECT_EQ(view.Caption(), "Edge Trigger Sensitivity  (Auto)");
    EXPECT_TRUE(calls.empty());
  }, "   ");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, PassedWithoutInputsShowsNoReminder) {
  technician.Expect(kPassed, 64, "Offset at Zero / End of Test", kOk);
  RunTest(kTestOffsetZero, P, InputsConnected::No, {}, "Test ACQ / 1 of 3");
  EXPECT_EQ(state.TestStatus[1], P);
  EXPECT_EQ(view.Counter(0), "1");
  EXPECT_EQ(view.Caption(), kTitle);
  for (auto menu : {"F", "P", "U", "V", "A"}) EXPECT_EQ(view.State(menu), "enabled") << menu;
  EXPECT_EQ(view.State(ui::kExitTestButton), "disabled");
  EXPECT_EQ(calls, (std::vector<std::string>{"ScopeReset", "ScopeReset", "ScannerReset"}));
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, FailedTestWithReminderByAutoMode) {
  technician.Expect(kFailed + "\n\n" + kReminder, 64, "Analog Bandwidth / End of Test", kOk);
  RunTest(kTestBandwidth, F, InputsConnected::Yes);
  EXPECT_EQ(state.TestStatus[3], F);
  EXPECT_TRUE(state.FullSeqFailed);
  EXPECT_TRUE(view.CounterAlert(1));

  // Full Auto has the system cables connected: no reminder. Auto without compensation data has.
  state.AutoMode = Automation::Full;
  technician.Expect(kPassed, 64, "Analog Bandwidth / End of Test", kOk);
  RunTest(kTestBandwidth, P, InputsConnected::Yes);
  state.AutoMode = Automation::WithoutCompensation;
  technician.Expect(kPassed + "\n\n" + kReminder, 64, "Analog Bandwidth / End of Test", kOk);
  RunTest(kTestBandwidth, P, InputsConnected::Yes);
  EXPECT_EQ(state.TestStatus[3], P);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, OperatorAbortKeepsTheStatusAndSaysSoInCapitals) {
  state.TestStatus[2] = F;
  display.PrintScreen("row 1");
  technician.Expect("Test Sequence Terminated by Operator.\n\n" + kReminder, 64,
                    "DC Voltage Measurement / End of Test", kOk);
  RunTest(kTestGain, P, InputsConnected::Yes, [this](StopToken stop) {
    frame.ExitTest();
    EXPECT_TRUE(stop.Raised());
    EXPECT_EQ(view.State(ui::kExitTestButton), "disabled");
    op.SetBusy(true);
  }, "Test ACQ / 2 of 3");
  EXPECT_EQ(display.Text(), "row 1\r\n\r\nTEST SEQUENCE TERMINATED BY OPERATOR.");
  EXPECT_EQ(state.TestStatus[2], F);
  EXPECT_FALSE(state.AbortFlag);
  EXPECT_FALSE(technician.Busy());
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, CancelledBeforeAnyResultEndsQuietly) {
  StopAtOpening(kTestOffsetZero);  // no prompt expected at all
  EXPECT_EQ(display.Text(), "");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "measured"), 0);
  EXPECT_EQ(state.TestStatus[1], N);
  EXPECT_FALSE(state.AbortFlag);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, EndedWithoutResultAndWithoutAbortIsNotAPass) {
  technician.Expect(kReminder, 64, "Long Term Sample Rate & Delay Time / End of Test", kOk);
  RunTest(kTestSampleRate, TestOutcome::NotApplicable, InputsConnected::Yes);
  EXPECT_EQ(state.TestStatus[4], N);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, StatusFileIsRewrittenOnlyForResultsUnderAnOpenLog) {
  RecordingLog log;
  display.SetResultLog(&log);
  technician.Expect(kPassed, 64, "Offset at Zero / End of Test", kOk);
  RunTest(kTestOffsetZero, P, InputsConnected::No);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "WriteStatusFile"), 1);
  // Stopped before a result: the earlier PASS is withdrawn from the screen and the file.
  const auto stopped = [](StopToken stop) { stop.Raise(); };
  RunTest(kTestOffsetZero, TestOutcome::Stopped, InputsConnected::No, stopped);
  EXPECT_EQ(state.TestStatus[1], N);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "WriteStatusFile"), 2);
  EXPECT_EQ(view.StatusLines().at(0), StatusLine("Offset at Zero", N));
  StopAtOpening(kTestOffsetZero);  // nothing left to withdraw
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "WriteStatusFile"), 2);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "measured"), 0);
  log.open = false;
  technician.Expect(kPassed, 64, "Offset at Zero / End of Test", kOk);
  RunTest(kTestOffsetZero, P, InputsConnected::No);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "WriteStatusFile"), 2);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, TestPromptAbortsOnCancelOrNo) {
  state.CurrentTest = kTestOffsetZero;
  technician.Expect(kReminder, 65, "Offset at Zero", kOk);
  technician.Expect("Hint", 64, "Offset at Zero", kOk);
  technician.Expect("Q", 68, "Offset at Zero", kNo);
  technician.Expect(kReminder, 65, "Offset at Zero", kCancel);
  frame.TestPrompt(kReminder, kOkCancel);
  EXPECT_FALSE(state.AbortFlag);
  TestPrompt("Hint", kOkOnly, op, state);
  EXPECT_FALSE(state.AbortFlag);
  TestPrompt("Q", kYesNo, op, state);
  EXPECT_TRUE(state.AbortFlag);
  state.AbortFlag = false;
  frame.TestPrompt(kReminder, kOkCancel);
  EXPECT_TRUE(state.AbortFlag);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, FullSequenceRunsEveryTestAndReportsOnce) {
  state.TestStatus = {N, F, F, F, F, F};
  bool logCreated = false;
  frame.Hooks().CreateLogFile = [&] { logCreated = true; };
  frame.Hooks().SelfCal = [this] {
    calls.push_back("SelfCal");
    state.SelfCalDone = true;
  };
  for (int16_t n = 1; n <= 5; ++n) frame.Hooks().Tests[static_cast<size_t>(n)] = Procedure(n, P);
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  technician.Expect(kLogQuestion, 36, "Log File", kYes);
  technician.Expect("Full Sequence Passed.", 64, "End of Full Sequence", kOk);
  frame.FullSequence("TDS 340");
  EXPECT_TRUE(logCreated);
  std::vector<std::string> order;
  for (const auto& c : calls)
    if (c == "SelfCal" || c.starts_with("test ")) order.push_back(c);
  EXPECT_EQ(order, (std::vector<std::string>{"SelfCal", "test 1", "test 2", "test 3", "test 4", "test 5"}));
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(state.TestStatus[static_cast<size_t>(n)], P);
  EXPECT_FALSE(state.FullSeqRunning);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, FullSequenceWithAFailureGoesOnAndReportsFailed) {
  for (int16_t n = 1; n <= 5; ++n) frame.Hooks().Tests[static_cast<size_t>(n)] = Procedure(n, P);
  frame.Hooks().Tests[2] = [this] { RunTest(kTestGain, F, InputsConnected::Yes, {}, "Test ACQ / 2 of 3"); };
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  // No "Test Failed." inside a sequence; the reminder still applies in manual mode.
  technician.Expect(kReminder, 64, "DC Voltage Measurement / End of Test", kOk);
  technician.Expect("Full Sequence Failed.", 48, "End of Full Sequence", kOk);
  frame.FullSequence("TDS 340");
  EXPECT_EQ(state.TestStatus[2], F);
  EXPECT_EQ(state.TestStatus[5], P);
  EXPECT_FALSE(state.FullSeqFailed);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, FullSequenceDeclinedChangesNothing) {
  state.TestStatus[1] = F;
  frame.Hooks().Tests[1] = Procedure(1, P);
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kNo);
  frame.FullSequence("TDS 340");
  EXPECT_EQ(state.TestStatus[1], F);
  EXPECT_FALSE(state.FullSeqRunning);
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, ExitTestDuringAPromptStopsTheFullSequence) {
  frame.Hooks().Tests[1] = Procedure(1, P);
  frame.Hooks().Tests[2] = [this] {
    frame.Run(kTestGain, {"Test ACQ / 2 of 3",
                          [this](StopToken) { frame.TestPrompt("Connect the Calibrator to CH 1.", kOkCancel); },
                          [this](StopToken) {
                            calls.push_back("test 2 measured");
                            return TestOutcome::Passed;
                          }});
  };
  frame.Hooks().Tests[3] = Procedure(3, P);
  op.OnPrompt("DC Voltage Measurement", [this] { frame.ExitTest(); });
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  technician.Expect("Connect the Calibrator to CH 1.", 65, "DC Voltage Measurement", kOk);
  technician.Expect("Full Sequence Terminated.", 64, "DC Voltage Measurement / End of Test", kOk);
  frame.FullSequence("TDS 340");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "test 1"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "test 2 measured"), 0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "test 3"), 0);
  EXPECT_EQ(state.TestStatus[1], P);
  EXPECT_EQ(state.TestStatus[2], N);
  EXPECT_FALSE(state.FullSeqRunning);
  EXPECT_FALSE(state.AbortFlag);
  EXPECT_EQ(view.Caption(), kTitle);
  EXPECT_TRUE(technician.ExpectAllConsumed());  // and no "End of Full Sequence" box
}

TEST_F(TestFrameTest, ExitTestDuringAWaitAfterResults) {
  frame.Hooks().Tests[1] = [this] {
    RunTest(kTestOffsetZero, P, InputsConnected::No, [this](StopToken stop) {
      for (int step = 1; step <= 5 && !stop.Raised(); ++step) {
        clock.Wait(std::chrono::seconds(4));
        display.PrintScreen("row " + std::to_string(step));
      }
    }, "Test ACQ / 1 of 3");
  };
  frame.Hooks().Tests[2] = Procedure(2, P);
  // The button is pressed 10 s into the sequence, during the third 4-second wait.
  clock.ScheduleAt(10, [this] { frame.ExitTest(); });
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  technician.Expect("Test Sequence Terminated by Operator.\nFull Sequence Terminated.", 64,
                    "Offset at Zero / End of Test", kOk);
  frame.FullSequence("TDS 340");
  EXPECT_EQ(display.Text(), "row 1\r\nrow 2\r\nrow 3\r\n\r\nTEST SEQUENCE TERMINATED BY OPERATOR.");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "test 2"), 0);
  EXPECT_EQ(state.TestStatus[1], N);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, UnavailableTestsAndSelfCalAreNotChained) {
  state.SelfCalDone = true;  // from an earlier calibration outside this sequence
  frame.Hooks().Tests[3] = Procedure(3, P);
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  // Four tests gave no result: the sequence is not reported as passed.
  technician.Expect("Full Sequence Failed.", 48, "End of Full Sequence", kOk);
  frame.FullSequence("TDS 340");
  EXPECT_FALSE(state.SelfCalDone);
  EXPECT_EQ(state.TestStatus, (TestStatusesOf({N, N, N, P, N, N})));
  EXPECT_EQ(view.Counter(2), "4");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

// A test that ends before a result without the technician stopping it leaves N/A behind: the
// sequence goes on, but is not reported as passed.
TEST_F(TestFrameTest, ATestWithoutAResultKeepsTheSequenceFromPassing) {
  for (int16_t n = 1; n <= 5; ++n) frame.Hooks().Tests[static_cast<size_t>(n)] = Procedure(n, P);
  frame.Hooks().Tests[4] = Procedure(4, TestOutcome::NotApplicable);
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  technician.Expect("Full Sequence Failed.", 48, "End of Full Sequence", kOk);
  frame.FullSequence("TDS 340");
  EXPECT_EQ(state.TestStatus, (TestStatusesOf({N, P, P, P, N, P})));
  EXPECT_EQ(view.Counter(2), "1");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, FailedSelfCalStopsTheSequence) {
  frame.Hooks().SelfCal = [this] { state.FullSeqRunning = false; };
  frame.Hooks().Tests[1] = Procedure(1, P);
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  frame.FullSequence("TDS 340");
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

// A sink that notes what reached it, in one list shared by the whole chain.
struct NotingSink : StepSink {
  NotingSink(std::string name, std::vector<std::string>& notes) : name(std::move(name)), notes(notes) {}
  void BeginRun() override { notes.push_back(name + " begin"); }
  void Step(const AssessedStep& step) override {
    notes.push_back(name + " " + std::to_string(step.result.test) + " " + step.result.testName + " " + step.result.step);
  }
  void EndRun() override { notes.push_back(name + " end"); }
  std::string name;
  std::vector<std::string>& notes;
};

// Every judged step reaches the named sinks in one order, stamped with the running test; the
// frame says where runs begin: a test joins the run under way unless it is in it already.
TEST_F(TestFrameTest, StepsGoThroughTheChainInOrderBetweenTheFramesRunBoundaries) {
  std::vector<std::string> notes;
  NotingSink log("log", notes), view("view", notes), store("store", notes), progress("progress", notes);
  frame.Sinks() = StepSinks{&log, &view, &store, &progress};
  StepResult step = MakeStepResult("CH1 2 mV/div", "V", Judge(0, -0.0032f, JudgeMode::TwoSided, 0.001f), 0.001f);
  const auto measure = [&](StopToken) { frame.Step(step); };
  technician.Expect(kPassed, 64, "Offset at Zero / End of Test", kOk);
  RunTest(kTestOffsetZero, P, InputsConnected::No, measure);
  EXPECT_EQ(notes, (std::vector<std::string>{"log begin", "view begin", "store begin", "progress begin",
                                             "log 1 Offset at Zero CH1 2 mV/div", "view 1 Offset at Zero CH1 2 mV/div",
                                             "store 1 Offset at Zero CH1 2 mV/div",
                                             "progress 1 Offset at Zero CH1 2 mV/div"}));
  // Another test joins the run; the first one again (after an adjustment) is a new run.
  notes.clear();
  technician.Expect(kPassed + "\n\n" + kReminder, 64, "DC Voltage Measurement / End of Test", kOk);
  RunTest(kTestGain, P, InputsConnected::Yes, measure);
  EXPECT_EQ(std::count(notes.begin(), notes.end(), "store begin"), 0);
  EXPECT_EQ(notes.front(), "log 2 DC Voltage Measurement CH1 2 mV/div");
  notes.clear();
  technician.Expect(kPassed, 64, "Offset at Zero / End of Test", kOk);
  RunTest(kTestOffsetZero, P, InputsConnected::No, measure);
  ASSERT_GE(notes.size(), 8u);
  EXPECT_EQ(notes[0], "log end");
  EXPECT_EQ(notes[4], "log begin");
  // A self calibration after tests begins the next run; its step goes to the store alone.
  notes.clear();
  frame.RecordOnly(AnswerStepResult("*CAL?", "0", true));
  EXPECT_EQ(notes.back(), "store 0  *CAL?");
  EXPECT_EQ(std::count(notes.begin(), notes.end(), "store begin"), 1);
  EXPECT_EQ(std::count_if(notes.begin(), notes.end(), [](const std::string& n) { return n.starts_with("view 0"); }), 0);
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, AFullSequenceIsOneRunFromItsSelfCalToItsLastTest) {
  std::vector<std::string> notes;
  NotingSink store("store", notes);
  frame.Sinks().store = &store;
  // A test before the sequence has a run of its own.
  technician.Expect(kPassed, 64, "Offset at Zero / End of Test", kOk);
  RunTest(kTestOffsetZero, P, InputsConnected::No, [&](StopToken) { frame.Step(StepResult{}); });
  frame.Hooks().SelfCal = [this] { frame.RecordOnly(AnswerStepResult("*CAL?", "0", true)); };
  for (int16_t n = 1; n <= 5; ++n) frame.Hooks().Tests[static_cast<size_t>(n)] = Procedure(n, P);
  technician.Expect(kFullSeqQuestion, 36, "Adjust", kYes);
  technician.Expect("Full Sequence Passed.", 64, "End of Full Sequence", kOk);
  notes.clear();
  frame.FullSequence("TDS 340");
  EXPECT_EQ(notes, (std::vector<std::string>{"store end", "store begin", "store 0  *CAL?", "store end"}));
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST_F(TestFrameTest, ResetAllInOrderWithTheSettlingWait) {
  frame.ResetAll();
  EXPECT_EQ(calls, (std::vector<std::string>{"CalibratorReset@0.000000", "CGReset", "SGReset", "ScannerReset"}));
  EXPECT_DOUBLE_EQ(clock.Now(), 1.0);
  EXPECT_FALSE(technician.Busy());
}

TEST_F(TestFrameTest, DisableAutoMode) {
  state.AutoMode = Automation::Full;
  state.MainTitle = kTitle + "  (Auto)";
  technician.Expect("Are you sure ?", 36, "Disable Auto Mode", kNo);
  frame.DisableAuto();
  EXPECT_EQ(state.AutoMode, Automation::Full);
  EXPECT_EQ(state.MainTitle, kTitle + "  (Auto)");
  EXPECT_EQ(view.State(ui::kDisableAuto), "unset");

  technician.Expect("Are you sure ?", 36, "Disable Auto Mode", kYes);
  frame.DisableAuto();
  EXPECT_EQ(state.AutoMode, Automation::Manual);
  EXPECT_EQ(state.MainTitle, kTitle);
  EXPECT_EQ(view.Caption(), kTitle);
  EXPECT_EQ(view.State(ui::kDisableAuto), "disabled");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane
