// Whole headless Full Sequences on simulated benches: their rows land in the simulated
// folder's SQLite file with the numbers and verdicts the display showed, and the command line
// lists and exports them.
#include <algorithm>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "platform/text8.h"
#include "pv/catalogue.h"
#include "report/format.h"
#include "report/step_result.h"
#include "results/results_store.h"
#include "shell/command_line.h"
#include "test/results/headless_runs.h"
#include "test/support/shell_fakes.h"
#include "test/support/test_backends.h"
#include "ui/console/headless.h"
#include "ui/console/results_query.h"

namespace veridane {
namespace {

using testing::ScratchFolder;
namespace fs = std::filesystem;

using testing::FullSequence;
using testing::Invoke;
using testing::Outcome;

// The judged rows a run printed, 8-bit.
std::vector<std::string> JudgedRows(const std::string& out) {
  std::vector<std::string> rows;
  std::istringstream lines(Text8FromUtf8(out));
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (VerdictOfRowText(line)) rows.push_back(line);
  }
  return rows;
}

TEST(SimulatedRuns, FullSequencesLandInTheStoreAsShown) {
  ScratchFolder root("results-sim");
  MemorySettings settings;
  std::vector<Outcome> runs = {FullSequence(root, settings, "sim"), FullSequence(root, settings, "sim"),
                               FullSequence(root, settings, "sim:offset-fault")};
  EXPECT_EQ(runs[0].code, kExitPassed) << runs[0].messages;
  EXPECT_EQ(runs[2].code, kExitFailed) << runs[2].messages;
  // Kept out: neither run nor row.
  FullSequence(root, settings, "sim", {"--no-results"});

  StoreTarget target = ParseStoreTarget("", Paths(root.String(), true).DataFolder());
  ResultsStore store(target);
  ASSERT_TRUE(store.Open()) << store.LastError();
  std::vector<StoredRun> stored = store.Runs("B012345");  // upper case, as the log header has it
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[2].facts.bench, "sim:offset-fault");
  EXPECT_TRUE(stored[0].facts.simulated);
  EXPECT_EQ(stored[0].facts.scopeModel, "TDS 340");

  for (size_t n = 0; n < runs.size(); ++n) {
    const std::vector<std::string> shown = JudgedRows(runs[n].out);
    std::vector<StoredRow> rows;
    for (StoredRow& row : store.Rows({"B012345", "", "", {}}))
      if (row.run.id == stored[n].id) rows.push_back(std::move(row));
    // The self calibration opens each run in the store alone: what the scope answered, no row shown.
    ASSERT_FALSE(rows.empty()) << "run " << n;
    const StepResult& selfCal = rows.front().result;
    EXPECT_TRUE(selfCal.testName == "Self Cal" && selfCal.verdict == Verdict::Pass && JudgedOnAnswer(selfCal));
    EXPECT_EQ(selfCal.text, "answered 0");
    rows.erase(rows.begin());
    ASSERT_EQ(rows.size(), shown.size()) << "run " << n;
    for (size_t i = 0; i < rows.size(); ++i) {
      const StepResult& result = rows[i].result;
      EXPECT_EQ(result.text, shown[i]);
      EXPECT_EQ(VerdictText(result.verdict), VerdictText(*VerdictOfRowText(shown[i]))) << shown[i];
      // The stored number prints as the row's measured column did.
      if (result.test == 1 && result.measured) {
        EXPECT_NE(shown[i].find(FormatValue(static_cast<float>(*result.measured), "V", 1103)), std::string::npos)
            << shown[i];
      }
      if (result.test == 2 && result.measured) {
        EXPECT_NE(shown[i].find(FormatValue(static_cast<float>(*result.measured), "V", 403)), std::string::npos)
            << shown[i];
      }
    }
  }

  // The offset fault shows on CH 2 of the third run only.
  int failures = 0;
  for (const StoredRow& row : store.Rows({"B012345", "Offset at Zero", "", {}}))
    if (row.result.verdict != Verdict::Pass && row.result.verdict != Verdict::Marginal) {
      EXPECT_EQ(row.run.id, stored[2].id);
      EXPECT_EQ(row.result.step.rfind("CH2", 0), 0u) << row.result.step;
      ++failures;
    }
  EXPECT_GT(failures, 0);

  // Listed and exported from the command line.
  Outcome list = Invoke(root, settings, {"--results", "--bench", "sim", "--serial", "B012345", "--test", "offset"});
  EXPECT_EQ(list.code, kExitPassed) << list.messages;
  EXPECT_NE(list.out.find("sim:offset-fault"), std::string::npos) << list.out;
  // Every test's name stands apart from its step, the longest ones too.
  Outcome all = Invoke(root, settings, {"--results", "--bench", "sim", "--serial", "B012345"});
  ASSERT_EQ(all.code, kExitPassed) << all.messages;
  size_t listedRows = 0;
  for (const CatalogueEntry& test : TestCatalogue()) {
    const std::string name = "  " + std::string(test.title);
    for (size_t at = all.out.find(name); at != std::string::npos; at = all.out.find(name, at + 1), ++listedRows)
      EXPECT_EQ(all.out.compare(at + name.size(), 2, "  "), 0) << all.out.substr(at, 80);
  }
  // A test that failed on a finding lists it on a line of its own: the offset-fault bench's
  // bandwidth test, whose signal the technician gave up setting (answered No), is one.
  size_t findings = 0;
  for (const StoredRun& run : stored)
    for (const RunTestOutcome& outcome : store.TestOutcomes(run.id)) findings += outcome.finding.empty() ? 0 : 1;
  const std::vector<RunTestOutcome> faulty = store.TestOutcomes(stored[2].id);
  const auto bandwidth = std::find_if(faulty.begin(), faulty.end(), [](const RunTestOutcome& t) { return t.number == kTestBandwidth; });
  ASSERT_NE(bandwidth, faulty.end());
  EXPECT_EQ(bandwidth->outcome, TestOutcome::Failed);
  EXPECT_EQ(bandwidth->finding, "Analog Bandwidth - SIGNAL COULD NOT BE SET: TEST FAILED. (\"Large Frequency Error\" answered No)");
  EXPECT_EQ(findings, 1u);
  EXPECT_EQ(listedRows, store.Rows({"B012345", "", "", {}}).size() + findings);
  const std::string csv = (root.Path() / "f.csv").string();
  Outcome exported = Invoke(root, settings, {"--results", "--bench", "sim", "--serial", "b012345", "--csv", csv});
  EXPECT_EQ(exported.code, kExitPassed) << exported.messages;
  std::ifstream file(csv, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  size_t lines = 0;
  for (size_t at = content.find("\r\n"); at != std::string::npos; at = content.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 1 + store.Rows({"B012345", "", "", {}}).size() + findings);
  // A row without a reading counts as a failure, and says why.
  EXPECT_EQ(content.find("not measurable"), std::string::npos);
  EXPECT_NE(content.find(",FAIL,"), std::string::npos);
  EXPECT_NE(content.find(",no reading\r\n"), std::string::npos);
  // Limits as decimals, not as the single-precision numbers' binary neighbours.
  EXPECT_NE(content.find(",Offset at Zero,CH2 2 mV/div,V,0,-0.0032,0.0032,"), std::string::npos);
}

// A self calibration that failed ends the sequence and is a failed step of the run: stored,
// listed with the scope's answer, exported as a failure; the log and its .tst stay as the
// tables made them.
TEST(SimulatedRuns, AFailedSelfCalibrationIsAFailedStepOfItsRun) {
  ScratchFolder root("results-selfcal");
  MemorySettings settings;
  const std::string junit = (root.Path() / "run.xml").string();
  Outcome run = FullSequence(root, settings, "sim:selfcal-fault", {"--log", "cal", "--junit", junit});
  EXPECT_EQ(run.code, kExitFailed) << run.messages;

  ResultsStore store(ParseStoreTarget("", Paths(root.String(), true).DataFolder()));
  ASSERT_TRUE(store.Open()) << store.LastError();
  const std::vector<StoredRow> rows = store.Rows({"B012345", "", "", {}});
  ASSERT_EQ(rows.size(), 1u);  // nothing after it: a scope that did not calibrate is not verified
  EXPECT_EQ(rows[0].result.testName, "Self Cal");
  EXPECT_EQ(rows[0].result.step, "*CAL?");
  EXPECT_EQ(rows[0].result.verdict, Verdict::Fail);
  EXPECT_EQ(rows[0].result.text, "answered 1");
  EXPECT_FALSE(std::isfinite(rows[0].result.nominal));

  Outcome list = Invoke(root, settings, {"--results", "--bench", "sim", "--serial", "B012345"});
  EXPECT_EQ(list.code, kExitPassed) << list.messages;
  std::istringstream lines(list.out);
  std::string line;
  std::getline(lines, line);  // the run
  std::getline(lines, line);
  EXPECT_NE(line.find("Self Cal"), std::string::npos) << list.out;
  EXPECT_NE(line.find("answered 1"), std::string::npos) << list.out;
  EXPECT_TRUE(line.ends_with("FAIL")) << list.out;

  std::ifstream xml(junit, std::ios::binary);
  const std::string report((std::istreambuf_iterator<char>(xml)), std::istreambuf_iterator<char>());
  EXPECT_NE(report.find("failures=\"1\""), std::string::npos) << report;
  EXPECT_NE(report.find(">answered 1</failure>"), std::string::npos) << report;

  for (const char* ending : {".log", ".tst"}) {
    std::ifstream file(root.Path() / "Veridane" / "Simulated" / "LOG340" / (std::string("cal") + ending), std::ios::binary);
    ASSERT_TRUE(file) << ending;
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content.find("answered"), std::string::npos) << ending;
    EXPECT_EQ(content.find("*CAL?"), std::string::npos) << ending;
  }
}

// Without a generator, a headless bandwidth test cannot set its signal and fails before its
// first row: the failure is kept as a run of its own, listed with what the table said, and a
// log holding it reads back as that failure, not as a test with nothing wrong.
TEST(SimulatedRuns, ATestThatFailedBeforeItsFirstRowIsKept) {
  ScratchFolder root("results-finding");
  MemorySettings settings;
  Outcome run = Invoke(root, settings,
                       {"--headless", "--bench", "sim:scope-only", "--run", "bandwidth", "--serial", "b1", "--log", "bw"});
  EXPECT_EQ(run.code, kExitFailed) << run.messages;
  const std::string shown = "Analog Bandwidth - SIGNAL COULD NOT BE SET: TEST FAILED.";
  EXPECT_NE(run.out.find(shown), std::string::npos) << run.out;

  ResultsStore store(ParseStoreTarget("", Paths(root.String(), true).DataFolder()));
  ASSERT_TRUE(store.Open()) << store.LastError();
  const std::vector<StoredRun> runs = store.Runs("B1");
  ASSERT_EQ(runs.size(), 1u);
  const std::vector<RunTestOutcome> outcomes = store.TestOutcomes(runs[0].id);
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].outcome, TestOutcome::Failed);
  EXPECT_EQ(outcomes[0].finding, shown + " (\"Large Frequency Error\" asked too often)");

  Outcome list = Invoke(root, settings, {"--results", "--bench", "sim", "--serial", "B1"});
  EXPECT_EQ(list.code, kExitPassed) << list.messages;
  EXPECT_NE(list.out.find("\n  Analog Bandwidth  "), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("  SIGNAL COULD NOT BE SET: TEST FAILED. (\"Large Frequency Error\" asked too often)\n"),
            std::string::npos)
      << list.out;

  // The CSV of the same rows has the finding as a failed line of its test.
  const std::string csv = (root.Path() / "b1.csv").string();
  Outcome exported = Invoke(root, settings, {"--results", "--bench", "sim", "--serial", "B1", "--csv", csv});
  ASSERT_EQ(exported.code, kExitPassed) << exported.messages;
  std::ifstream csvFile(csv, std::ios::binary);
  const std::string csvText((std::istreambuf_iterator<char>(csvFile)), std::istreambuf_iterator<char>());
  EXPECT_NE(csvText.find(",Analog Bandwidth,,,0,,,,,,FAIL,\"Analog Bandwidth - SIGNAL COULD NOT BE SET: TEST FAILED."),
            std::string::npos)
      << csvText;
  EXPECT_EQ(Invoke(root, settings, {"--results", "--bench", "sim", "--test", "bandwidht"}).code, kExitUsage);

  const std::string log = (root.Path() / "Veridane" / "Simulated" / "LOG340" / "bw.log").string();
  std::ifstream file(log, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const LogImport import = ParseResultLog(content, log, "2026-01-01T00:00:00Z", CatalogueTests());
  ASSERT_EQ(import.runs.size(), 1u);
  EXPECT_EQ(import.runs[0].outcomes, outcomes);
}

// A log re-opened for appending belongs to the scope its header names: the new run is stored
// under that serial, and a run without any serial is found under "no serial" alone.
TEST(SimulatedRuns, AppendedRunsCarryTheLogsSerial) {
  ScratchFolder root("results-append");
  MemorySettings settings;
  ASSERT_EQ(Invoke(root, settings, {"--headless", "--run", "offset", "--log", "u9", "--serial", "b777"}).code, kExitPassed);
  Outcome appended = Invoke(root, settings, {"--headless", "--run", "offset", "--log", "u9", "--append"});
  ASSERT_EQ(appended.code, kExitPassed) << appended.messages;
  ASSERT_EQ(Invoke(root, settings, {"--headless", "--run", "offset"}).code, kExitPassed);

  ResultsStore store(ParseStoreTarget("", Paths(root.String(), true).DataFolder()));
  ASSERT_TRUE(store.Open()) << store.LastError();
  EXPECT_EQ(store.Runs("B777").size(), 2u);
  EXPECT_EQ(store.Runs("").size(), 1u);
  for (const StoredRow& row : store.Rows({"", "", "", {}})) EXPECT_EQ(row.run.facts.serial, "");
}

// A log continued by a second run on another bench has no header between the two: its import
// finds both live runs in it and adds nothing, also from a copy made later under another name.
TEST(SimulatedRuns, AnAppendedLogImportsNothingTheLiveRunsStored) {
  ScratchFolder root("results-append-import");
  MemorySettings settings;
  ASSERT_EQ(Invoke(root, settings, {"--headless", "--bench", "sim:offset-fault", "--run", "offset", "--log", "ap1",
                                    "--serial", "ap1"}).code, kExitFailed);
  ASSERT_EQ(Invoke(root, settings, {"--headless", "--run", "dcv,offset", "--log", "ap1", "--append"}).code, kExitPassed);
  const fs::path log = root.Path() / "Veridane" / "Simulated" / "LOG340" / "ap1.log";
  fs::create_directories(root.Path() / "elsewhere");
  const fs::path copy = root.Path() / "elsewhere" / "copy.log";
  fs::copy_file(log, copy);
  for (const fs::path& file : {log, copy}) {
    Outcome imported = Invoke(root, settings, {"--import", file.string()});
    EXPECT_EQ(imported.code, kExitPassed) << imported.messages;
    EXPECT_NE(imported.messages.find(": 0 runs added, 2 runs stored already"), std::string::npos) << imported.messages;
  }
  ResultsStore store(ParseStoreTarget("", Paths(root.String(), true).DataFolder()));
  ASSERT_TRUE(store.Open()) << store.LastError();
  EXPECT_EQ(store.Runs("AP1").size(), 2u);

  // A row whose verdict was cut off is named, not dropped.
  std::ifstream in(log, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const LogImport whole = ParseResultLog(content, log.string(), "2026-01-01T00:00:00Z", CatalogueTests());
  ASSERT_TRUE(whole.skipped.empty());
  const size_t lastRowEnd = content.rfind("\r\n", content.size() - 3);
  const LogImport cut = ParseResultLog(content.substr(0, lastRowEnd - 20), log.string(), "2026-01-01T00:00:00Z",
                                       CatalogueTests());
  ASSERT_EQ(cut.skipped.size(), 1u);
}

// A setting the program cannot take is refused before the tests, and nothing is made from it.
TEST(SimulatedRuns, MistypedDatabaseSettingIsRefused) {
  ScratchFolder root("results-typo");
  MemorySettings settings;
  settings.Save("Veridane", "Settings", "ResultsDatabase", "postgresql:/u@h/db");
  const fs::path before = fs::current_path();
  fs::current_path(root.Path());
  Outcome run = Invoke(root, settings, {"--headless", "--run", "offset"});
  fs::current_path(before);
  EXPECT_EQ(run.code, kExitUsage) << run.messages;
  EXPECT_NE(run.messages.find("postgresql:/u@h/db"), std::string::npos) << run.messages;
  EXPECT_EQ(run.out.find("Offset at Zero"), std::string::npos);
  EXPECT_FALSE(fs::exists(root.Path() / "postgresql:"));
}

// Rows the database did not take: the tests and the log run to their end, then the run says
// how many and ends with 3.
TEST(SimulatedRuns, RowsNotStoredEndTheRunWithThree) {
  ScratchFolder root("results-unstored");
  MemorySettings settings;
  { std::ofstream(root.Path() / "blocker") << "x"; }
  settings.Save("Veridane", "Settings", "ResultsDatabase", (root.Path() / "blocker" / "results.db").string());
  Outcome run = Invoke(root, settings, {"--headless", "--run", "offset,dcv", "--log", "u10"});
  EXPECT_EQ(run.code, kExitEnded) << run.messages;
  const size_t rows = JudgedRows(run.out).size();
  ASSERT_GT(rows, 10u);
  EXPECT_NE(run.messages.find(std::to_string(rows) + " result rows were not stored in the results database"),
            std::string::npos)
      << run.messages;
  EXPECT_NE(run.out.find("DC Voltage Measurement"), std::string::npos);
}

TEST(SimulatedRuns, ResultsOfAnotherBenchKindAreElsewhere) {
  ScratchFolder root("results-real");
  MemorySettings settings;
  // Nothing stored for real benches yet: an empty list, said so.
  Outcome list = Invoke(root, settings, {"--results", "--bench", "gpib:0"});
  EXPECT_EQ(list.code, kExitPassed) << list.messages;
  EXPECT_NE(list.messages.find("No stored results"), std::string::npos);
  settings.Save("Veridane", "Settings", "ResultsDatabase", "off");
  EXPECT_EQ(Invoke(root, settings, {"--results"}).code, kExitUsage);
}

}  // namespace
}  // namespace veridane
