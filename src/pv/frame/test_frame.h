#pragma once
// The frame around the verification tests: start and end of a test (caption, menus, Exit
// Test, scope reset, the end message), the status list, the operator's abort, the Full
// Sequence, instrument resets and switching Auto mode off.
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

namespace veridane {

// How a test ended.
enum class TestOutcome {
  Passed,
  Failed,
  Stopped,        // the technician stopped it before it had a result
  NotApplicable,  // it ended before a result without being stopped (nothing could be measured)
};

// Whether the end message reminds the technician to disconnect what the test connected.
enum class InputsConnected { Yes, No };

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

  // Gives the run state the tests' names and their number (the last one named).
  void NameTests();
  void TestStatusUpdate();

  // Start of test CurrentTest: caption, menus locked, Exit Test enabled, AbortFlag cleared;
  // a non-blank sub-title also resets the scope.
  void BeginTest(std::string_view subTitle);
  // End of test `test` (1 to the number of tests; 0 for none): status, status file, end message.
  // With InputsConnected::Yes the message reminds to disconnect the inputs (not in full Auto).
  void EndTest(int16_t test, TestOutcome outcome, InputsConnected inputs);
  // The same in its coded form: |testNumber|, negative for no reminder; result -1 failed,
  // 0 passed, 1 ended before a result.
  void EndOfTest(int16_t testNumber, int16_t result);
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
  void SetMenusEnabled(bool enabled);

  RunState& state_;
  MainView& view_;
  ResultDisplay& display_;
  Operator& op_;
  EventLoop& loop_;
  FrameHooks hooks_;
};

}  // namespace veridane
