#pragma once
// The one place a run is put together, for the window, the headless run and the end-to-end
// tests alike: the bench chosen by its connection text and opened through the back-end
// registry, the bus trace wrapped around its driver, the bench's help at the prompts, the
// Program and its Startup.
//
//   Launcher launcher(registry, settings, paths);
//   launcher.Choose(request);                        // simulated or not decides the clock
//   launcher.Open(launcher.Simulated() ? virtualClock : realLoop);   // throws LaunchError
//   Program& program = launcher.Compose(person, view, shellView, versions);
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gpib/backends/backend_registry.h"
#include "platform/bench_backend.h"
#include "platform/event_loop.h"
#include "platform/operator.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "results/results_recorder.h"
#include "shell/bench_choice.h"
#include "shell/program.h"
#include "shell/shell_view.h"
#include "shell/startup.h"
#include "uncertainty/decision.h"

namespace veridane {

// A run that cannot start: the text says why (8-bit, LF line breaks).
class LaunchError : public std::runtime_error {
 public:
  explicit LaunchError(const std::string& text) : std::runtime_error(text) {}
};

// The program's folders under the per-user data folder: $APPDATA is taken as it is (as on the
// bench PCs, where it always exists); the XDG data folder is made when missing, as every
// program on Linux does on a fresh account.
Paths PlatformPaths();

struct LaunchRequest {
  std::optional<std::string> bench;  // connection text; none: the remembered bench, else "sim"
  std::string traceFile;             // every driver call is written there; empty: no trace
  BenchHelpOptions help;
  bool rememberBench = false;  // keep a bench given on the command line for the next run
  // The results store (off with --no-results), and what its runs are tagged with when no log
  // header names a serial/ID or an operator (--serial, --operator).
  bool results = true;
  std::string serial;
  std::string operatorName;
  // Readings per measurement; the decision rule (none: setting DecisionRule).
  int repeats = 1;
  std::optional<DecisionRule> decisionRule;
};

class Launcher {
 public:
  Launcher(const BackendRegistry& registry, Settings& settings, Paths paths);
  ~Launcher();
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  void Choose(const LaunchRequest& request);
  // The chosen bench is simulated (or, after Adopt, the adopted one).
  bool Simulated() const { return simulated_; }
  const BenchChoice& Choice() const { return choice_; }

  // Opens the chosen bench on `loop` (the run's clock from then on) and starts the trace.
  void Open(EventLoop& loop);
  // Takes a bench opened elsewhere (the end-to-end tests keep their own hold on it).
  void Adopt(std::unique_ptr<OpenedBench> bench, bool simulated, EventLoop& loop);

  // Builds the Program and its Startup. `person` answers the prompts, through the bench's help
  // when the request asked for it.
  Program& Compose(Operator& person, MainView& view, ShellView& shellView, LogDialogs& logDialogs,
                   const VersionTexts& versions);

  Program& program() { return *program_; }
  Startup& startup() { return program_->Start(); }
  OpenedBench& bench() { return *bench_; }
  // The results recorder; null with --no-results.
  ResultsRecorder* Recorder() { return recorder_.get(); }
  // The driver the program talks through (the trace's, when there is one): for the tools that
  // talk to the bus directly.
  Gpib488& Driver() { return tracing_ ? *tracing_ : bench_->Driver(); }
  // What the bench's help did, empty without help.
  std::string HelperTranscript() const { return bench_ ? bench_->HelperTranscript() : ""; }
  // The program ends at once: its open files are closed, nothing already shown is lost.
  void CloseFiles() {
    if (program_) program_->CloseFiles();
  }

 private:
  const BackendRegistry& registry_;
  Settings& settings_;
  Paths paths_;
  LaunchRequest request_;
  BenchChoice choice_;
  bool simulated_ = false;
  EventLoop* loop_ = nullptr;
  std::unique_ptr<OpenedBench> bench_;
  std::unique_ptr<Gpib488> tracing_;
  std::unique_ptr<Program> program_;
  std::unique_ptr<ResultsRecorder> recorder_;
};

}  // namespace veridane
