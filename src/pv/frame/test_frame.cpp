#include "pv/frame/test_frame.h"

#include <algorithm>
#include <string>

#include "platform/text8.h"
#include "pv/frame/status_list.h"
#include "pv/frame/test_prompt.h"

namespace veridane {

TestFrame::TestFrame(RunState& state, MainView& view, ResultDisplay& display, Operator& op, EventLoop& loop)
    : state_(state), view_(view), display_(display), op_(op), loop_(loop) {
  sinks_.view = &display_;
}

void TestFrame::NameTests() {
  state_.TestNames = hooks_.Titles;
  state_.NumberOfTests = 0;
  for (int n = 1; n <= kMostTests; ++n)
    if (!hooks_.Titles[static_cast<size_t>(n)].empty()) state_.NumberOfTests = static_cast<int16_t>(n);
}

void TestFrame::TestStatusUpdate() { veridane::TestStatusUpdate(state_, view_); }

void TestFrame::SetMenusEnabled(bool enabled) {
  for (auto menu : {ui::kFileMenu, ui::kPvMenu, ui::kUtilitiesMenu, ui::kViewMenu, ui::kAboutMenu})
    view_.SetEnabled(menu, enabled);
}

void TestFrame::BeginTest(std::string_view subTitle) {
  bool hasSubTitle = !Trim(subTitle).empty();
  std::string caption = state_.CurrentTestName();
  if (hasSubTitle) caption += " - " + std::string(subTitle);
  if (IsAuto(state_.AutoMode)) caption += "  (Auto)";
  view_.SetCaption(caption);
  SetMenusEnabled(false);
  view_.SetEnabled(ui::kExitTestButton, true);
  state_.AbortFlag = false;
  loop_.ProcessEvents();
  if (hasSubTitle) Run(hooks_.ScopeReset);
}

void TestFrame::BeginRun() {
  runOpen_ = true;
  inRun_.fill(false);
  for (StepSink* sink : sinks_.InOrder()) sink->BeginRun();
}

void TestFrame::EndRun() {
  if (!runOpen_) return;
  runOpen_ = false;
  for (StepSink* sink : sinks_.InOrder()) sink->EndRun();
}

void TestFrame::JoinRun(int16_t entry) {
  const size_t n = entry >= 0 && entry <= kMostTests ? static_cast<size_t>(entry) : 0;
  // A self calibration after anything else in the run begins the next sequence of tests, never
  // the end of this one.
  const bool again = n == 0 ? std::find(inRun_.begin(), inRun_.end(), true) != inRun_.end() : inRun_[n];
  if (!runOpen_ || again) {
    EndRun();
    BeginRun();
  }
  inRun_[n] = true;
}

void TestFrame::Step(StepResult result, std::vector<StandardSetting> standards, std::vector<StepReadings> readings) {
  const AssessedStep step = MakeAssessedStep(state_, std::move(result), std::move(standards), std::move(readings));
  for (StepSink* sink : sinks_.InOrder()) sink->Step(step);
}

void TestFrame::RecordOnly(const StepResult& result) {
  JoinRun(0);
  if (sinks_.store != nullptr) sinks_.store->Step(AssessedStep{result});
}

void TestFrame::Run(int16_t test, const TestProcedure& procedure) {
  JoinRun(test);
  state_.CurrentTest = test;
  BeginTest(procedure.label);
  StopToken stop(state_.AbortFlag, &state_.StopAnsweredNo);
  if (procedure.opening) procedure.opening(stop);
  if (stop.Raised()) {
    EndTest(test, TestOutcome::Stopped, InputsConnected::No);
    return;
  }
  EndTest(test, procedure.measuring(stop), procedure.inputs);
}

StopToken TestFrame::FreshStop() {
  state_.AbortFlag = false;
  return StopToken(state_.AbortFlag, &state_.StopAnsweredNo);
}

void TestFrame::EndTest(int16_t test, TestOutcome outcome, InputsConnected inputs) {
  std::string reminder;
  if (inputs == InputsConnected::Yes && state_.AutoMode != Automation::Full) reminder = "Disconnect all input signals.";
  const int n = test;

  if (n != 0) {
    Run(hooks_.ScopeReset);
    Run(hooks_.ScannerReset);
  }

  std::string message;
  const std::string finding = std::move(state_.StopFinding);
  state_.StopFinding.clear();
  const std::string answeredNo = std::move(state_.StopAnsweredNo);
  state_.StopAnsweredNo.clear();
  const bool numbered = n >= 1 && n <= state_.NumberOfTests;
  if (numbered) state_.TestFindings[static_cast<size_t>(n)].clear();
  // Shows a finding's lines under the test's table and keeps them, as one line, for the record.
  auto showFinding = [&](const std::string& lines) {
    std::string& kept = state_.TestFindings[static_cast<size_t>(n)];
    for (size_t start = 0; start <= lines.size();) {
      const size_t end = std::min(lines.find('\n', start), lines.size());
      const std::string line = lines.substr(start, end - start);
      display_.PrintScreen(line);
      kept += (kept.empty() ? "" : " ") + Trim(line);
      start = end + 1;
    }
  };
  // A No to a signal-setting question stops the test (and a Full Sequence) as the technician
  // asked, but the scope did not show the signal it should: the test fails on that finding
  // rather than ending without a result.
  const bool failedOnAnswer = state_.AbortFlag && finding.empty() && !answeredNo.empty() && numbered;
  if (state_.AbortFlag && !finding.empty() && numbered) {
    display_.PrintScreen("");
    showFinding(finding);
    state_.AbortFlag = false;
    outcome = TestOutcome::Failed;
  }
  const bool noResult = !HasResult(outcome) && !failedOnAnswer;
  // How the test ended in this run, for the record: a stop, or an end before any result,
  // leaves it without one even where the status list keeps an earlier FAIL.
  TestOutcome ended = outcome;
  if (state_.AbortFlag) {
    ended = failedOnAnswer ? TestOutcome::Failed : TestOutcome::NotRun;
    if (!noResult && n != 0) {
      message = "Test Sequence Terminated by Operator.";
      display_.PrintScreen("");
      display_.PrintScreen(std::string(kStoppedByOperatorLine));
    }
    if (failedOnAnswer) showFinding(SignalAnsweredNoFinding(state_.TestName(n), answeredNo));
    if (state_.FullSeqRunning) message += message.empty() ? "Full Sequence Terminated." : "\nFull Sequence Terminated.";
    op_.SetBusy(false);
    state_.FullSeqRunning = false;
    state_.AbortFlag = false;
    if (failedOnAnswer) {
      state_.TestStatus[static_cast<size_t>(n)] = TestOutcome::Failed;
      state_.FullSeqFailed = true;
      if (display_.LogOpen()) Run(hooks_.WriteStatusFile);
      TestStatusUpdate();
    } else if (numbered && state_.TestStatus[static_cast<size_t>(n)] == TestOutcome::Passed) {
      // A stopped test has no result: a PASS of an earlier run must not stand for it, on
      // screen or in the log's status file. An earlier FAIL stays: the scope still needs
      // looking at.
      state_.TestStatus[static_cast<size_t>(n)] = TestOutcome::NotRun;
      if (display_.LogOpen()) Run(hooks_.WriteStatusFile);
      TestStatusUpdate();
    }
  } else if (noResult) {
    ended = TestOutcome::NotRun;
    // Ended before a result without the technician stopping it: nothing was measured, so
    // nothing is recorded and nothing is announced as passed.
  } else {
    const bool failed = outcome == TestOutcome::Failed;
    if (n >= 1 && n <= state_.NumberOfTests)
      state_.TestStatus[static_cast<size_t>(n)] = failed ? TestOutcome::Failed : TestOutcome::Passed;
    if (failed) state_.FullSeqFailed = true;
    if (!state_.FullSeqRunning) message = failed ? "Test Failed.              " : "Test Passed.              ";
    if (display_.LogOpen()) Run(hooks_.WriteStatusFile);
    TestStatusUpdate();
  }

  if (numbered) {
    for (StepSink* sink : sinks_.InOrder())
      sink->TestEnded(test, state_.TestName(n), ended, state_.TestFindings[static_cast<size_t>(n)]);
  }

  if (message.empty())
    message = reminder;
  else if (!reminder.empty())
    message += "\n\n" + reminder;
  if (!message.empty())
    op_.ShowMessBox(message, kOkOnly + kInformation, state_.CurrentTestName() + " / End of Test");

  view_.SetCaption(state_.MainTitle);
  SetMenusEnabled(true);
  view_.SetEnabled(ui::kExitTestButton, false);
  loop_.ProcessEvents();
}

void TestFrame::EndFullSeq() {
  // A test that gave no result (not available, or ended before measuring without the
  // technician stopping the sequence) has shown nothing to pass.
  bool everyTestPassed = true;
  for (int n = 1; n <= state_.NumberOfTests; ++n)
    everyTestPassed = everyTestPassed && state_.TestStatus[static_cast<size_t>(n)] == TestOutcome::Passed;
  if (state_.FullSeqFailed || !everyTestPassed)
    op_.ShowMessBox("Full Sequence Failed.", kOkOnly + kExclamation, "End of Full Sequence");
  else
    op_.ShowMessBox("Full Sequence Passed.", kOkOnly + kInformation, "End of Full Sequence");
  state_.FullSeqRunning = false;
  state_.FullSeqFailed = false;
}

void TestFrame::ResetAll() {
  op_.SetBusy(true);
  Run(hooks_.CalibratorReset);
  Run(hooks_.CGReset);
  Run(hooks_.SGReset);
  loop_.Wait(std::chrono::seconds(1));
  Run(hooks_.ScannerReset);
  op_.SetBusy(false);
}

void TestFrame::ExitTest() {
  loop_.ProcessEvents();
  state_.AbortFlag = true;
  view_.SetEnabled(ui::kExitTestButton, false);
}

void TestFrame::FullSequence(std::string_view scopeModel) {
  std::string question = "You have selected to do a Full Sequence PV of the " + std::string(scopeModel) +
                         ".\nAre you sure you want to continue ?";
  if (op_.ShowMessBox(question, kYesNo + kQuestion, "Adjust") == kNo) return;
  state_.FullSeqRunning = true;

  // Without a log command in this build the question could not be acted upon.
  if (!display_.LogOpen() && hooks_.CreateLogFile) {
    int16_t answer = op_.ShowMessBox("Logging has not been selected.\nDo you want to create a Log File ?",
                                     kYesNo + kQuestion, "Log File");
    if (answer == kYes) hooks_.CreateLogFile();
  }

  for (int n = 1; n <= state_.NumberOfTests; ++n) state_.TestStatus[static_cast<size_t>(n)] = TestOutcome::NotRun;
  TestStatusUpdate();
  state_.FullSeqFailed = false;
  // The sequence is a run of its own, from its self calibration to its last test.
  EndRun();
  BeginRun();

  if (hooks_.SelfCal) {
    hooks_.SelfCal();
  } else {
    // No calibration ran in this sequence, so the offset test must not rely on an older one.
    state_.SelfCalDone = false;
  }
  for (int n = 1; n <= state_.NumberOfTests && state_.FullSeqRunning; ++n) Run(hooks_.Tests[static_cast<size_t>(n)]);
  const bool completed = state_.FullSeqRunning;
  EndRun();
  if (hooks_.FullSequenceEnded) hooks_.FullSequenceEnded(completed);
  if (completed) EndFullSeq();
}

void TestFrame::DisableAuto() {
  if (op_.ShowMessBox("Are you sure ?", kYesNo + kQuestion, "Disable Auto Mode") == kNo) return;
  size_t auto_ = state_.MainTitle.find("(Auto)");
  if (auto_ != std::string::npos) state_.MainTitle = Trim(state_.MainTitle.substr(0, auto_));
  view_.SetCaption(state_.MainTitle);
  state_.AutoMode = Automation::Manual;
  view_.SetEnabled(ui::kDisableAuto, false);
}

void TestFrame::TestPrompt(std::string_view text, BoxStyle style) { veridane::TestPrompt(text, style, op_, state_); }

}  // namespace veridane
