#pragma once
// The results tables, created and brought up to date by the program itself. The table
// schema_version holds the one number of the schema a database has; each step below moves it
// up by one, inside its own transaction, so that a database is never left between two versions.
//
//   1  runs (one per scope verified in one go) and results (one per measured row)
//   2  runs.source: the log file a run was imported from; indexes for the History window
//   3  log_sessions: when each session of a result log began, and at which line
//   4  run_context and run_standards (the calibration record of a run: unit, customer,
//      conditions, as found or as left, the standards used); run_tests (how each test of a
//      run ended, so a stopped test is known later); certificates (every number ever
//      issued, so that none is given twice)
//   5  results.uncertainty (expanded, k = 2; NULL: not stated), results.tur, results.decision_rule,
//      results.decision and results.uncertainty_budget (its text; empty for rows stored before
//      and rows read from a log)
//   6  run_tests.finding: the line a test failed on when it could not measure its steps to
//      the end (a signal that could not be set)
//   7  results.uncertainty_contributions: the budget as data (JSON: each contribution with its
//      figure, distribution, divisor, sensitivity and standard uncertainty; u_c; what is missing),
//      from which its text is printed; rows stored before keep their text in uncertainty_budget
//   8  log_context: a result log's record beyond its header (operator, customer, asset,
//      conditions), by log, offered again when the log is opened to append to it
#include <QSqlDatabase>
#include <string>

namespace veridane {

inline constexpr int kResultsSchemaVersion = 8;

// The version a database has: 0 for an empty one, -1 when it cannot be read.
int ReadSchemaVersion(QSqlDatabase& db);

// Brings the database to `target` (at most kResultsSchemaVersion). False with the reason in
// error when a step fails or the database was written by a newer program (its tables are not
// touched then).
bool MigrateResultsSchema(QSqlDatabase& db, std::string& error, int target = kResultsSchemaVersion);

}  // namespace veridane
