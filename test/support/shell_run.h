#pragma once
// A Program on a simulated bench with virtual time, a recording window and scratch folders:
// the whole start-up runs as in the program, only faster.
#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "shell/launcher.h"
#include "shell/program.h"
#include "shell/startup.h"
#include "sim/bench/bench.h"
#include "test/support/borrowed_bench.h"
#include "test/support/shell_fakes.h"

namespace veridane::testing {

inline VersionTexts TestVersions() {
  VersionTexts versions;
  versions.mainTitle = "Veridane, v1.0 - Feb 2025 / QZ";
  versions.moduleVersionText = "2025-02-21 - v1.0";
  return versions;
}

struct ShellRun {
  // benchText: a shipped bench name, or the TOML text of a bench when it contains a newline.
  ShellRun(Operator& op, const std::string& benchText, const std::string& folderName, bool simulated = true)
      : logDialogs(op),
        root(folderName),
        bench(benchText.find('\n') == std::string::npos ? sim::Bench::Shipped(benchText, clock)
                                                         : sim::Bench::FromText(benchText, "test.toml", clock)) {
    bench->SetTrace([this](const std::string& line) { trace.push_back(line); });
    launcher.Adopt(std::make_unique<BorrowedBench>(*bench), simulated, clock);
    program = &launcher.Compose(op, view, view, logDialogs, TestVersions());
    startup = &launcher.startup();
  }

  // Index of the first trace line containing text at or after `from`, or -1.
  int TraceIndex(const std::string& text, int from = 0) const {
    for (int i = from; i < static_cast<int>(trace.size()); ++i)
      if (trace[static_cast<size_t>(i)].find(text) != std::string::npos) return i;
    return -1;
  }

  PresetLogDialogs logDialogs;  // every log dialog is cancelled unless a test presets it
  VirtualClock clock;
  ScratchFolder root;
  MemorySettings settings;
  RecordingShellView view;
  std::vector<std::string> trace;
  std::unique_ptr<sim::Bench> bench;
  BackendRegistry noBackends;
  Launcher launcher{noBackends, settings, Paths(root.String())};
  Program* program = nullptr;
  Startup* startup = nullptr;
};

}  // namespace veridane::testing
