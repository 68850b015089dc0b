#pragma once
// One whole program run on a simulated bench, as the technician would have it: the bench, the
// virtual technician doing the hand work and answering, the Program with its start-up, a window
// that remembers what it was shown, and the virtual clock under all of it. Tests are started
// through the frame's test hooks, which is exactly what the P/V menu items call.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/settings.h"
#include "shell/launcher.h"
#include "shell/program.h"
#include "shell/startup.h"
#include "sim/bench/bench.h"
#include "sim/technician/virtual_technician.h"
#include "test/support/shell_fakes.h"

namespace veridane::testing {

class E2eRun {
 public:
  // bench: a shipped bench name, or the TOML text of a bench when it holds a newline.
  explicit E2eRun(const std::string& bench, sim::TechnicianOptions options = {});

  // Load and activate the main window; false (with a test failure) when the program ended.
  bool Start();
  // A P/V menu item: the frame's hook for test n.
  void RunTest(int16_t n);
  // P/V > Full Sequence.
  void FullSequence();
  // The "&Exit Test" button.
  void PressExitTest() { program->ExitTest(); }

  // Calls `action` once, right after the first bus trace line containing `text` at or after
  // the current end of the trace (e.g. a command to the scope going out).
  void OnTrace(std::string text, std::function<void()> action);

  // The scope's answers to the measurement queries during the last run of test n, in order.
  std::vector<double> MeasurementReplies(int16_t n) const;

  const std::string& DisplayText() const { return program->Display().Text(); }
  TestOutcome Status(int16_t n) const { return program->Run().TestStatus[static_cast<size_t>(n)]; }
  const sim::BenchDescription& Description() const { return bench->Description(); }
  // The faults the bench file injects into the scope's two channels.
  const std::array<sim::ScopeChannelConfig, 2>& ChannelFaults() const { return bench->Description().scope.channels; }

  // Transcript entries with the caption, in order.
  std::vector<sim::TranscriptEntry> PromptsCaptioned(std::string_view caption) const;
  // Everything the technician was shown, for failure messages.
  std::string Transcript() const { return technician->TranscriptText(); }

  VirtualClock clock;
  ScratchFolder root;
  MemorySettings settings;
  RecordingShellView view;
  std::vector<std::string> trace;
  std::unique_ptr<sim::Bench> bench;
  std::unique_ptr<sim::VirtualTechnician> technician;
  std::unique_ptr<PresetLogDialogs> logDialogs;  // cancelled unless a test presets them
  BackendRegistry noBackends;
  Launcher launcher{noBackends, settings, Paths(root.String())};
  Program* program = nullptr;
  Startup* startup = nullptr;

 private:
  struct TraceAction {
    std::string text;
    std::function<void()> action;
  };
  struct TraceSpan {
    size_t begin = 0, end = 0;
  };
  void OnTraceLine(const std::string& line);
  std::vector<TraceAction> traceActions_;
  std::map<int16_t, TraceSpan> testTraces_;
};

// The shipped bench text with `from` replaced by `to` (which must occur once): a variant of a
// shipped bench for one test.
std::string ShippedBenchWith(std::string_view name, std::string_view from, std::string_view to);

}  // namespace veridane::testing
