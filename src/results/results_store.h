#pragma once
// The results database: every run and every measured row, beside the text logs. Texts go in
// and come out as the program's 8-bit text; the database holds them as Unicode.
//
// Each write is its own transaction, so that whatever has been shown is either stored whole or
// not at all, whatever happens to the program afterwards.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QSqlDatabase;

#include "pv/frame/result_row.h"
#include "results/run_context.h"
#include "results/store_target.h"

namespace veridane {

// One verification of one scope.
struct RunFacts {
  std::string startedAt;  // ISO 8601 with the UTC offset: "2026-12-07T11:46:58+01:00"
  std::string scopeModel;
  std::string firmware;
  std::string serial;  // serial number or ID text, as the log header has it
  std::string operatorName;
  std::string comments;
  std::string bench;  // connection text: "sim", "gpib:0", ...
  bool simulated = false;
  std::string programVersion;
  std::string source;  // the log file an imported run came from; empty for a live run
  // The calibration record's part: stored with the run, read back by RunById. Absent for an
  // imported run and for runs stored before the record existed.
  std::optional<RunContext> context;
};

struct StoredRun {
  int64_t id = 0;
  RunFacts facts;
};

struct StoredRow {
  StoredRun run;
  std::string recordedAt;
  StepResult result;
  StepUncertainty uncertainty;  // U, TUR, rule, decision and, for rows stored with it, the budget's data
  std::string decision;  // as stored; empty for a row stored before decisions were kept
  // The step's uncertainty budget as text (8-bit, LF line ends): printed from the stored data,
  // or as stored for a row kept before the budget was stored as data.
  std::string budgetText;
};

// One session of a result log: created, or re-opened to append, at openedAt (ISO 8601),
// its first row being line firstLine (0-based) of the .log.
struct LogSession {
  std::string openedAt;
  int firstLine = 0;
  bool created = false;
};

// A certificate issued for a run: its number (as the store counts them), when, and the file.
struct IssuedCertificate {
  int64_t number = 0;
  std::string issuedAt;
  std::string file;
};

// Empty test and step fields match everything. The serial filters only when given, and then
// exactly: an empty one picks the runs made without a serial, not every scope.
struct ResultFilter {
  std::optional<std::string> serial;
  std::string testName;  // as the status list names the test
  std::string step;
  std::optional<int64_t> runId;
};

// How the store names a log: its absolute path with links resolved, so that the window and
// --log-text find the same sessions whichever way the file was named.
std::string LogFileKey(const std::string& path);

class ResultsStore {
 public:
  explicit ResultsStore(StoreTarget target);
  ~ResultsStore();
  ResultsStore(const ResultsStore&) = delete;
  ResultsStore& operator=(const ResultsStore&) = delete;

  // Connects (making the SQLite file and its folder when missing) and brings the schema up to
  // date. False with LastError() when that fails.
  bool Open();
  bool IsOpen() const { return open_; }

  std::optional<int64_t> AddRun(const RunFacts& facts);
  bool AddRow(int64_t runId, const std::string& recordedAt, const StepResult& result,
              const StepUncertainty& uncertainty = {});

  std::vector<StoredRun> Runs(const std::optional<std::string>& serial = std::nullopt);
  // Oldest run first, rows in the order they were shown.
  std::vector<StoredRow> Rows(const ResultFilter& filter);
  // Every serial/ID text with at least one run, sorted.
  std::vector<std::string> Serials();
  // The tests stored for a serial, in test order.
  std::vector<std::string> TestNames(const std::string& serial);
  // True when a run imported from `source` and started at `startedAt` is stored already.
  bool HasImported(const std::string& source, const std::string& startedAt);

  // The sessions of the log at logFile (a file-system path, as LogFileKey gives it).
  bool AddLogSession(const std::string& logFile, const LogSession& session);
  // Oldest first; only the latest creation and what followed it (an overwritten log began
  // again at line 0).
  std::vector<LogSession> LogSessions(const std::string& logFile);
  // The record's context of the log at logFile (as LogFileKey gives it), replacing what was
  // kept; nullopt when none was kept (or it cannot be read: LastError() is set then).
  bool SaveLogContext(const std::string& logFile, const LogContext& context, const std::string& savedAt);
  std::optional<LogContext> LogContextOf(const std::string& logFile);

  // One run with its context; nullopt when there is no such run (or it cannot be read:
  // LastError() is set then).
  std::optional<StoredRun> RunById(int64_t id);
  // How the run's tests ended, replacing what was stored before; read back in test order.
  bool SetTestOutcomes(int64_t runId, const std::vector<RunTestOutcome>& outcomes);
  std::vector<RunTestOutcome> TestOutcomes(int64_t runId);
  // A new certificate number for the run, committed before the caller draws the certificate.
  std::optional<int64_t> IssueCertificate(int64_t runId, const std::string& issuedAt, const std::string& file);
  // The certificates issued for the run, oldest first.
  std::vector<IssuedCertificate> Certificates(int64_t runId);

  const std::string& LastError() const { return error_; }
  const StoreTarget& Target() const { return target_; }

 private:
  bool Fail(const std::string& what);
  bool AddContext(QSqlDatabase& db, int64_t runId, const RunContext& context);
  std::optional<RunContext> ContextOf(int64_t runId);

  StoreTarget target_;
  std::string connection_;
  bool open_ = false;
  std::string error_;
};

}  // namespace veridane
