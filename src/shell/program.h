#pragma once
// One run of the program: every piece of program-wide state and every subsystem, built once
// from the seams the caller hands over (the window or console, the clock, the settings, the
// folders and the GPIB driver). Subsystems get the parts they use by reference, so the order
// of the members below is the order they are built in.
#include <bitset>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "faultbook/faultbook.h"
#include "instruments/calibrator.h"
#include "log/log_book.h"
#include "log/log_dialogs.h"
#include "instruments/instrument_roles.h"
#include "instruments/run_flags.h"
#include "instruments/scanners.h"
#include "instruments/signal_generator.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "platform/operator.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "scope/scope_identity.h"
#include "pv/frame/main_view.h"
#include "pv/procedures/pv_context.h"
#include "pv/frame/result_display.h"
#include "pv/frame/run_state.h"
#include "pv/frame/test_frame.h"
#include "results/run_context.h"
#include "shell/shell_view.h"
#include "shell/startup.h"

namespace veridane {

// Appended to every window caption of a simulated run, so that no screen of a rehearsal can
// be taken for a real verification.
inline constexpr std::string_view kSimulatedCaptionMark = " [Simulated bench]";

// What the captions say about the bench: a simulated one always, with its connection text
// when known (" [Simulated bench sim:bandwidth-fault]"), a real one by its connection text
// (" [Bench gpib:0]"), so that a bench remembered from an earlier run is never a surprise.
std::string BenchCaptionMark(std::string_view benchText, bool simulated);

struct ProgramSeams {
  Operator& op;
  EventLoop& loop;
  Settings& settings;
  Paths paths;  // its Simulated() flag is set from `simulated`
  Gpib488& driver;
  MainView& view;
  // The create and open dialogs of the result log (windows, or preset answers headless).
  LogDialogs& logDialogs;
  // Where the generator compensation files and the scanner configuration are read.
  std::filesystem::path instrumentDataFolder;
  bool simulated = false;
  // The bench's connection text ("sim:scope-only", "gpib:0"); named in every caption.
  std::string benchText;
  // What start-up shows beside the main window (the splash, the About box, the label) and the
  // version texts of its captions.
  ShellView& shellView;
  VersionTexts versions;
};

// Passes everything on to the real view; captions get the simulated-bench mark.
class CaptionMarkingView : public MainView {
 public:
  CaptionMarkingView(MainView& inner, std::string mark) : inner_(inner), mark_(std::move(mark)) {}
  void SetCaption(std::string_view caption) override { inner_.SetCaption(std::string(caption) + mark_); }
  void SetDisplayText(std::string_view text) override { inner_.SetDisplayText(text); }
  void AppendDisplayText(std::string_view text) override { inner_.AppendDisplayText(text); }
  void AppendResult(std::string_view text, const StepResult& result) override { inner_.AppendResult(text, result); }
  void ShowDisplayEnd() override { inner_.ShowDisplayEnd(); }
  void ShowResultUncertainty(std::string_view expanded, std::string_view tur) override {
    inner_.ShowResultUncertainty(expanded, tur);
  }
  void SetStatusLines(const std::vector<std::string>& lines) override { inner_.SetStatusLines(lines); }
  void SetCounter(int index, std::string_view text, bool alert) override { inner_.SetCounter(index, text, alert); }
  void SetEnabled(std::string_view name, bool enabled) override { inner_.SetEnabled(name, enabled); }
  void SetChecked(std::string_view name, bool checked) override { inner_.SetChecked(name, checked); }
  void SetLogFileLabel(std::string_view name) override { inner_.SetLogFileLabel(name); }
  const std::string& Mark() const { return mark_; }

 private:
  MainView& inner_;
  std::string mark_;
};

class Program {
 public:
  explicit Program(const ProgramSeams& seams);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // What the windows, the console and the exports read.
  const RunState& Run() const { return run_; }
  const ScopeIdentity& Scope() const { return scope_; }
  const InstrumentRoles& Roles() const { return roles_; }
  const ResultDisplay& Display() const { return display_; }
  const LogBook& Log() const { return log_; }
  // What the calibration record keeps of this run beside the results: the unit's asset id and
  // owner, the conditions, as found or as left, and the standards the due-date gate found.
  const RunContext& Record() const { return record_; }
  const Paths& Folders() const { return paths_; }
  bool Simulated() const { return simulated_; }
  const std::string& BenchText() const { return benchText_; }  // file-system text, UTF-8
  // The program's folder for this run ("…/Veridane", or "…/Veridane/Simulated").
  std::string DataFolder() const { return paths_.DataFolder(); }
  // What every window of this run appends to its caption (empty when it names no bench).
  const std::string& CaptionMark() const { return markedView_.Mark(); }

  // The technician as this run's prompts reach them (through the bench's help, when it gives
  // some), for the tools that open their own windows and ask their own questions.
  Operator& Op() { return op_; }
  // What the manual message tool starts from: the listeners start-up found, and the timeout
  // every handle handed out gets.
  std::vector<int16_t> ListenerAddresses() const { return bus_.listeners.Addresses(); }
  DriverTimeout DeviceTimeout() const { return bus_.DeviceTimeout; }
  // The scope's error log, read and cleared over this run's bus.
  Faultbook ScopeErrorLog() { return Faultbook(bus_, scope_); }

  // Start-up and exit of this run (the load, activate and unload handlers).
  Startup& Start() { return startup_; }

  // The tests of this build by test number, the self calibration as kSelfCalEntry (0): whether
  // the catalogue put a procedure in, and running it as its menu command does.
  bool HasTest(int number) const;
  void RunTest(int number);
  // Told when a Full Sequence has run to its end (true) or was stopped (false), just before
  // its closing message.
  void OnFullSequenceEnded(std::function<void(bool completed)> ended);
  void FullSequence() { frame_.FullSequence(scope_.ScopeModel); }
  // Exit Test: the running test stops at its next check.
  void ExitTest() { frame_.ExitTest(); }
  // A close asked for while a test runs: stops it without the Exit Test button's side effects.
  void StopTest() { run_.AbortFlag = true; }
  // Why a run without a person stopped the test (with the stop its answer gives): the test then
  // fails with this line in its table.
  void SetStopFinding(std::string finding) { run_.StopFinding = std::move(finding); }
  void DisableAuto() { frame_.DisableAuto(); }
  void ClearTests() { display_.ClearTests(); }

  // The result log's commands; CloseFiles closes the open files before an orderly exit, or
  // when the program ends at once.
  void CreateLogFile() { log_.CreateLogFile(); }
  void AppendLogFile() { log_.AppendLogFile(); }
  void CloseLogFile() { log_.CloseLogFile(); }
  void CloseFiles() { log_.CloseFiles(); }

  // The record of the run: set whole (the console's --asset and friends, the standards gate),
  // or the conditions the technician gave with a new log.
  void SetRecord(RunContext record) { record_ = std::move(record); }
  void SetConditions(RunLabel label, std::optional<double> temperatureC, std::optional<double> humidityPercent) {
    record_.label = label;
    record_.temperatureC = temperatureC;
    record_.humidityPercent = humidityPercent;
  }

  // How a step is read and judged: replies averaged per reading, the standards' figures for its
  // uncertainty, the decision rule.
  void SetRepeats(int repeats) { run_.Repeats = repeats; }
  void SetStandardUncertainties(std::vector<UncertaintyFigure> figures) {
    run_.StandardUncertainties = std::move(figures);
  }
  void SetDecisionRule(DecisionRule rule) { run_.DecisionRule = rule; }

  // The sinks of judged steps besides the log and the display: the results store and the
  // progress line (null: none); and who hears of every log session started.
  void SetResultSink(StepSink* sink) { frame_.Sinks().store = sink; }
  void SetProgressSink(StepSink* sink) { frame_.Sinks().progress = sink; }
  void SetLogSessionHook(LogBook::SessionHook hook) { log_.SetSessionHook(std::move(hook)); }

 private:
  // The seams.
  Operator& op_;
  EventLoop& loop_;
  Settings& settings_;
  const Paths paths_;
  const std::filesystem::path instrumentDataFolder_;
  const bool simulated_;
  const std::string benchText_;

  // The window as every subsystem sees it: through the caption marker naming the bench.
  CaptionMarkingView markedView_;
  MainView& view_;

  // GPIB access and the scope under test.
  GpibBus bus_;
  ScopeIdentity scope_;
  ScopeControl scopeControl_;

  // Bench instruments.
  InstrumentRoles roles_;
  InstrumentDetector detector_;

  // Verification run state; the drivers only read its Auto mode.
  RunState run_;
  SignalGenerator sg_;
  Calibrator calibrator_;
  ScannerDriver scanners_;

  // Result display and the test frame, its hooks wired to the subsystems above.
  ResultDisplay display_;
  TestFrame frame_;

  // What the verification procedures work with; they are registered in the frame from it.
  PvContext pv_;

  // The result log: every shown row, and the PASS/FAIL file after each test.
  LogBook log_;

  RunContext record_;

  // Which tests the catalogue put in (it does so once, while the program is built); entry 0
  // is the self calibration.
  std::bitset<kMostTests + 1> testsOffered_;

  // Start-up drives the pieces above one by one (bus, detection, scope identity, compensation
  // data, the frame's resets); it is the program's own loading, not a window.
  Startup startup_;
};

}  // namespace veridane
