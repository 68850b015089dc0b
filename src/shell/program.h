#pragma once
// One run of the program: every piece of program-wide state and every subsystem, built once
// from the seams the caller hands over (the window or console, the clock, the settings, the
// folders and the GPIB driver). Subsystems get the parts they use by reference, so the order
// of the members below is the order they are built in.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

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

  // The seams.
  Operator& op;
  EventLoop& loop;
  Settings& settings;
  const Paths paths;
  const std::filesystem::path instrumentDataFolder;
  const bool simulated;
  const std::string benchText;  // the bench's connection text (file-system text, UTF-8)

  // The window as every subsystem sees it: through the caption marker naming the bench.
  CaptionMarkingView markedView;
  MainView& view;

  // GPIB access and the scope under test.
  GpibBus bus;
  ScopeIdentity scope;
  ScopeControl scopeControl;

  // Bench instruments.
  InstrumentRoles roles;
  InstrumentDetector detector;

  // Verification run state; the drivers see only its two flags.
  RunState run;
  SignalGenerator sg;
  Calibrator calibrator;
  ScannerDriver scanners;

  // Result display and the test frame, its hooks wired to the subsystems above.
  ResultDisplay display;
  TestFrame frame;

  // What the verification procedures work with; they are registered in the frame from it.
  PvContext pv;

  // The result log: every shown row, and the PASS/FAIL file after each test.
  LogBook log;

  // What the calibration record keeps of this run beside the results: the unit's asset id and
  // owner, the conditions, as found or as left, and the standards the due-date gate found.
  RunContext record;

  // Closes the open files before an orderly exit, or when the program ends at once.
  std::function<void()> CloseFiles;

  // The program's folder for this run ("…/Veridane", or "…/Veridane/Simulated").
  std::string DataFolder() const { return paths.DataFolder(); }
  // What every window of this run appends to its caption (empty when it names no bench).
  const std::string& CaptionMark() const { return markedView.Mark(); }
};

}  // namespace veridane
