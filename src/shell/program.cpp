#include "shell/program.h"

#include "log/log_stamp.h"
#include "platform/text8.h"
#include "pv/catalogue.h"

namespace veridane {

namespace {

Paths PathsFor(const ProgramSeams& seams) {
  Paths paths = seams.paths;
  paths.SetSimulated(seams.simulated);
  return paths;
}

}  // namespace

std::string BenchCaptionMark(std::string_view benchText, bool simulated) {
  if (simulated)
    return benchText.empty() ? std::string(kSimulatedCaptionMark)
                             : " [Simulated bench " + std::string(benchText) + "]";
  return benchText.empty() ? std::string() : " [Bench " + std::string(benchText) + "]";
}

Program::Program(const ProgramSeams& seams)
    : op(seams.op),
      loop(seams.loop),
      settings(seams.settings),
      paths(PathsFor(seams)),
      instrumentDataFolder(seams.instrumentDataFolder),
      simulated(seams.simulated),
      benchText(seams.benchText),
      markedView(seams.view, BenchCaptionMark(Text8FromUtf8(seams.benchText), seams.simulated)),
      view(markedView.Mark().empty() ? seams.view : static_cast<MainView&>(markedView)),
      bus(seams.driver, seams.op, seams.loop),
      scopeControl(bus, op, scope),
      detector(bus, roles, instrumentDataFolder),
      sg(bus, op, roles, RunFlags{run.AutoMode, run.AbortFlag}, instrumentDataFolder),
      calibrator(bus, op, roles, RunFlags{run.AutoMode, run.AbortFlag}),
      scanners(bus, op, roles),
      display(view, run, op, loop),
      frame(run, view, display, op, loop),
      pv{bus, scope, scopeControl, roles, calibrator, scanners, sg, run, frame, display, op, loop},
      log(LogPlace{[this] { return DataFolder(); }, scope.ScopeModel, scope.LogFolderName}, display, view, run, op,
          seams.logDialogs, SystemLogStamp) {
  FrameHooks& hooks = frame.Hooks();
  hooks.ScopeReset = [this] { scopeControl.ScopeReset(); };
  hooks.ScannerReset = [this] { scanners.ScannerReset(); };
  hooks.CalibratorReset = [this] { calibrator.CalibratorReset(); };
  hooks.CGReset = [this] { CGReset(bus, roles); };
  hooks.SGReset = [this] { sg.SGReset(); };
  display.SetResultLog(&log);
  hooks.WriteStatusFile = [this] { log.WriteStatusFile(); };
  hooks.CreateLogFile = [this] { log.CreateLogFile(); };
  CloseFiles = [this] { log.CloseFiles(); };
  RegisterPvTests(pv);
}

}  // namespace veridane
