#pragma once
// Where the verification stands: which test runs, whether the technician asked to stop, and
// what each test gave since the last reset. One object per run, shared by reference between
// the test frame, the tests, the self calibration and the log commands.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "uncertainty/decision.h"
#include "uncertainty/uncertainty_figure.h"

#include "instruments/run_flags.h"
#include "report/test_outcome.h"

namespace veridane {

// Room in the per-test tables below. How many tests there are is the catalogue's to say: it
// names them (TestFrame::NameTests sets NumberOfTests), and checks that they fit here.
inline constexpr int16_t kMostTests = 15;

// The numbers of the tests the program has always had, as CurrentTest and TestFrame::Run use them
// (the catalogue gives every test its number; a new one needs no name here).
enum : int16_t {
  kTestOffsetZero = 1,
  kTestGain = 2,
  kTestBandwidth = 3,
  kTestSampleRate = 4,
  kTestTrigger = 5,
};

// What a test fails on when a run without a person gave up setting its signal (the question
// `caption` came back too often for one step): two lines, the first naming the test as its
// heading does, as the test may have shown no table of its own yet. The record keeps them as
// one line (the line break and indent a blank).
inline constexpr std::string_view kSignalNotSet = " - SIGNAL COULD NOT BE SET: TEST FAILED.";
inline std::string SignalNotSetFinding(std::string_view testName, std::string_view caption) {
  return std::string(testName) + std::string(kSignalNotSet) + "\n  (\"" + std::string(caption) + "\" asked too often)";
}
// The same when the technician answered No to the question: the test stops as the technician
// asked, but what stopped it is the scope's signal, so it fails with this finding.
inline std::string SignalAnsweredNoFinding(std::string_view testName, std::string_view caption) {
  return std::string(testName) + std::string(kSignalNotSet) + "\n  (\"" + std::string(caption) + "\" answered No)";
}
// The line a test's table ends with when the technician stopped it.
inline constexpr std::string_view kStoppedByOperatorLine = "TEST SEQUENCE TERMINATED BY OPERATOR.";

struct RunState {
  Automation AutoMode = Automation::Manual;
  // Set by Exit Test and by Cancel/No in a test prompt; tests poll it between steps.
  bool AbortFlag = false;
  // The running test, 1 to NumberOfTests; selects the captions of prompts and end messages.
  int16_t CurrentTest = 0;
  // How many tests the catalogue named: entries 1 to NumberOfTests below are in use (entry 0
  // unused, so test numbers index directly).
  int16_t NumberOfTests = 0;
  std::array<std::string, kMostTests + 1> TestNames{};
  // What each test gave since the last reset: Passed, Failed or NotRun (a stop takes back a PASS).
  std::array<TestOutcome, kMostTests + 1> TestStatus{};
  // Set with AbortFlag by a run without a person when it stopped the test on a finding about
  // the scope (a signal that could not be set): the test fails with this line in its table
  // and a Full Sequence goes on. Cleared at the end of every test.
  std::string StopFinding;
  // The caption of the signal-setting question the technician answered No to, when that is
  // what stopped the running test (StopToken::RaiseAnsweredNo). Unlike StopFinding the stop
  // stands (a Full Sequence ends), and the test fails with SignalAnsweredNoFinding. Cleared at
  // the end of every test.
  std::string StopAnsweredNo;
  // The finding each test last ended on (the line shown in its table), kept for the record;
  // empty for a test that ended any other way.
  std::array<std::string, kMostTests + 1> TestFindings{};
  bool FullSeqRunning = false;
  bool FullSeqFailed = false;
  // A self calibration succeeded; within a Full Sequence the offset test then needs no prompt.
  bool SelfCalDone = false;
  // The last self calibration: -1 not performed, 0 passed, any other value failed.
  int16_t SelfCalResult = -1;
  // The main window's caption between tests ("...  (Auto)" while in Auto mode).
  std::string MainTitle;

  // Readings per measurement (--repeats); 1 sends each query once, as always.
  int Repeats = 1;
  // How a step's decision takes its uncertainty into account (setting DecisionRule).
  veridane::DecisionRule DecisionRule = veridane::DecisionRule::Simple;
  // The register's uncertainty figures for the standards on the bench.
  std::vector<UncertaintyFigure> StandardUncertainties;

  // The name of test n, or an empty text for a number outside the tables.
  const std::string& TestName(int n) const {
    return n >= 1 && n <= kMostTests ? TestNames[static_cast<size_t>(n)] : TestNames[0];
  }
  const std::string& CurrentTestName() const { return TestName(CurrentTest); }
};

}  // namespace veridane
