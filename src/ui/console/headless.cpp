#include "ui/console/headless.h"

#include <memory>
#include <ostream>

#include "platform/text8.h"
#include "pv/catalogue.h"
#include "pv/frame/progress_view.h"
#include "pv/progress_plan.h"
#include "shell/launcher.h"
#include "shell/version.h"
#include "ui/console/console_operator.h"
#include "ui/console/headless_view.h"

namespace veridane {

namespace {

AnswerRule Rule(const std::string& pattern, int16_t answer) {
  AnswerRule rule;
  rule.pattern = pattern;
  rule.caption = std::regex(pattern);
  rule.answer = answer;
  return rule;
}

// --manual first, then the technician's own file, then what a run without a person needs.
std::vector<AnswerRule> AnswerRules(const CommandLine& options) {
  std::vector<AnswerRule> rules;
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
    const int16_t status = run.TestStatus[static_cast<size_t>(n)];
    failed = failed || status == kStatusFail;
    unfinished = unfinished || status == kStatusNotRun;
  }
  // A failure found is the stronger news about the scope, even if the run stopped later.
  if (failed) return kExitFailed;
  if (unfinished) return kExitAborted;
  return kExitPassed;
}

}  // namespace

RunPlan ParseRunPlan(std::string_view text) {
  RunPlan plan;
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (Trim(lower) == "full") {
    plan.fullSequence = true;
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
      plan.error = "Unknown test \"" + name + "\" in --run (use full, or " + RunNames() + ")";
      return plan;
    }
    plan.tests.push_back(test->number);
  }
  return plan;
}

int RunHeadless(const BackendRegistry& registry, const CommandLine& options, Settings& settings, const Paths& paths,
                std::ostream& out, std::ostream& messages, const ConsoleLooks& looks) {
  const RunPlan plan = ParseRunPlan(options.run);
  if (!options.aboutRequested && options.run.empty()) {
    messages << "A headless run needs --run (full, or test names separated by commas: " << RunNames() << ").\n";
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
  ConsoleOperator console(std::move(rules), messages);

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
  // What the virtual technician did, printed however the run ends.
  auto printTranscript = [&] { messages << Utf8FromText8(launcher.HelperTranscript()); };
  try {
    launcher.Choose(request);
    launcher.Open(launcher.Simulated() ? static_cast<EventLoop&>(virtualClock) : realLoop);
    HeadlessView view(out, messages);
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
    Program& program = launcher.Compose(console, progress, view, versions);
    progress.Attach(program.run);
    Startup& startup = launcher.startup();

    FrameHooks& hooks = program.frame.Hooks();
    program.frame.NameTests();
    for (int n : plan.tests) {
      if (!hooks.Tests[static_cast<size_t>(n)]) {
        messages << "The test \"" << program.run.TestName(n) << "\" is not available in this build.\n";
        return kExitUsage;
      }
    }

    if (!startup.Load(options.aboutRequested)) return kExitPassed;
    if (!startup.Activate()) {
      printTranscript();
      return kExitAborted;
    }

    std::vector<int> judged = plan.tests;
    if (plan.fullSequence) {
      program.frame.FullSequence(program.scope.ScopeModel);
      judged.clear();
      for (int n = 1; n <= kNumberOfTests; ++n)
        if (hooks.Tests[static_cast<size_t>(n)]) judged.push_back(n);
    } else {
      for (int n : plan.tests) {
        hooks.Tests[static_cast<size_t>(n)]();
        if (program.run.TestStatus[static_cast<size_t>(n)] == kStatusNotRun) break;  // stopped: no more
      }
    }
    const int code = Outcome(program.run, judged);
    for (const std::string& line : view.StatusLines()) messages << Utf8FromText8(line) << "\n";
    startup.Unload();
    printTranscript();
    return code;
  } catch (const LaunchError& error) {
    messages << Utf8FromText8(error.what()) << "\n";
    return kExitUsage;
  } catch (const ProgramEnded&) {
    printTranscript();
    messages << "The program ended.\n";
    return kExitEnded;
  } catch (const PromptNotFollowed& problem) {
    printTranscript();
    messages << Utf8FromText8(problem.what()) << "\n";
    return kExitEnded;
  }
}

}  // namespace veridane
