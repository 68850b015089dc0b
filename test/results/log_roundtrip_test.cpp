// Every shipped bench's Full Sequence read back from its log: the import gives the rows the live
// run stored, and a log whose run is stored already adds nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "report/step_result.h"
#include "results/log_import.h"
#include "results/results_store.h"
#include "shell/command_line.h"
#include "sim/bench/shipped_benches.h"
#include "test/results/headless_runs.h"
#include "test/support/shell_fakes.h"
#include "test/support/test_backends.h"
#include "ui/console/headless.h"
#include "ui/console/results_query.h"

namespace veridane {
namespace {

using testing::ScratchFolder;

using testing::FullSequence;
using testing::Invoke;
using testing::Outcome;

// Two numbers for one step agree when they print alike: the log keeps three or four digits of
// what the live run judged.
bool SameAsPrinted(const std::optional<double>& live, const std::optional<double>& imported) {
  if (live.has_value() != imported.has_value()) return false;
  if (!live) return true;
  return std::fabs(*live - *imported) <= 5e-3 * std::fabs(*live) + 1e-15;
}

// Every shipped bench's Full Sequence, by hand and in Auto, read back from its log, gives the
// rows the live run stored: same tests, steps, verdicts and numbers (to the digits the row
// prints); and importing that log adds nothing, as its run is in the store already.
TEST(SimulatedRuns, EveryShippedBenchsLogImportsAsTheLiveRunStoredIt) {
  const std::vector<std::string> benches = sim::ShippedBenchNames();
  size_t logged = 0;
  size_t findings = 0;
  for (const bool automatic : {false, true})
  for (const std::string& bench : benches) {
    SCOPED_TRACE(bench + (automatic ? " in Auto" : " by hand"));
    ScratchFolder root("results-roundtrip");
    MemorySettings settings;
    const Outcome live =
        automatic ? Invoke(root, settings, {"--headless", "--bench", "sim:" + bench, "--run", "full", "--log", "roundtrip"})
                  : FullSequence(root, settings, "sim:" + bench, {"--log", "roundtrip"});
    std::string log;  // LOG<model>/roundtrip.log in the simulated data folder
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.Path()))
      if (entry.path().filename() == "roundtrip.log") log = entry.path().string();
    // A bench on which the program cannot start (no scope answers) leaves no log to read.
    if (log.empty()) {
      EXPECT_EQ(live.code, kExitEnded) << live.messages;
      continue;
    }
    ++logged;

    ResultsStore store(ParseStoreTarget("", Paths(root.String(), true).DataFolder()));
    ASSERT_TRUE(store.Open()) << store.LastError();
    // The rows the log holds: the self calibration's outcome is stored beside them, the log has
    // no row for it. None when the self calibration failed.
    std::vector<StoredRow> stored = store.Rows({});
    const size_t answers = std::erase_if(stored, [](const StoredRow& row) { return JudgedOnAnswer(row.result); });
    EXPECT_EQ(answers, 1u);

    std::ifstream file(log, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const LogImport import = ParseResultLog(content, log, "2026-01-01T00:00:00Z", CatalogueTests());
    ASSERT_TRUE(import.error.empty()) << import.error;
    EXPECT_TRUE(import.skipped.empty()) << import.skipped.front();
    std::vector<StepResult> imported;
    for (const ImportedRun& run : import.runs) imported.insert(imported.end(), run.rows.begin(), run.rows.end());
    ASSERT_EQ(imported.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
      const StepResult& a = stored[i].result;
      const StepResult& b = imported[i];
      SCOPED_TRACE(a.text);
      EXPECT_EQ(a.text, b.text);
      EXPECT_EQ(a.test, b.test);
      EXPECT_EQ(a.testName, b.testName);
      EXPECT_EQ(a.step, b.step);
      EXPECT_EQ(a.unit, b.unit);
      EXPECT_EQ(a.verdict, b.verdict);
      EXPECT_TRUE(SameAsPrinted(a.nominal, b.nominal)) << a.nominal << " " << b.nominal;
      EXPECT_TRUE(SameAsPrinted(a.lower, b.lower));
      EXPECT_TRUE(SameAsPrinted(a.upper, b.upper));
      // A trigger row that did not trigger on both sides does not print how many sides did.
      const bool untriggered = a.unit == "sides" && a.verdict == Verdict::Fail && !b.measured;
      if (!untriggered) {
        EXPECT_TRUE(SameAsPrinted(a.measured, b.measured));
      }
    }

    // A test that failed on a finding (its signal could not be set) reads back as failed on it,
    // though every row it measured passed.
    std::vector<RunTestOutcome> live_findings;
    if (!stored.empty())
      for (const RunTestOutcome& outcome : store.TestOutcomes(stored.front().run.id))
        if (!outcome.finding.empty()) live_findings.push_back(outcome);
    std::vector<RunTestOutcome> read_findings;
    for (const ImportedRun& run : import.runs)
      for (const RunTestOutcome& outcome : run.outcomes)
        if (!outcome.finding.empty()) read_findings.push_back(outcome);
    EXPECT_EQ(read_findings, live_findings);
    findings += live_findings.size();

    const ImportOutcome again = ImportResultLog(store, log, CatalogueTests());
    EXPECT_EQ(again.added, 0) << again.error;
    EXPECT_EQ(again.alreadyStored, stored.empty() ? 0 : 1);
    EXPECT_EQ(store.Rows({}).size(), stored.size() + answers);
  }
  EXPECT_GT(logged, benches.size());
  EXPECT_GT(findings, 0u);
}

}  // namespace
}  // namespace veridane
