#pragma once
// Where the verification stands: which test runs, whether the technician asked to stop, and
// what each test gave since the last reset. One object per run, shared by reference between
// the test frame, the tests, the self calibration and the log commands.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "uncertainty/decision.h"
#include "uncertainty/uncertainty_spec.h"

namespace veridane {

inline constexpr int16_t kNumberOfTests = 5;

// Test numbers, as CurrentTest and EndOfTest use them.
enum : int16_t {
  kTestOffsetZero = 1,
  kTestGain = 2,
  kTestBandwidth = 3,
  kTestSampleRate = 4,
  kTestTrigger = 5,
};

// Values of TestStatus.
enum : int16_t {
  kStatusFail = -1,
  kStatusNotRun = 0,
  kStatusPass = 1,
};

struct RunState {
  // 0 manual; -1 full Auto; 1 Auto without the generator compensation data.
  int16_t AutoMode = 0;
  // Set by Exit Test and by Cancel/No in a test prompt; tests poll it between steps.
  bool AbortFlag = false;
  // The running test, 1 to 5; selects the captions of prompts and end messages.
  int16_t CurrentTest = 0;
  // Entries 1 to 5 (entry 0 unused, so test numbers index directly).
  std::array<std::string, kNumberOfTests + 1> TestNames{};
  std::array<int16_t, kNumberOfTests + 1> TestStatus{};
  // Set with AbortFlag by a run without a person when it stopped the test on a finding about
  // the scope (a signal that could not be set): the test fails with this line in its table
  // and a Full Sequence goes on. Cleared at the end of every test.
  std::string StopFinding;
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
  std::vector<UncertaintySpec> StandardUncertainties;

  // The name of test n, or an empty text for a number outside 1 to 5.
  const std::string& TestName(int n) const {
    return n >= 1 && n <= kNumberOfTests ? TestNames[static_cast<size_t>(n)] : TestNames[0];
  }
  const std::string& CurrentTestName() const { return TestName(CurrentTest); }
};

}  // namespace veridane
