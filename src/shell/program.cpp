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
    : op_(seams.op),
      loop_(seams.loop),
      settings_(seams.settings),
      paths_(PathsFor(seams)),
      instrumentDataFolder_(seams.instrumentDataFolder),
      simulated_(seams.simulated),
      benchText_(seams.benchText),
      markedView_(seams.view, BenchCaptionMark(Text8FromUtf8(seams.benchText), seams.simulated)),
      view_(markedView_.Mark().empty() ? seams.view : static_cast<MainView&>(markedView_)),
      bus_(seams.driver, seams.op, seams.loop),
      scopeControl_(bus_, op_, scope_),
      detector_(bus_, roles_, instrumentDataFolder_),
      sg_(bus_, op_, roles_, run_.AutoMode, instrumentDataFolder_),
      calibrator_(bus_, op_, roles_, run_.AutoMode),
      scanners_(bus_, op_, roles_),
      display_(view_, run_, op_, loop_),
      frame_(run_, view_, display_, op_, loop_),
      pv_{{bus_, scope_, scopeControl_}, {roles_, calibrator_, scanners_, sg_}, {run_, frame_, display_}, op_, run_},
      log_(LogPlace{[this] { return DataFolder(); }, scope_.ScopeModel, scope_.LogFolderName}, display_, view_, run_, op_,
           seams.logDialogs, SystemLogStamp),
      startup_(StartupParts{view_, run_, frame_, bus_, detector_, scope_, scopeControl_, roles_, sg_, display_, log_, op_,
                            loop_, settings_, paths_, simulated_},
               seams.shellView, seams.versions) {
  FrameHooks& hooks = frame_.Hooks();
  hooks.ScopeReset = [this] { scopeControl_.ScopeReset(); };
  hooks.ScannerReset = [this] { scanners_.ScannerReset(); };
  hooks.CalibratorReset = [this] { calibrator_.CalibratorReset(); };
  hooks.CGReset = [this] { CGReset(bus_, roles_); };
  hooks.SGReset = [this] { sg_.SGReset(); };
  display_.SetResultLog(&log_);
  frame_.Sinks().log = &log_;
  frame_.Sinks().view = &display_;
  hooks.WriteStatusFile = [this] { log_.WriteStatusFile(); };
  hooks.CreateLogFile = [this] { log_.CreateLogFile(); };
  RegisterPvTests(pv_);
  // The run state knows the tests' names from the start, for the messages before start-up.
  frame_.NameTests();
  for (size_t n = 1; n < hooks.Tests.size(); ++n) testsOffered_[n] = static_cast<bool>(hooks.Tests[n]);
  testsOffered_[kSelfCalEntry] = static_cast<bool>(hooks.SelfCal);
}

bool Program::HasTest(int number) const {
  return number >= 0 && static_cast<size_t>(number) < testsOffered_.size() && testsOffered_[static_cast<size_t>(number)];
}

void Program::RunTest(int number) {
  if (!HasTest(number)) return;
  if (number == kSelfCalEntry)
    frame_.Hooks().SelfCal();
  else
    frame_.Hooks().Tests[static_cast<size_t>(number)]();
}

void Program::OnFullSequenceEnded(std::function<void(bool completed)> ended) {
  frame_.Hooks().FullSequenceEnded = std::move(ended);
}

}  // namespace veridane
