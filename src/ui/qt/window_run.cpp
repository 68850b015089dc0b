#include "ui/qt/window_run.h"

#include <chrono>

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/settings.h"
#include "pv/catalogue.h"
#include "pv/frame/progress_view.h"
#include "pv/frame/sequence_summary.h"
#include "pv/progress_plan.h"
#include "record/certificate.h"
#include "results/results_recorder.h"
#include "shell/launcher.h"
#include "shell/paced_clock.h"
#include "shell/program.h"
#include "shell/report_header.h"
#include "shell/sequence_left.h"
#include "shell/exit_codes.h"
#include "shell/startup.h"
#include "shell/version.h"
#include "faultbook/faultbook.h"
#include "log/print_report.h"
#include "parlex/manual_presenter.h"
#include "platform_qt/qt_printer.h"
#include "ui/qt/entry_guard.h"
#include "ui/qt/export_text.h"
#include "ui/qt/guide_form.h"
#include "ui/qt/error_log_form.h"
#ifdef VERIDANE_HISTORY_WINDOW
#include "ui/qt/history_form.h"
#endif
#include "ui/qt/manual_form.h"
#include "ui/qt/qt_file_dialogs.h"
#include "ui/qt/qt_log_dialogs.h"
#include "ui/qt/print_preview.h"
#include "ui/qt/main_form.h"
#include "ui/qt/platform_start_guard.h"
#include "ui/qt/qt_main_view.h"
#include "ui/qt/qt_operator.h"
#include "ui/qt/qt_shell_view.h"
#include "ui/qt/record_window.h"
#include "ui/qt/widget_text.h"
#include "ui/qt/window_geometry.h"

namespace veridane {
namespace {

// On a simulated bench the window runs on virtual time at this fraction of real time: a full
// rehearsal takes minutes instead of the bench's twenty, yet each wait still lasts long enough
// to read the info window and to press Exit Test.
constexpr double kSimulatedPace = 0.25;
constexpr std::chrono::seconds kLongestSimulatedWait{1};

// Asks before the main window closes; a refused close is ignored.
class CloseFilter : public QObject {
 public:
  explicit CloseFilter(std::function<bool()> mayClose) : mayClose_(std::move(mayClose)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close && !mayClose_()) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<bool()> mayClose_;
};

// The History window reads the store this run writes to; without Qt Charts it is not built.
// A run chosen there is certified with the lab's identity, as the command line does.
std::function<void()> HistoryCommand(QWidget* parent, const Settings& settings, Program& program,
                                     const std::string& mark) {
#ifdef VERIDANE_HISTORY_WINDOW
  return [parent, &settings, &program, mark] {
    ShowHistory(parent, StoreTargetFromSettings(settings, program.DataFolder()), mark,
                HistoryCertifying{&program.Op(), nullptr, LabIdentityFromSettings(settings), StoreTimeNow});
  };
#else
  (void)parent, (void)settings, (void)program, (void)mark;
  return {};
#endif
}

int RunWindow(const BackendRegistry& registry, const CommandLine& options) {
  UserSettings settings;
  const Paths paths = PlatformPaths();
  MainForm form;
  RestoreWindowGeometry(form, settings);
  QtOperator technician(&form);
  QtMainView mainView(form);
  QtShellView shellView(form, settings);
  EntryGuard guard(kExitEnded);

  RealEventLoop realLoop([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  PacedClock pacedClock(realLoop, kSimulatedPace, kLongestSimulatedWait);
  Launcher launcher(registry, settings, paths);
  LaunchRequest request;
  request.bench = options.bench;
  request.traceFile = options.traceFile;
  request.rememberBench = true;
  request.repeats = options.repeats;
  request.decisionRule = options.decisionRule;
  // On a simulated bench nobody can plug a real cable: the virtual technician does the
  // physical part of every prompt (cables, hand-set instruments) before the person sees it and
  // answers. A prompt it does not know simply goes to the person.
  request.help.help = options.technician == "none" ? BenchHelp::None : BenchHelp::Assistant;
  launcher.Choose(request);
  try {
    launcher.Open(launcher.Simulated() ? static_cast<EventLoop&>(pacedClock) : realLoop);
  } catch (const LaunchError& error) {
    technician.ShowMessBox(error.what(), kOkOnly + kCritical, "Bench");
    return kExitUsage;
  }

  // The status bar follows the running test; its clock ticks once a second between rows.
  EventLoop& runClock = launcher.Simulated() ? static_cast<EventLoop&>(pacedClock) : realLoop;
  // During a Full Sequence the line also says how long the whole sequence still needs.
  const RunState* sequenceState = nullptr;
  const ProgressTracker* sequenceTracker = nullptr;
  ProgressView progressView(mainView, runClock, PlannedProgress, [&](std::string_view text) {
    if (sequenceState == nullptr || sequenceTracker == nullptr || !sequenceState->FullSeqRunning) {
      form.Progress()->setText(WidgetText(text));
      return;
    }
    const double left = SequenceSecondsLeft(*sequenceTracker, sequenceState->CurrentTest, sequenceState->NumberOfTests,
                                            runClock.Now(), PlannedProgress);
    form.Progress()->setText(WidgetText(SequenceProgressText(text, left)));
  });
  sequenceTracker = &progressView.Tracker();
  QTimer progressTick;
  QObject::connect(&progressTick, &QTimer::timeout, &form, [&progressView] {
    if (progressView.Tracker().Running()) progressView.Refresh();
  });
  progressTick.start(1000);

  VersionTexts versions;
  versions.mainTitle = MainTitle();
  versions.moduleVersionText = ModuleVersionText();
  versions.parlexVersion = parlex::VerPX();
  versions.faultbookVersion = VerErr();
  QtLogDialogs logDialogs(technician, &form);
  Program& program = launcher.Compose(technician, progressView, shellView, logDialogs, versions);
  // A new log's dialog also says whose unit it is, whether as found or as left, and the
  // conditions; they are kept with the log and offered again when it is opened to append.
  logDialogs.SetRecordHook([&program](const LogRecordEntries& entries) { ApplyRecordEntries(program, entries); });
  program.SetLogSessionHook([&, recorder = launcher.Recorder()](const std::string& logPath, int firstLine, bool created) {
    if (recorder != nullptr) recorder->RecordLogSession(logPath, firstLine, created);
    KeepLogRecord(&form, program, StoreTargetFromSettings(settings, program.DataFolder()), logPath, created);
  });
  progressView.Attach(program.Run());
  program.SetProgressSink(&progressView);
  sequenceState = &program.Run();
  technician.SetWorkUnderWay(
      [&progressView, &program] { return progressView.Tracker().Running() || program.Run().FullSeqRunning; });
  Startup& startup = launcher.startup();
  guard.SetShutdownHook([&] {
    program.CloseFiles();
  });

  bool ready = false;
  if (!guard.Run([&] { ready = startup.Load(options.aboutRequested); })) return guard.ExitCode();
  if (!ready) return kExitPassed;  // the About box was all that was asked for

  // One command at a time: the menus are locked while a test runs, but a close or a second
  // click can still arrive from inside a wait.
  bool busy = false;
  bool closeWanted = false;
  std::function<void(const std::function<void()>&)> runCommand = [&](const std::function<void()>& work) {
    if (busy || guard.Ended()) return;
    busy = true;
    guard.Run(work);
    busy = false;
    if (closeWanted && !guard.Ended()) {
      closeWanted = false;
      form.close();
    }
  };

  auto connectItem = [&](std::string_view name, std::function<void()> work) {
    QAction* item = form.Item(name);
    if (item == nullptr) return;
    if (!work) {
      item->setEnabled(false);  // not part of this build yet
      return;
    }
    QObject::connect(item, &QAction::triggered, &form, [&runCommand, work] { runCommand(work); });
  };

  // What the File menu's Print and the two tools work with.
  QtPrinter printer;
  QtPrintDialog printDialog(&form);
  const std::string mark = program.CaptionMark();
  parlex::ParlexRunState parlexState;
  QtFileDialogs fileDialogs(&form);
  parlex::ParlexSeams parlexSeams{launcher.Driver(), program.Op(), runClock, settings, fileDialogs,
                                  program.Folders().ParlexFolder(), program.ListenerAddresses(),
                                  program.DeviceTimeout(), mark};

  // The menu: each item and what it runs; an item without work is not part of this build yet.
  double sequenceStart = 0;
  std::vector<std::pair<std::string_view, std::function<void()>>> menu = {
      {"FSeq", [&] {
         sequenceStart = runClock.Now();
         program.FullSequence();
       }},
      {"CreateLogFile", [&] { program.CreateLogFile(); }},
      {"AppendLogFile", [&] { program.AppendLogFile(); }},
      {"CloseLogFile", [&] { program.CloseLogFile(); }},
      {"PrintStart", [&] { PrintStart(printer, printDialog, program.Op(), program.Display().Text(), ReportPrintOptions(program)); }},
      {"PrintPreview", [&] { ShowPrintPreview(program.Op(), program.Display().Text(), &form, ReportPrintOptions(program)); }},
      {"Certificate", CertificateMenuCommand(launcher, settings, fileDialogs)},
      {"FManual", [&] { RunParlex(parlexSeams, parlexState, &form); }},
      {"ViewErrorLog", [&] { ShowErrorLog(&form, FaultbookSeams{program.ScopeErrorLog(), program.Op(), program.Folders(), mark}); }},
      {"ShowHistory", HistoryCommand(&form, settings, program, mark)},
      {"DisableAuto", [&] { program.DisableAuto(); }},
      {"ClearTests", [&] { program.ClearTests(); }},
      {"ShowVersions", [&] { startup.ShowVersions(); }},
      {"ExportText", [&] {
         ExportLogAsText({program.Op(), fileDialogs, StoreTargetFromSettings(settings, program.DataFolder()),
                          program.Log().LogOpen() ? program.Log().LogPath() : std::string(),
                          program.Scope().LogFolderName.empty() ? program.DataFolder() : program.Log().LogFolder()});
       }},
      {"A", [&] { shellView.ShowAbout(); }},
  };
  for (const CatalogueEntry& test : TestCatalogue()) {
    std::function<void()> run;
    if (program.HasTest(test.number)) run = [&program, n = test.number] { program.RunTest(n); };
    menu.emplace_back(test.menuItem, std::move(run));
  }
  for (auto& [name, work] : menu) connectItem(name, std::move(work));
  FollowEnabled(*form.Item("PrintPreview"), *form.Item(ui::kPrintStart));
  // The guide can be read at any time, a test running or not: it changes nothing.
  QObject::connect(form.Item("Help"), &QAction::triggered, &form, [&form] { ShowUserGuide(&form); });
  // After a Full Sequence the status bar sums it up, before its closing message.
  program.OnFullSequenceEnded([&](bool completed) {
    form.Progress()->setText(WidgetText(FullSequenceSummary(program.Run(), completed, runClock.Now() - sequenceStart)));
  });
  QObject::connect(form.ClearTests2(), &QPushButton::clicked, &form,
                   [&] { runCommand([&] { program.ClearTests(); }); });
  // Exit Test runs inside the running test's waits: it only sets the flag.
  QObject::connect(form.ExitTestButton(), &QPushButton::clicked, &form,
                   [&] { guard.Run([&] { program.ExitTest(); }); });

  CloseFilter closeFilter([&] {
    if (guard.Ended() || startup.Phase() == StartupPhase::Ended) return true;
    if (busy) {
      // A close is easily given by mistake (a window manager's key, a click on the wrong
      // corner); a running test is only stopped when the technician says so.
      if (QMessageBox::question(&form, "Exit", "A test is running. Stop it and exit?",
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return false;
      // Stop the running test first; the window closes once it has ended.
      program.StopTest();
      closeWanted = true;
      return false;
    }
    SaveWindowGeometry(form, settings);
    busy = true;
    guard.Run([&] { startup.Unload(); });
    busy = false;
    // The info window of the shutdown is still open, so leave the event loop explicitly.
    QCoreApplication::exit(guard.Ended() ? guard.ExitCode() : kExitPassed);
    return true;
  });
  form.installEventFilter(&closeFilter);

  form.show();
  QTimer::singleShot(0, &form, [&] {
    runCommand([&] {
      // The reference standards before anything is measured; Cancel ends the program.
      if (!CheckStandardsAtStartup(&form, launcher, settings, options.standardsFile)) {
        startup.Unload();
        QCoreApplication::exit(kExitPassed);
        return;
      }
      if (!startup.Activate()) QCoreApplication::exit(kExitPassed);  // Cancel: the unload has run
    });
  });
  if (guard.Ended()) return guard.ExitCode();
  const int code = QApplication::exec();
  form.removeEventFilter(&closeFilter);
  return code;
}

}  // namespace

int RunWindowProgram(int argc, char** argv, const BackendRegistry& registry, const CommandLine& options) {
  auto startGuard = std::make_unique<PlatformStartGuard>();
  QApplication app(argc, argv);
  startGuard.reset();
  QApplication::setApplicationName(kShortAppName);
  // The installed desktop entry and icon (veridane.desktop, veridane.svg) name the window.
  QGuiApplication::setDesktopFileName("veridane");
  QApplication::setWindowIcon(QIcon::fromTheme("veridane"));
  // Every window, remembered or new, lies inside its screen however small.
  ScreenFit screenFit;
  app.installEventFilter(&screenFit);

  if (options.demoMessBox) {
    QtOperator technician;
    const BoxAnswer answer = technician.ShowMessBox("Are you sure ?", kYesNo + kQuestion, "Disable Auto Mode");
    std::cout << int{answer} << "\n";
    return 0;
  }
  return RunWindow(registry, options);
}

}  // namespace veridane

