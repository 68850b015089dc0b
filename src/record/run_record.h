#pragma once
// One stored run as every export reads it: the run with its context, its rows in the order they
// were shown, how its tests ended, and the SHA-256 that ties a printed certificate to the rows
// in the database. Nothing here reads a verdict or a number back out of a row's text.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "results/results_store.h"

namespace veridane {

struct RunRecord {
  StoredRun run;
  std::vector<StoredRow> rows;
  std::vector<RunTestOutcome> outcomes;  // empty when the run's outcomes were never recorded
  std::string sha256;                 // lower-case hex, of RunDigestText
};

// Reads a run; nullopt with error set when it is not stored or cannot be read.
std::optional<RunRecord> LoadRunRecord(ResultsStore& store, int64_t runId, std::string& error);

// The newest as-found run of the same unit (serial and model) stored before `record`'s run,
// for an as-left certificate to show beside it; nullopt when there is none.
std::optional<RunRecord> AsFoundBefore(ResultsStore& store, const RunRecord& record);

// The text the digest is taken of: the run's stored facts, context, outcomes and rows, one
// field a line, numbers in their shortest exact form. Its layout is part of the results
// format (docs/results-format.md) and changes only with its version.
std::string RunDigestText(const RunRecord& record);
std::string Sha256Hex(const std::string& bytes);

// A test's outcome from its rows: Failed when a row failed or was not measurable, else Passed;
// NotRun with no rows.
TestOutcome TestVerdict(const std::vector<const StoredRow*>& rows);

// The rows grouped by test, in the order the tests were shown.
struct TestRows {
  int number = 0;
  std::string name;
  std::vector<const StoredRow*> rows;
  TestOutcome outcome = TestOutcome::NotRun;  // from the stored outcomes; else the rows' verdict
  std::string finding;  // the line the test failed on without a failing step (see RunTestOutcome)

  // Passed with a marginal step.
  bool Marginal() const;
  // The test's verdict as JSON, JUnit and the certificate name it: its outcome's word, or
  // "marginal" for a pass with a marginal step.
  std::string Word() const;
};
std::vector<TestRows> RowsByTest(const RunRecord& record);
// A test's verdict as JSON, JUnit, the certificate and History name it: its outcome's word, or
// "marginal" for a pass with a marginal step.
std::string TestWord(TestOutcome outcome, bool marginal);

}  // namespace veridane
