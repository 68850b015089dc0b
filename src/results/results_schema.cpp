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
      return {
          "ALTER TABLE results ADD COLUMN uncertainty DOUBLE PRECISION",
          "ALTER TABLE results ADD COLUMN tur DOUBLE PRECISION",
          "ALTER TABLE results ADD COLUMN decision_rule TEXT NOT NULL DEFAULT ''",
          "ALTER TABLE results ADD COLUMN decision TEXT NOT NULL DEFAULT ''",
      };
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
