#include "ui/console/results_query.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "log/log_format.h"
#include "platform/text8.h"
#include "pv/catalogue.h"
#include "report/format.h"
#include "results/log_import.h"
#include "results/results_csv.h"
#include "results/results_store.h"
#include "shell/bench_choice.h"
#include "shell/exit_codes.h"
#include "ui/console/headless_record.h"

namespace veridane {

namespace {

// --test takes a --run name ("offset") or the title the status list shows.
std::string TestTitle(const std::string& given) {
  if (given.empty()) return given;
  const CatalogueEntry* entry = FindTestByRunName(given);
  return entry != nullptr ? std::string(entry->title) : Text8FromUtf8(given);
}

std::string Measured(const StepResult& row) {
  if (!row.measured) return JudgedOnAnswer(row) ? row.text : "-";  // the self calibration: what the scope answered
  return Trim(FormatValue(static_cast<float>(*row.measured), row.unit, 105));
}

// A column at least `width` wide that always leaves two blanks before the next one, so that a
// long test name ("Long Term Sample Rate & Delay Time") never runs into its step.
std::string Padded(std::string text, size_t width) {
  text.append(text.size() + 2 < width ? width - text.size() : 2, ' ');
  return text;
}

size_t LongestTestTitle() {
  size_t longest = 0;
  for (const CatalogueEntry& entry : TestCatalogue()) longest = std::max(longest, entry.title.size());
  return longest;
}

}  // namespace

std::vector<ImportTest> CatalogueTests() {
  std::vector<ImportTest> tests;
  for (const CatalogueEntry& entry : TestCatalogue())
    if (entry.number != kSelfCalEntry) tests.push_back(ImportTest{entry.number, std::string(entry.title)});
  return tests;
}

int RunResultsCommand(const BackendRegistry& registry, const CommandLine& options, const Settings& settings,
                      const Paths& paths, std::ostream& out, std::ostream& messages) {
  const BenchChoice choice = ChooseBench(registry, options.bench, settings);
  Paths place = paths;
  place.SetSimulated(choice.Simulated());
  const StoreTarget target = StoreTargetFromSettings(settings, place.DataFolder());
  if (target.kind == StoreKind::None) {
    messages << Utf8FromText8(target.error.empty() ? "The results database is turned off (ResultsDatabase)." : target.error)
             << "\n";
    return kExitUsage;
  }
  ResultsStore store(target);
  if (!store.Open()) {
    messages << "The results database " << target.Describe() << " cannot be opened: " << store.LastError() << "\n";
    return kExitEnded;
  }

  int code = kExitPassed;
  for (const std::string& file : options.importFiles) {
    const ImportOutcome outcome = ImportResultLog(store, file, CatalogueTests(), choice.Simulated());
    if (outcome.added < 0) {
      messages << "Not imported: " << Utf8FromText8(outcome.error) << "\n";
      code = kExitUsage;
      continue;
    }
    messages << file << ": " << outcome.added << (outcome.added == 1 ? " run" : " runs") << " added";
    if (outcome.alreadyStored > 0)
      messages << ", " << outcome.alreadyStored << (outcome.alreadyStored == 1 ? " run" : " runs") << " stored already";
    // A log of a failed Self Cal, or of tests stopped before their first row, has nothing to add.
    if (outcome.added == 0 && outcome.alreadyStored == 0 && outcome.skipped.empty())
      messages << " (it holds no result row; a Self Cal outcome or a finding alone is kept only by the run itself)";
    messages << "\n";
    // A row left out would make the history look better than the log: say which, and fail.
    if (!outcome.skipped.empty()) {
      messages << file << ": " << outcome.skipped.size() << (outcome.skipped.size() == 1 ? " row" : " rows")
               << " not read:\n";
      for (const std::string& row : outcome.skipped) messages << "  " << Utf8FromText8(row) << "\n";
      if (code == kExitPassed) code = kExitFailed;
    }
  }
  if (!options.results) return code;

  ResultFilter filter;
  if (!options.serial.empty()) filter.serial = UpperCase1252(Trim(Text8FromUtf8(options.serial)));
  filter.testName = TestTitle(options.testName);
  // A mistyped test name would match nothing and read as "no results".
  if (!filter.testName.empty() &&
      std::none_of(TestCatalogue().begin(), TestCatalogue().end(),
                   [&](const CatalogueEntry& entry) { return entry.title == filter.testName; })) {
    messages << "--test " << options.testName << ": no such test (give a --run name: " << RunNames()
             << ", or a test's title).\n";
    return kExitUsage;
  }
  if (!options.run.empty()) {
    int64_t id = 0;
    const auto [end, problem] = std::from_chars(options.run.data(), options.run.data() + options.run.size(), id);
    if (problem != std::errc() || end != options.run.data() + options.run.size() || id <= 0) {
      messages << "--run " << options.run << ": with --results, give a run number (as the list shows it).\n";
      return kExitUsage;
    }
    filter.runId = id;
  }
  if (!options.jsonFile.empty() || !options.junitFile.empty() || !options.certificateFile.empty()) {
    std::vector<int64_t> ids;
    if (filter.runId) {
      ids.push_back(*filter.runId);
    } else if (!options.certificateFile.empty()) {
      messages << "--certificate with --results needs --run ID: a certificate is of one run.\n";
      return kExitUsage;
    } else {
      for (const StoredRun& run : store.Runs(filter.serial)) ids.push_back(run.id);
    }
    return std::max(code, WriteStoredExports(store, ids, settings, options, out, messages));
  }
  const std::vector<StoredRow> rows = store.Rows(filter);
  if (!store.LastError().empty()) {
    messages << "The results database " << target.Describe() << " cannot be read: " << store.LastError() << "\n";
    return kExitEnded;
  }
  // Run by run: its rows, then the tests of it that failed on a finding (a test may have failed
  // so before its first row, leaving a run with no row), with the finding as the table said it.
  std::map<int64_t, std::vector<const StoredRow*>> rowsOfRun;
  for (const StoredRow& stored : rows) rowsOfRun[stored.run.id].push_back(&stored);
  const size_t testColumn = LongestTestTitle() + 2;
  bool listed = false;
  std::vector<StoredRow> csvRows;
  for (const StoredRun& stored : store.Runs(filter.serial)) {
    if (filter.runId && stored.id != *filter.runId) continue;
    std::vector<RunTestOutcome> findings;
    if (filter.step.empty())
      for (RunTestOutcome& outcome : store.TestOutcomes(stored.id))
        if (!outcome.finding.empty() && (filter.testName.empty() || filter.testName == outcome.name))
          findings.push_back(std::move(outcome));
    const std::vector<const StoredRow*>& its = rowsOfRun[stored.id];
    if (its.empty() && findings.empty()) continue;
    listed = true;
    if (!options.csvFile.empty()) {
      // In the CSV a finding is a failed line of its test with no step, so that a failed run
      // never reads as all PASS there.
      for (const StoredRow* row : its) csvRows.push_back(*row);
      for (const RunTestOutcome& outcome : findings) {
        StoredRow line;
        line.run = stored;
        line.recordedAt = stored.facts.startedAt;
        line.result.test = outcome.number;
        line.result.testName = outcome.name;
        line.result.verdict = Verdict::Fail;
        line.result.text = outcome.finding;
        csvRows.push_back(std::move(line));
      }
      continue;
    }
    const RunFacts& run = stored.facts;
    out << "Run " << stored.id << "  " << run.startedAt << "  " << Utf8FromText8(run.scopeModel) << "  "
        << (run.serial.empty() ? "(no serial)" : Utf8FromText8(run.serial)) << "  " << Utf8FromText8(run.bench)
        << (run.simulated ? " (simulated)" : "")
        << (run.source.empty() ? "" : "  imported from " + Utf8FromText8(run.source)) << "\n";
    for (const StoredRow* row : its)
      out << "  " << Utf8FromText8(Padded(row->result.testName, testColumn)) << Utf8FromText8(Padded(row->result.step, 28))
          << Utf8FromText8(Padded(Measured(row->result), 13)) << VerdictName(row->result.verdict) << "\n";
    for (const RunTestOutcome& outcome : findings) {
      std::string finding = outcome.finding;  // named by the test column already
      if (finding.starts_with(outcome.name + " - ")) finding.erase(0, outcome.name.size() + 3);
      out << "  " << Utf8FromText8(Padded(outcome.name, testColumn)) << Utf8FromText8(finding) << "\n";
    }
  }
  if (!store.LastError().empty()) {
    messages << "The results database " << target.Describe() << " cannot be read: " << store.LastError() << "\n";
    return kExitEnded;
  }
  if (!options.csvFile.empty()) {
    std::string error;
    if (!WriteResultsCsv(options.csvFile, csvRows, error)) {
      messages << "The CSV file cannot be written: " << Utf8FromText8(error) << "\n";
      return kExitUsage;
    }
    messages << csvRows.size() << " rows written to " << options.csvFile << "\n";
    return code;
  }
  if (!listed) messages << "No stored results match.\n";
  return code;
}

}  // namespace veridane
