#include "ui/console/headless.h"

#include <memory>
#include <ostream>

#include <algorithm>
#include <filesystem>

#include "log/create_log_form.h"
#include "faultbook/error_log_file.h"
#include "faultbook/faultbook.h"
#include "log/log_dialogs.h"
#include "log/print_report.h"
#include "platform/printer.h"
#include "platform/text8.h"
#include "platform_qt/qt_printer.h"
#include "pv/catalogue.h"
#include "pv/frame/progress_view.h"
#include "pv/frame/status_list.h"
#include "pv/procedures/self_cal.h"
#include "pv/progress_plan.h"
#include "shell/launcher.h"
#include "shell/report_header.h"
#include "shell/version.h"
#include "ui/console/console_operator.h"
#include "ui/console/headless_record.h"
#include "ui/console/headless_view.h"

namespace veridane {

namespace {

AnswerRule Rule(const std::string& pattern, BoxAnswer answer) {
  AnswerRule rule;
  rule.pattern = pattern;
  rule.caption = CaptionPattern(pattern);
  rule.answer = answer;
  return rule;
}

// --manual first, then the technician's own file, then what a run without a person needs.
std::vector<AnswerRule> AnswerRules(const CommandLine& options) {
  std::vector<AnswerRule> rules;
  // A log made by another run after ours looked is never overwritten, whatever the file says.
  AnswerRule keep = Rule("^File Error$", kNo);
  keep.matchText = true;
  keep.text = CaptionPattern("already exists\\.\nDo you want to overwrite it");
  rules.push_back(std::move(keep));
  if (options.manual) rules.push_back(Rule("^Auto mode possible$", kNo));
  if (!options.answersFile.empty()) {
    for (AnswerRule& rule : ConsoleOperator::ReadAnswers(options.answersFile)) rules.push_back(std::move(rule));
  }
  // Creating a log asks for a file name in a dialog no console can show.
  rules.push_back(Rule("^Log File$", kNo));
  return rules;
}

// The exit code from what the tests left in the status table.
int Outcome(const RunState& run, const std::vector<int>& tests) {
  bool failed = false;
  bool unfinished = false;
  for (int n : tests) {
    // A self calibration has no status entry: its outcome counts like a test's.
    const TestOutcome status = n != kRunSelfCal ? run.TestStatus[static_cast<size_t>(n)] : SelfCalStatus(run);
    failed = failed || status == TestOutcome::Failed;
    unfinished = unfinished || !HasResult(status);
  }
  // A failure found is the stronger news about the scope, even if the run stopped later.
  if (failed) return kExitFailed;
  if (unfinished) return kExitAborted;
  return kExitPassed;
}

// The log of --log, made (or, with --append, continued) before the tests. An existing log is
// never overwritten from the command line: a script that runs twice must not lose the first
// scope's results.
int OpenRequestedLog(Program& program, PresetLogDialogs& dialogs, const CommandLine& options, std::ostream& messages) {
  const std::string name = Text8FromUtf8(options.logName);
  // The dialog's box takes no more; cutting the name short would log under another name.
  if (name.size() > CreateLogForm::kMaxNameLength) {
    messages << "The log name " << options.logName << " is longer than " << CreateLogForm::kMaxNameLength
             << " characters.\n";
    return kExitUsage;
  }
  // The dialog's own rules, said here as what they are: a refused name is no existing log.
  if (const std::string error = LogNameError(name); !error.empty()) {
    messages << "The log name " << options.logName << " is refused: " << Utf8FromText8(error) << "\n";
    return kExitUsage;
  }
  const std::string path = program.Log().LogFolder() + "/" + name + ".log";
  const bool exists = std::filesystem::exists(path);
  if (exists && !options.appendLog) {
    messages << "The log " << options.logName << " already exists; give --append to add to it.\n";
    return kExitUsage;
  }
  if (exists) {
    dialogs.SetOpenAnswer(name);
    program.AppendLogFile();
  } else {
    dialogs.SetCreateAnswer(CreateLogEntries{Text8FromUtf8(options.serial), name, Text8FromUtf8(options.operatorName),
                                             Text8FromUtf8(options.comments), options.idMode});
    program.CreateLogFile();
  }
  if (!program.Log().LogOpen()) {
    const Text8File::Refusal refusal = program.Log().OpenRefusal();
    if (refusal == Text8File::Refusal::InUse)
      messages << "The log " << options.logName << " is in use by another run; try again when that run has ended.\n";
    else if (!exists && (refusal == Text8File::Refusal::Exists ||
                         (refusal == Text8File::Refusal::None && std::filesystem::exists(path))))
      messages << "The log " << options.logName << " already exists; give --append to add to it.\n";
    else
      messages << "The log " << options.logName << " could not be " << (exists ? "opened" : "created") << ".\n";
    return kExitUsage;
  }
  return kExitPassed;
}

// --print: the display as the Print command prints it, into a PDF file.
bool PrintDisplay(Program& program, const std::string& pdfFile, const std::string& serial, std::ostream& messages) {
  QtPrinter printer;
  PresetPrintDialog dialog(PrintChoice{PrintTarget{"", pdfFile}, 1});
  if (PrintStart(printer, dialog, program.Op(), program.Display().Text(), ReportPrintOptions(program, Text8FromUtf8(serial))))
    return true;
  messages << "The display could not be printed to " << pdfFile << ".\n";
  return false;
}

// --run errorlog: the header line, then one entry per line, as the saved file has them.
std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower;
}

std::string RunNameOf(int test) {
  for (const CatalogueEntry& entry : TestCatalogue())
    if (entry.number == test) return std::string(entry.runName);
  return {};
}

int PrintErrorLog(Program& program, std::ostream& out, std::ostream& messages) {
  Faultbook faultbook = program.ScopeErrorLog();
  faultbook.Unlock();
  faultbook.ReadErrorLog();
  out << Utf8FromText8(ErrorLogHeader(program.Scope().ScopeModel, ShortDateToday())) << "\n";
  for (const std::string& entry : faultbook.List1()) out << Utf8FromText8(entry) << "\n";
  messages << Utf8FromText8(faultbook.Label1()) << "\n";
  if (faultbook.Truncated()) messages << "The log was read up to its safety limit only; it may go on in the scope.\n";
  return kExitPassed;
}

}  // namespace

bool ExplainSteps(const std::vector<AssessedStep>& steps, std::string_view step, std::ostream& out,
                  std::ostream& messages) {
  const std::string wanted = Lower(Trim(Text8FromUtf8(step)));
  bool found = false;
  for (const AssessedStep& assessed : steps) {
    const StepResult& result = assessed.result;
    const std::string name = Lower(result.step);
    if (wanted != name && wanted != Lower(RunNameOf(result.test)) + ":" + name) continue;
    found = true;
    out << "\n" << Utf8FromText8(result.testName + ": " + BudgetReport(result.step, result.unit, assessed.uncertainty));
  }
  if (found) return true;
  messages << "No step \"" << step << "\" in this run. Its steps:\n";
  for (const AssessedStep& assessed : steps)
    messages << "  " << RunNameOf(assessed.result.test) << ":" << Utf8FromText8(assessed.result.step) << "\n";
  return false;
}

RunPlan ParseRunPlan(std::string_view text) {
  RunPlan plan;
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (Trim(lower) == "full") {
    plan.fullSequence = true;
    return plan;
  }
  if (Trim(lower) == kErrorLogRunName) {
    plan.errorLog = true;
    return plan;
  }
  size_t start = 0;
  while (start <= lower.size()) {
    size_t comma = lower.find(',', start);
    if (comma == std::string::npos) comma = lower.size();
    const std::string name = Trim(lower.substr(start, comma - start));
    start = comma + 1;
    const CatalogueEntry* test = FindTestByRunName(name);
    if (test == nullptr) {
      plan.error = "Unknown test \"" + name + "\" in --run (use full, " + kErrorLogRunName + ", or " + RunNames() + ")";
      return plan;
    }
    plan.tests.push_back(test->number);
  }
  return plan;
}

int RunHeadless(const BackendRegistry& registry, const CommandLine& options, Settings& settings, const Paths& paths,
                std::ostream& out, std::ostream& messages, const ConsoleLooks& looks) {
  const RunPlan plan = ParseRunPlan(options.run);
  // A "?" asks for the About box only; one inside a comment or a serial would turn a scripted
  // run into nothing that still looked like success.
  if (options.aboutRequested && !options.questionInValueOf.empty() && !options.run.empty()) {
    messages << "The value of " << options.questionInValueOf
             << " contains \"?\", which asks for the About box only: nothing was run. Leave the \"?\" out to run.\n";
    return kExitUsage;
  }
  if (!options.aboutRequested && options.run.empty()) {
    messages << "A headless run needs --run (full, " << kErrorLogRunName << ", or test names separated by commas: "
             << RunNames() << ").\n";
    return kExitUsage;
  }
  if (!options.aboutRequested && !plan.error.empty()) {
    messages << plan.error << "\n";
    return kExitUsage;
  }
  const bool virtualTechnician = options.technician == "virtual";
  if (!options.technician.empty() && !virtualTechnician && options.technician != "none") {
    messages << "Unknown technician \"" << options.technician << "\" (known: virtual, none).\n";
    return kExitUsage;
  }

  std::vector<AnswerRule> rules;
  try {
    rules = AnswerRules(options);
  } catch (const AnswersFileError& error) {
    messages << error.what() << "\n";
    return kExitUsage;
  }
  RunContext context;
  if (const int problem = RecordContextFromOptions(options, context, messages); problem != kExitPassed) return problem;
  // With --json -, standard output carries the document alone.
  std::ostream& tables = options.jsonFile == "-" ? messages : out;
  ConsoleOperator console(std::move(rules), messages);
  // A question that comes back again and again for one step stops that test as failed, with
  // the reason in its table; the rest of a Full Sequence goes on.
  Program* running = nullptr;
  console.OnQuestionBounded([&running](std::string_view caption) {
    if (running != nullptr) running->SetStopFinding(SignalNotSetFinding(running->Run().CurrentTestName(), caption));
  });

  // A simulated bench runs on virtual time: every wait passes at once. A real bench has no
  // interface events to process between its waits.
  VirtualClock virtualClock;
  RealEventLoop realLoop([] {});
  Launcher launcher(registry, settings, paths);
  LaunchRequest request;
  request.bench = options.bench;
  request.traceFile = options.traceFile;
  request.help.help = virtualTechnician ? BenchHelp::Alone : BenchHelp::None;
  request.help.manual = options.manual;
  request.help.witness = [&console](std::string_view text, int16_t style, std::string_view caption, BoxAnswer answer) {
    console.Witness(text, style, caption, answer);
  };
  request.results = !options.noResults;
  request.serial = options.serial;
  request.operatorName = options.operatorName;
  request.repeats = options.repeats;
  request.decisionRule = options.decisionRule;
  // What the virtual technician did, printed however the run ends.
  auto printTranscript = [&] { messages << Utf8FromText8(launcher.HelperTranscript()); };
  try {
    launcher.Choose(request);
    launcher.Open(launcher.Simulated() ? static_cast<EventLoop&>(virtualClock) : realLoop);
    HeadlessView view(tables, messages);
    console.SetStepMark([&view] { return view.Changes(); });
    view.SetColourRows(looks.colourRows);
    // Progress as whole lines between the prompts, one per result row: a terminal shows it,
    // a log file of the messages does not fill up with it.
    ProgressView progress(view, launcher.Simulated() ? static_cast<EventLoop&>(virtualClock) : realLoop,
                          PlannedProgress, [&](std::string_view text) {
                            if (looks.progress && !text.empty()) messages << "  .. " << Utf8FromText8(text) << std::endl;
                          });
    VersionTexts versions;
    versions.mainTitle = MainTitle();
    versions.moduleVersionText = ModuleVersionText();
    PresetLogDialogs logDialogs(console);
    Program& program = launcher.Compose(console, progress, view, logDialogs, versions);
    running = &program;
    progress.Attach(program.Run());
    program.SetProgressSink(&progress);
    Startup& startup = launcher.startup();
    // A mistyped database setting would otherwise lose every row of the run to a message box.
    if (ResultsRecorder* recorder = launcher.Recorder(); recorder != nullptr && !recorder->Target().error.empty()) {
      messages << Utf8FromText8(recorder->Target().error) << "\n";
      return kExitUsage;
    }

    for (int n : plan.tests) {
      if (!program.HasTest(n)) {
        messages << "The test \"" << program.Run().TestName(n) << "\" is not available in this build.\n";
        return kExitUsage;
      }
    }

    if (!startup.Load(options.aboutRequested)) return kExitPassed;
    // The due-date gate: after the instruments are found, before any test.
    if (!plan.errorLog) {
      const int problem = GateStandards(launcher, settings, options, context, messages);
      if (problem != kExitPassed) {
        startup.Unload();
        printTranscript();
        return problem;
      }
    }
    if (!startup.Activate()) {
      printTranscript();
      return kExitAborted;
    }

    if (!options.logName.empty()) {
      const int problem = OpenRequestedLog(program, logDialogs, options, messages);
      if (problem != kExitPassed) {
        startup.Unload();
        return problem;
      }
    }

    if (plan.errorLog) {
      const int code = PrintErrorLog(program, out, messages);
      startup.Unload();
      printTranscript();
      return code;
    }

    std::vector<int> judged = plan.tests;
    if (plan.fullSequence) {
      program.FullSequence();
      judged.clear();
      // A calibration that was made counts like a test; one the technician declined does not
      // stop the sequence and leaves nothing to judge.
      if (program.HasTest(kRunSelfCal) && program.Run().SelfCalResult != kSelfCalNotPerformed) judged.push_back(kRunSelfCal);
      for (int n = 1; n <= program.Run().NumberOfTests; ++n)
        if (program.HasTest(n)) judged.push_back(n);
    } else {
      for (int n : plan.tests) {
        if (n == kRunSelfCal) {
          program.RunTest(kRunSelfCal);
          if (program.Run().SelfCalResult != 0) break;  // a scope that did not calibrate is not verified
          continue;
        }
        program.RunTest(n);
        if (program.Run().TestStatus[static_cast<size_t>(n)] == TestOutcome::NotRun) break;  // stopped: no more
      }
    }
    int code = Outcome(program.Run(), judged);
    StoreTestOutcomes(launcher, judged);
    code = std::max(code, WriteRunExports(launcher, settings, options, out, messages));
    if (!options.explain.empty() && !ExplainSteps(program.Display().Results(), options.explain, out, messages))
      code = std::max(code, static_cast<int>(kExitUsage));
    if (!options.printFile.empty() && !PrintDisplay(program, options.printFile, options.serial, messages))
      code = std::max(code, static_cast<int>(kExitEnded));
    // A log the disk stopped taking was said at the time; a script learns it from the code.
    if (!options.logName.empty() && program.Log().LogIncomplete()) {
      if (program.Log().RowsLost())
        messages << "The log " << options.logName << " is incomplete: the disk did not take every row.\n";
      else
        messages << "The log " << options.logName << " holds every row, but its status file " << options.logName
                 << ".tst could not be written: it lacks this run's PASS/FAIL.\n";
      code = std::max(code, static_cast<int>(kExitEnded));
    }
    // The tests and the log ran to their end; what the database missed is said once, here.
    if (ResultsRecorder* recorder = launcher.Recorder(); recorder != nullptr && recorder->RowsNotStored() > 0) {
      const int missed = recorder->RowsNotStored();
      messages << missed << (missed == 1 ? " result row was" : " result rows were") << " not stored in the results database "
               << recorder->Target().Describe() << ".\n";
      code = std::max(code, static_cast<int>(kExitEnded));
    }
    for (const std::string& line : view.StatusLines()) messages << Utf8FromText8(line) << "\n";
    startup.Unload();
    printTranscript();
    return code;
  } catch (const LaunchError& error) {
    messages << Utf8FromText8(error.what()) << "\n";
    return kExitUsage;
  } catch (const ProgramEnded&) {
    launcher.CloseFiles();
    printTranscript();
    messages << "The program ended.\n";
    return kExitEnded;
  } catch (const PromptNotFollowed& problem) {
    launcher.CloseFiles();
    printTranscript();
    messages << Utf8FromText8(problem.what()) << "\n";
    return kExitEnded;
  }
}

}  // namespace veridane
