#pragma once
// The frame around the verification tests: start and end of a test (caption, menus, Exit
// Test, scope reset, the end message), the status list, the operator's abort, the Full
// Sequence, instrument resets and switching Auto mode off. It makes every judged step of a
// test and hands it to the sinks (log, view, store, progress), and says where a run of the
// scope begins and ends: a Full Sequence is one run; a test joins the run under way unless
// that run holds it already (a test repeated after an adjustment is a new run).
//
// Instruments, the scope, the log and the tests themselves belong to other parts of the
// program; they plug in through FrameHooks. An empty hook means "not available here": an
// empty reset is skipped, and an empty test is not chained into a Full Sequence.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "platform/operator.h"
#include "pv/frame/main_view.h"
#include "pv/frame/result_display.h"
#include "pv/frame/run_state.h"
#include "pv/frame/step_sink.h"
#include "pv/frame/stop_token.h"

namespace veridane {

// Whether the end message reminds the technician to disconnect what the test connected.
enum class InputsConnected { Yes, No };

// A test as the frame runs it. The frame sets the current test, shows its start (caption,
// menus, the scope reset for a sub-title), runs the opening, and, unless the technician stopped
// it there, the measuring; then it ends the test with the outcome the measuring returns.
struct TestProcedure {
  std::string_view label;  // the sub-title: caption, "Test ACQ / 1 of 3" ...
  // The set-up and the connection prompt. A stop here ends the test Stopped, before anything
  // was connected. Empty: none.
  std::function<void(StopToken)> opening;
  // The steps; returns how the test ended.
  std::function<TestOutcome(StopToken)> measuring;
  // Whether the end message reminds the technician to disconnect what the measuring connected.
  InputsConnected inputs = InputsConnected::Yes;
};

struct FrameHooks {
  std::function<void()> ScopeReset;
  std::function<void()> ScannerReset;
  std::function<void()> CalibratorReset;
  std::function<void()> CGReset;
  std::function<void()> SGReset;
  // Rewrites the log's PASS/FAIL file from TestStatus (called only while a log is open).
  std::function<void()> WriteStatusFile;
  // The File menu's Create New File command.
  std::function<void()> CreateLogFile;
  // The Self Cal (SPC) menu command.
  std::function<void()> SelfCal;
  // The names of the tests by test number (entry 0 unused), given to RunState by NameTests.
  std::array<std::string, kMostTests + 1> Titles{};
  // The test procedures by test number (entry 0 unused).
  std::array<std::function<void()>, kMostTests + 1> Tests{};
  // A Full Sequence has run to its end (true) or was stopped (false), just before its closing
  // message: where the window sums it up.
  std::function<void(bool completed)> FullSequenceEnded;
};

class TestFrame {
 public:
  TestFrame(RunState& state, MainView& view, ResultDisplay& display, Operator& op, EventLoop& loop);

  FrameHooks& Hooks() { return hooks_; }
  // The chain every judged step goes to; the display is its view from the start.
  StepSinks& Sinks() { return sinks_; }

  // Gives the run state the tests' names and their number (the last one named).
  void NameTests();
  void TestStatusUpdate();

  // Runs test `test` (1 to the number of tests) from its start to its end (see TestProcedure).
  void Run(int16_t test, const TestProcedure& procedure);
  // The stop, cleared, for a command that is not run as a test (the self calibration).
  StopToken FreshStop();

  // A judged step of the running test, with the standard settings behind it and the readings
  // it judged: made (MakeAssessedStep) and handed to every sink in order.
  void Step(StepResult result, std::vector<StandardSetting> standards = {}, std::vector<StepReadings> readings = {});
  // A step for the results store alone (the self calibration's answer, test and name set by the
  // caller): nothing is shown or logged. A self calibration after tests begins a new run.
  void RecordOnly(const StepResult& result);
  // The end of the run under way, if any (the program ends, or a Full Sequence ended).
  void EndRun();
  void EndFullSeq();
  void ResetAll();

  // The "&Exit Test" button.
  void ExitTest();
  // The Full Sequence menu command, for the scope model named in its question.
  void FullSequence(std::string_view scopeModel);
  // The Disable Auto Mode menu command.
  void DisableAuto();

  // The running test's prompt (see test_prompt.h).
  void TestPrompt(std::string_view text, BoxStyle style);

 private:
  void Run(const std::function<void()>& hook) {
    if (hook) hook();
  }
  // Start of test CurrentTest: caption, menus locked, Exit Test enabled, AbortFlag cleared;
  // a non-blank sub-title also resets the scope.
  void BeginTest(std::string_view subTitle);
  // End of test `test` (1 to the number of tests; 0 for none): status, status file, end message.
  // With InputsConnected::Yes the message reminds to disconnect the inputs (not in full Auto).
  void EndTest(int16_t test, TestOutcome outcome, InputsConnected inputs);
  void SetMenusEnabled(bool enabled);
  void BeginRun();
  // Test `entry` (0: the self calibration) joins the run under way, or begins the next one.
  void JoinRun(int16_t entry);

  RunState& state_;
  MainView& view_;
  ResultDisplay& display_;
  Operator& op_;
  EventLoop& loop_;
  FrameHooks hooks_;
  StepSinks sinks_;
  bool runOpen_ = false;
  std::array<bool, kMostTests + 1> inRun_{};  // entry 0: the self calibration
};

}  // namespace veridane
