#include "ui/console/headless.h"

#include <memory>
#include <ostream>

#include "ui/console/console_operator.h"
#include "ui/console/headless_view.h"
#include "shell/version.h"
#include "platform/text8.h"
#include "shell/bench_choice.h"
#include "shell/program.h"
#include "shell/startup.h"
#include "sim/technician/virtual_technician.h"

namespace veridane {

namespace {

// The virtual technician sets a knob within this fraction of where it should be.
constexpr double kTechnicianKnobError = 0.04;

struct TestName {
  const char* name;
  int number;
};
constexpr TestName kTestNames[] = {
    {"selfcal", kRunSelfCal},        {"offset", kTestOffsetZero}, {"dcv", kTestGain},
    {"bandwidth", kTestBandwidth},   {"samplerate", kTestSampleRate}, {"trigger", kTestTrigger},
};

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
    // A self calibration has no status entry: its outcome counts like a test's.
    int16_t status = kStatusNotRun;
    if (n != kRunSelfCal)
      status = run.TestStatus[static_cast<size_t>(n)];
    else if (run.SelfCalResult != -1)
      status = run.SelfCalResult == 0 ? kStatusPass : kStatusFail;
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
    int number = -1;
    for (const TestName& known : kTestNames)
      if (name == known.name) number = known.number;
    if (number < 0) {
      plan.error =
          "Unknown test \"" + name + "\" in --run (use full, or selfcal, offset, dcv, bandwidth, samplerate, trigger)";
      return plan;
    }
    plan.tests.push_back(number);
  }
  return plan;
}

int RunHeadless(const CommandLine& options, Settings& settings, const Paths& paths, std::ostream& out,
                std::ostream& messages) {
  const RunPlan plan = ParseRunPlan(options.run);
  if (!options.aboutRequested && options.run.empty()) {
    messages << "A headless run needs --run (offset, dcv, full, or test names separated by commas).\n";
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

  VirtualClock clock;  // simulated benches only: every wait passes at once
  std::unique_ptr<sim::Bench> bench;
  std::unique_ptr<sim::VirtualTechnician> technician;
  // What the virtual technician did, printed however the run ends.
  auto printTranscript = [&] {
    if (technician) messages << Utf8FromText8(technician->TranscriptText());
  };
  try {
    const BenchChoice choice = ChooseBench(options.bench, settings);
    bench = OpenBench(choice, clock, console);
    if (!options.traceFile.empty() && !bench->TraceToFile(options.traceFile)) {
      messages << "The trace file " << options.traceFile << " cannot be written.\n";
      return kExitUsage;
    }
    if (virtualTechnician) {
      sim::TechnicianOptions technicianOptions;
      technicianOptions.autoModeAnswer = options.manual ? kNo : kYes;
      // Hands are not exact: the closed-loop setting has something to correct.
      technicianOptions.knobError = kTechnicianKnobError;
      technician = std::make_unique<sim::VirtualTechnician>(*bench, technicianOptions);
    }
    Operator& op = technician ? static_cast<Operator&>(*technician) : console;

    HeadlessView view(out, messages);
    Program program(ProgramSeams{op, clock, settings, paths, bench->Bus(), view,
                                 InstrumentDataFolderFor(choice, bench.get(), settings, paths), choice.Simulated()});
    VersionTexts versions;
    versions.mainTitle = MainTitle();
    versions.moduleVersionText = ModuleVersionText();
    Startup startup(program, view, versions);

    FrameHooks& hooks = program.frame.Hooks();
    program.frame.NameTests();
    for (int n : plan.tests) {
      if (n == kRunSelfCal ? !hooks.SelfCal : !hooks.Tests[static_cast<size_t>(n)]) {
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
        if (n == kRunSelfCal) {
          hooks.SelfCal();
          if (program.run.SelfCalResult != 0) break;  // a scope that did not calibrate is not verified
          continue;
        }
        hooks.Tests[static_cast<size_t>(n)]();
        if (program.run.TestStatus[static_cast<size_t>(n)] == kStatusNotRun) break;  // stopped: no more
      }
    }
    const int code = Outcome(program.run, judged);
    for (const std::string& line : view.StatusLines()) messages << Utf8FromText8(line) << "\n";
    startup.Unload();
    printTranscript();
    return code;
  } catch (const ProgramEnded&) {
    printTranscript();
    messages << "The program ended.\n";
    return kExitEnded;
  } catch (const sim::UnknownPrompt& prompt) {
    printTranscript();
    messages << "The virtual technician could not follow the prompt \"" << Utf8FromText8(prompt.Caption())
             << "\": " << prompt.Reason() << "\n";
    return kExitEnded;
  }
}

}  // namespace veridane
