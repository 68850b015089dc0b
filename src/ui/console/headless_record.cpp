#include "ui/console/headless_record.h"

#include <algorithm>
#include <map>

#include "platform/text8.h"
#include "pv/catalogue.h"
#include "record/certificate.h"
#include "record/junit_report.h"
#include "record/record_prompts.h"
#include "record/run_json.h"
#include "record/standards_check.h"
#include "record/standards_gate.h"
#include "record/whole_file.h"
#include "results/results_recorder.h"
#include "shell/exit_codes.h"

namespace veridane {

int RecordContextFromOptions(const CommandLine& options, RunContext& context, std::ostream& messages) {
  context.label = options.asLeft ? RunLabel::AsLeft : RunLabel::AsFound;
  if (!ConditionReading(options.temperature, kLowestTemperature, kHighestTemperature, context.temperatureC)) {
    messages << "--temperature " << options.temperature << ": give degrees Celsius as a number from -40 to 80.\n";
    return kExitUsage;
  }
  if (!ConditionReading(options.humidity, 0, 100, context.humidityPercent)) {
    messages << "--humidity " << options.humidity << ": give the relative humidity in percent, 0 to 100.\n";
    return kExitUsage;
  }
  context.customer = Trim(Text8FromUtf8(options.customer));
  context.assetId = Trim(Text8FromUtf8(options.assetId));
  if (options.noResults && (!options.jsonFile.empty() || !options.junitFile.empty() || !options.certificateFile.empty())) {
    messages << "--json, --junit and --certificate are made from the results database; --no-results keeps the run out "
                "of it.\n";
    return kExitUsage;
  }
  return kExitPassed;
}

int GateStandards(Launcher& launcher, Settings& settings, const CommandLine& options, const RunContext& context,
                  std::ostream& messages) {
  Program& program = launcher.program();
  program.SetRecord(context);
  StandardsSource source;
  source.commandLineFile = options.standardsFile;
  source.shippedText = launcher.bench().StandardsRegisterText();
  source.settingFile = settings.Get("Veridane", "Settings", "StandardsFile", "");
  source.dataFolder = program.DataFolder();
  std::optional<StandardsRegister> reg;
  try {
    reg = FindStandardsRegister(source);
  } catch (const StandardsRegisterError& error) {
    messages << Utf8FromText8(error.what()) << "\n";
    return kExitUsage;
  }
  const std::vector<BenchInstrument> bench = BenchInstruments(program.Roles());
  std::map<std::string, std::string> chosen;
  if (reg) chosen = RememberedStandardChoices(settings, launcher.Choice().text, CheckStandards(*reg, bench, {}, LocalToday()));
  for (const std::string& text : options.standardChoices) {
    std::string model;
    std::string asset;
    if (!ParseStandardChoice(Text8FromUtf8(text), model, asset)) {
      messages << "--standard " << text << ": give MODEL=ASSET, e.g. --standard \"Fluke 5100B=LAB-0012\".\n";
      return kExitUsage;
    }
    // A choice the register cannot meet would otherwise be passed over without a word.
    const bool known = reg && std::any_of(reg->standards.begin(), reg->standards.end(), [&](const ReferenceStandard& s) {
                         return ModelMatches(s.model, model) && UpperCase(s.asset) == UpperCase(asset);
                       });
    if (!known) {
      messages << "--standard " << text << ": the register "
               << (reg ? Utf8FromText8(reg->file) : std::string("(none found)")) << " has no entry of model "
               << Utf8FromText8(model) << " with asset " << Utf8FromText8(asset) << ".\n";
      return kExitUsage;
    }
    chosen[model] = asset;
  }
  const StandardsGate gate = CheckBenchStandards(reg, bench, chosen, LocalToday());
  if (!reg) messages << "No register of reference standards (standards.toml): the run records the instruments found, unvouched.\n";
  for (const std::string& line : gate.problems) messages << "Standard: " << Utf8FromText8(line) << "\n";
  if (gate.blocking && !options.allowOverdue) {
    messages << "The run is refused before any test: a reference standard is overdue, not in the register "
             << Utf8FromText8(gate.registerFile)
             << " or not chosen (--standard MODEL=ASSET). --allow-overdue runs anyway and marks the run.\n";
    return kExitUsage;
  }
  RunContext record = context;
  record.overdue = gate.blocking;
  record.standardsRegister = gate.registerFile;
  record.standards = gate.used;
  program.SetRecord(std::move(record));
  program.SetStandardUncertainties(gate.uncertainties);
  return kExitPassed;
}

void StoreTestOutcomes(Launcher& launcher, const std::vector<int>& tests) {
  ResultsRecorder* recorder = launcher.Recorder();
  if (recorder == nullptr) return;
  const RunState& run = launcher.program().Run();
  std::vector<RunTestOutcome> outcomes;
  bool failed = false;
  for (int n : tests) {
    if (n < 1 || n > run.NumberOfTests) continue;  // the self calibration has no status entry
    outcomes.push_back(RunTestOutcome{n, run.TestName(n), run.TestStatus[static_cast<size_t>(n)],
                                      run.TestFindings[static_cast<size_t>(n)]});
    failed = failed || outcomes.back().outcome == TestOutcome::Failed;
  }
  // A test that failed before measuring a step has no row to begin the run with; its failure
  // is kept all the same.
  if (recorder->RunIds().empty() && (!failed || !recorder->OpenRun())) return;
  if (recorder->Store() == nullptr) return;
  recorder->Store()->SetTestOutcomes(recorder->RunIds().back(), outcomes);
}

int WriteStoredExports(ResultsStore& store, const std::vector<int64_t>& runIds, const Settings& settings,
                       const CommandLine& options, std::ostream& out, std::ostream& messages) {
  std::vector<RunRecord> records;
  for (int64_t id : runIds) {
    std::string error;
    std::optional<RunRecord> record = LoadRunRecord(store, id, error);
    if (!record) {
      messages << "Run " << id << " cannot be read: " << Utf8FromText8(error) << "\n";
      return kExitEnded;
    }
    records.push_back(std::move(*record));
  }
  int code = kExitPassed;
  const std::string now = StoreTimeNow();
  if (!options.jsonFile.empty()) {
    const std::string json = RunsJson(records, now);
    std::string error;
    if (options.jsonFile == "-") {
      out << json << std::flush;
    } else if (!WriteWholeFile(options.jsonFile, json, error)) {
      messages << "The JSON file is not written: " << error << "\n";
      code = kExitEnded;
    }
  }
  if (!options.junitFile.empty()) {
    std::string error;
    if (!WriteWholeFile(options.junitFile, RunsJUnit(records), error)) {
      messages << "The JUnit file is not written: " << error << "\n";
      code = kExitEnded;
    }
  }
  if (!options.certificateFile.empty()) {
    if (runIds.empty()) {
      messages << "No certificate: no run was stored.\n";
      return kExitEnded;
    }
    const CertificateIssue issue = IssueRunCertificate(store, runIds.back(), options.certificateFile,
                                                       LabIdentityFromSettings(settings), options.partial, now);
    if (!issue.ok) {
      messages << "No certificate" << (issue.number.empty() ? "" : " (number " + issue.number + " stays unused)")
               << ": " << Utf8FromText8(issue.error) << "\n";
      code = kExitEnded;
    } else {
      messages << "Certificate " << Utf8FromText8(issue.number) << " of run " << runIds.back() << " written to "
               << options.certificateFile << (issue.partialTests.empty() ? "" : " (partial)") << "\n";
    }
  }
  return code;
}

int WriteRunExports(Launcher& launcher, Settings& settings, const CommandLine& options, std::ostream& out,
                    std::ostream& messages) {
  if (options.jsonFile.empty() && options.junitFile.empty() && options.certificateFile.empty()) return kExitPassed;
  ResultsRecorder* recorder = launcher.Recorder();
  if (recorder == nullptr || recorder->Store() == nullptr || !recorder->Working() || recorder->RunIds().empty()) {
    messages << "No JSON, JUnit or certificate: no result of this run is in the results database.\n";
    return kExitEnded;
  }
  return WriteStoredExports(*recorder->Store(), recorder->RunIds(), settings, options, out, messages);
}

}  // namespace veridane
