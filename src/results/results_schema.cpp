#include "results/results_schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace veridane {

namespace {

bool IsPostgres(const QSqlDatabase& db) { return db.driverName() == "QPSQL"; }

// The statements of one step. Types are those both SQLite and PostgreSQL take; only the
// self-numbering key differs.
std::vector<QString> StepStatements(int version, bool postgres) {
  const QString key = postgres ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
  switch (version) {
    case 1:
      return {
          "CREATE TABLE runs (id " + key +
              ", started_at TEXT NOT NULL, scope_model TEXT NOT NULL, firmware TEXT NOT NULL,"
              " serial TEXT NOT NULL, operator TEXT NOT NULL, comments TEXT NOT NULL, bench TEXT NOT NULL,"
              " simulated INTEGER NOT NULL, program_version TEXT NOT NULL)",
          "CREATE TABLE results (id " + key +
              ", run_id BIGINT NOT NULL REFERENCES runs(id), recorded_at TEXT NOT NULL,"
              " test_number INTEGER NOT NULL, test_name TEXT NOT NULL, step TEXT NOT NULL, unit TEXT NOT NULL,"
              " nominal DOUBLE PRECISION, lower_limit DOUBLE PRECISION, upper_limit DOUBLE PRECISION,"
              " marginal_lower DOUBLE PRECISION, marginal_upper DOUBLE PRECISION, measured DOUBLE PRECISION,"
              " verdict TEXT NOT NULL, row_text TEXT NOT NULL)",
      };
    case 2:
      return {
          "ALTER TABLE runs ADD COLUMN source TEXT NOT NULL DEFAULT ''",
          "CREATE INDEX runs_by_serial ON runs (serial, started_at)",
          "CREATE INDEX results_by_run ON results (run_id)",
      };
    case 3:
      // When each session of a result log began (its creation, then every append) and at
      // which line of the .log, so that a log read later can be told apart by date; the .log
      // itself stays as the bench PCs write it.
      return {
          "CREATE TABLE log_sessions (id " + key +
              ", log_file TEXT NOT NULL, opened_at TEXT NOT NULL, first_line INTEGER NOT NULL,"
              " created INTEGER NOT NULL)",
          "CREATE INDEX log_sessions_by_file ON log_sessions (log_file, first_line)",
      };
    case 4:
      // New tables only: a program of an earlier schema reading the runs and results sees them as before.
      return {
          "CREATE TABLE run_context (run_id BIGINT PRIMARY KEY REFERENCES runs(id), asset_id TEXT NOT NULL,"
          " customer TEXT NOT NULL, temperature DOUBLE PRECISION, humidity DOUBLE PRECISION, label TEXT NOT NULL,"
          " overdue INTEGER NOT NULL, standards_register TEXT NOT NULL)",
          "CREATE TABLE run_standards (id " + key +
              ", run_id BIGINT NOT NULL REFERENCES runs(id), role TEXT NOT NULL, model TEXT NOT NULL,"
              " serial TEXT NOT NULL, asset TEXT NOT NULL, certificate TEXT NOT NULL, calibrated TEXT NOT NULL,"
              " due TEXT NOT NULL, state TEXT NOT NULL)",
          "CREATE INDEX run_standards_by_run ON run_standards (run_id)",
          "CREATE TABLE run_tests (run_id BIGINT NOT NULL REFERENCES runs(id), test_number INTEGER NOT NULL,"
          " test_name TEXT NOT NULL, outcome TEXT NOT NULL, PRIMARY KEY (run_id, test_number))",
          // The key is the certificate number, committed before the certificate is drawn: AUTOINCREMENT
          // (and a PostgreSQL sequence) never hands a committed number out again, even once its row
          // is deleted, so a certificate lost in a crash leaves a gap, never a second holder.
          "CREATE TABLE certificates (number " + key +
              ", run_id BIGINT NOT NULL REFERENCES runs(id), issued_at TEXT NOT NULL, file TEXT NOT NULL)",
      };
    case 5:
      return {
          "ALTER TABLE results ADD COLUMN uncertainty DOUBLE PRECISION",
          "ALTER TABLE results ADD COLUMN tur DOUBLE PRECISION",
          "ALTER TABLE results ADD COLUMN decision_rule TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE results ADD COLUMN decision TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE results ADD COLUMN uncertainty_budget TEXT NOT NULL DEFAULT ''",
      };
    case 6:
      // The line a test failed on when it could not measure its steps to the end.
      return {"ALTER TABLE run_tests ADD COLUMN finding TEXT NOT NULL DEFAULT ''"};
    case 7:
      // The budget as data; the text column stays for the rows stored before.
      return {"ALTER TABLE results ADD COLUMN uncertainty_contributions TEXT NOT NULL DEFAULT ''"};
    case 8:
      // What a result log's runs are recorded with beyond its header (whose unit, the
      // conditions), by log, so that a log opened again offers it again; the .log stays as it is.
      return {"CREATE TABLE log_context (log_file TEXT PRIMARY KEY, operator TEXT NOT NULL, customer TEXT NOT NULL,"
              " asset_id TEXT NOT NULL, temperature DOUBLE PRECISION, humidity DOUBLE PRECISION, label TEXT NOT NULL,"
              " saved_at TEXT NOT NULL)"};
    default:
      return {};
  }
}

bool Exec(QSqlDatabase& db, const QString& statement, std::string& error) {
  QSqlQuery query(db);
  if (query.exec(statement)) return true;
  error = query.lastError().text().toStdString();
  return false;
}

}  // namespace

int ReadSchemaVersion(QSqlDatabase& db) {
  if (!db.tables().contains("schema_version")) return 0;
  QSqlQuery query(db);
  if (!query.exec("SELECT MAX(version) FROM schema_version") || !query.next()) return -1;
  return query.value(0).isNull() ? 0 : query.value(0).toInt();
}

bool MigrateResultsSchema(QSqlDatabase& db, std::string& error, int target) {
  if (!db.tables().contains("schema_version") && !Exec(db, "CREATE TABLE schema_version (version INTEGER NOT NULL)", error))
    return false;
  int version = ReadSchemaVersion(db);
  if (version < 0) {
    error = "its schema version cannot be read";
    return false;
  }
  if (version > kResultsSchemaVersion) {
    error = "it was written by a newer version of the program (schema " + std::to_string(version) + ")";
    return false;
  }
  while (version < target) {
    const int next = version + 1;
    if (!db.transaction()) {
      error = db.lastError().text().toStdString();
      return false;
    }
    bool ok = true;
    for (const QString& statement : StepStatements(next, IsPostgres(db))) {
      ok = Exec(db, statement, error);
      if (!ok) break;
    }
    if (ok) {
      QSqlQuery mark(db);
      mark.prepare("INSERT INTO schema_version (version) VALUES (?)");
      mark.addBindValue(next);
      ok = mark.exec();
      if (!ok) error = mark.lastError().text().toStdString();
    }
    if (!ok || !db.commit()) {
      if (ok) error = db.lastError().text().toStdString();
      db.rollback();
      return false;
    }
    version = next;
  }
  return true;
}

}  // namespace veridane
