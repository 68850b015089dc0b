#include "shell/launcher.h"

#include <cstdlib>
#include <filesystem>

#include "gpib/backends/tracing_gpib.h"
#include "platform/text8.h"
#include "shell/parlex_folder.h"
#include "shell/run_facts.h"

namespace veridane {

Paths PlatformPaths() {
  Paths paths;
  const char* appData = std::getenv("APPDATA");
  if (appData == nullptr || *appData == '\0') {
    std::error_code ignored;
    std::filesystem::create_directories(paths.Root(), ignored);
  }
  return paths;
}

Launcher::Launcher(const BackendRegistry& registry, Settings& settings, Paths paths)
    : registry_(registry), settings_(settings), paths_(std::move(paths)) {}

// The program goes before the bench it talks to.
Launcher::~Launcher() {
  program_.reset();
  recorder_.reset();
  tracing_.reset();
}

void Launcher::Choose(const LaunchRequest& request) {
  request_ = request;
  choice_ = ChooseBench(registry_, request.bench, settings_);
  simulated_ = choice_.Simulated();
}

void Launcher::Open(EventLoop& loop) {
  // Once, on the first start that finds the old folder; what cannot be moved now stays where
  // it was and is tried again next time.
  std::string notMoved;
  MoveOldParlexFolder(paths_, settings_, notMoved);
  std::unique_ptr<OpenedBench> bench;
  try {
    bench = OpenBench(registry_, choice_, loop, settings_);
  } catch (const BenchOpenError& error) {
    throw LaunchError(error.what());
  }
  // A bench made to fail is for this run only: the next plain start must not meet its faults.
  if (request_.rememberBench && !bench->InjectsFaults()) RememberBench(settings_, choice_);
  Adopt(std::move(bench), simulated_, loop);
}

void Launcher::Adopt(std::unique_ptr<OpenedBench> bench, bool simulated, EventLoop& loop) {
  bench_ = std::move(bench);
  simulated_ = simulated;
  loop_ = &loop;
  if (request_.traceFile.empty()) return;
  TracingGpib::Sink sink = TraceFileSink(request_.traceFile);
  if (!sink) throw LaunchError("The trace file " + Text8FromUtf8(request_.traceFile) + " cannot be written.");
  tracing_ = std::make_unique<TracingGpib>(bench_->Driver(), loop, std::move(sink));
}

Program& Launcher::Compose(Operator& person, MainView& view, ShellView& shellView, LogDialogs& logDialogs,
                           const VersionTexts& versions) {
  Operator* helper = bench_->Helper(person, request_.help);
  if (helper == nullptr && request_.help.help == BenchHelp::Alone)
    throw LaunchError("The virtual technician works only on a simulated bench.");
  Operator& op = helper != nullptr ? *helper : person;
  const std::string notice = bench_->Notice();
  if (!notice.empty()) op.ShowMessBox(notice, kOkOnly + kExclamation, "Bench");
  Gpib488& driver = tracing_ ? *tracing_ : bench_->Driver();
  program_ = std::make_unique<Program>(ProgramSeams{op, *loop_, settings_, paths_, driver, view, logDialogs,
                                                    InstrumentDataFolderFor(*bench_, settings_, paths_), simulated_,
                                                    choice_.text, shellView, versions});
  program_->SetRepeats(request_.repeats);
  program_->SetDecisionRule(request_.decisionRule.value_or(
      DecisionRuleFromName(settings_.Get("Veridane", "Settings", "DecisionRule", "simple")).value_or(DecisionRule::Simple)));
  if (request_.results) {
    recorder_ = std::make_unique<ResultsRecorder>(
        RecorderSeams{StoreTargetFromSettings(settings_, program_->DataFolder()),
                      [this] { return CurrentRunFacts(*program_, choice_.text, request_.serial, request_.operatorName); },
                      StoreTimeNow, op});
    program_->SetResultSink(recorder_.get());
    program_->SetLogSessionHook([this](const std::string& logPath, int firstLine, bool created) {
      recorder_->RecordLogSession(logPath, firstLine, created);
    });
  }
  return *program_;
}

}  // namespace veridane
