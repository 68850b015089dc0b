#include "results/results_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/text8.h"
#include "results/results_schema.h"

namespace veridane {

namespace {

QString Q(const std::string& text8) { return QString::fromStdString(Utf8FromText8(text8)); }
std::string Text8(const QVariant& value) { return Text8FromUtf8(value.toString().toStdString()); }

// A reading that is no number is stored as no reading: a NaN means something else in every
// database, and nothing in SQLite.
// The budget of an assessed step as the store keeps it: its contributions with their figures and
// distributions, u_c, what the register lacked, and whether the decision fell back to simple
// acceptance. U, TUR, the rule and the decision have columns of their own.
QString BudgetData(const StepUncertainty& lab) {
  const StepBudget& budget = lab.budget;
  QJsonArray contributions;
  for (const Contribution& c : budget.contributions) {
    QJsonObject o;
    o["source"] = Q(c.source);
    o["distribution"] = c.distribution == Distribution::Normal ? "normal" : "rectangular";
    o["divisor"] = c.divisor;
    o["figure"] = c.figure;
    o["sensitivity"] = c.sensitivity;
    o["standard"] = c.standard;
    if (!c.figureUnit.empty()) o["figure_unit"] = Q(c.figureUnit);
    contributions.append(o);
  }
  QJsonObject data;
  data["contributions"] = contributions;
  if (budget.combined) data["combined"] = *budget.combined;
  if (!budget.missing.empty()) data["missing"] = Q(budget.missing);
  if (lab.judged.fellBackToSimple) data["fell_back_to_simple"] = true;
  return QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Compact));
}

// Reads BudgetData back into `lab`; false for text that is not such data.
bool ReadBudgetData(const QString& text, StepUncertainty& lab) {
  const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
  if (!document.isObject()) return false;
  const QJsonObject data = document.object();
  StepBudget& budget = lab.budget;
  budget.contributions.clear();
  for (const QJsonValue& value : data["contributions"].toArray()) {
    const QJsonObject o = value.toObject();
    Contribution c;
    c.source = Text8FromUtf8(o["source"].toString().toStdString());
    c.distribution = o["distribution"].toString() == "rectangular" ? Distribution::Rectangular : Distribution::Normal;
    c.divisor = o["divisor"].toDouble();
    c.figure = o["figure"].toDouble();
    c.sensitivity = o["sensitivity"].toDouble();
    c.standard = o["standard"].toDouble();
    c.figureUnit = Text8FromUtf8(o["figure_unit"].toString().toStdString());
    budget.contributions.push_back(std::move(c));
  }
  budget.combined = data.contains("combined") ? std::optional<double>(data["combined"].toDouble()) : std::nullopt;
  budget.missing = Text8FromUtf8(data["missing"].toString().toStdString());
  lab.judged.fellBackToSimple = data["fell_back_to_simple"].toBool();
  return true;
}

QVariant Number(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return QVariant();
  return QVariant(*value);
}
std::optional<double> Number(const QVariant& value) {
  if (value.isNull()) return std::nullopt;
  return value.toDouble();
}

// A verdict name this build does not know counts as a FAIL: nothing stored may pass by accident.
Verdict StoredVerdict(const std::string& name) { return VerdictFromName(name).value_or(Verdict::Fail); }

constexpr const char* kRunColumns =
    "runs.id, runs.started_at, runs.scope_model, runs.firmware, runs.serial, runs.operator, runs.comments, "
    "runs.bench, runs.simulated, runs.program_version, runs.source";

StoredRun RunFromQuery(const QSqlQuery& query) {
  StoredRun run;
  run.id = query.value(0).toLongLong();
  run.facts.startedAt = Text8(query.value(1));
  run.facts.scopeModel = Text8(query.value(2));
  run.facts.firmware = Text8(query.value(3));
  run.facts.serial = Text8(query.value(4));
  run.facts.operatorName = Text8(query.value(5));
  run.facts.comments = Text8(query.value(6));
  run.facts.bench = Text8(query.value(7));
  run.facts.simulated = query.value(8).toInt() != 0;
  run.facts.programVersion = Text8(query.value(9));
  run.facts.source = Text8(query.value(10));
  return run;
}

}  // namespace

ResultsStore::ResultsStore(StoreTarget target)
    : target_(std::move(target)),
      connection_("veridane-results-" + std::to_string(reinterpret_cast<uintptr_t>(this))) {}

ResultsStore::~ResultsStore() {
  const QString name = QString::fromStdString(connection_);
  if (QSqlDatabase::contains(name)) {
    {
      QSqlDatabase db = QSqlDatabase::database(name, false);
      db.close();
    }
    QSqlDatabase::removeDatabase(name);
  }
}

bool ResultsStore::Fail(const std::string& what) {
  error_ = what;
  return false;
}

bool ResultsStore::Open() {
  if (open_) return true;
  const QString name = QString::fromStdString(connection_);
  QString driver;
  switch (target_.kind) {
    case StoreKind::None:
      return Fail(target_.error.empty() ? "no results database is set" : target_.error);
    case StoreKind::SQLite:
      driver = "QSQLITE";
      break;
    case StoreKind::PostgreSQL:
      driver = "QPSQL";
      break;
  }
  if (!QSqlDatabase::isDriverAvailable(driver))
    return Fail("the database driver " + driver.toStdString() + " is not installed (Debian package " +
                (target_.kind == StoreKind::PostgreSQL ? "libqt6sql6-psql" : "libqt6sql6-sqlite") + ")");
  QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                  : QSqlDatabase::addDatabase(driver, name);
  if (target_.kind == StoreKind::SQLite) {
    const std::filesystem::path file(target_.file);
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    db.setDatabaseName(QString::fromStdString(target_.file));
    // Another program (a second window, a backup) may hold the file for a moment; one that
    // holds it longer costs this row, not the bench's time.
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=" + QString::number(target_.waitMilliseconds));
  } else {
    db.setHostName(QString::fromStdString(target_.host));
    db.setPort(target_.port);
    db.setDatabaseName(QString::fromStdString(target_.database));
    if (!target_.user.empty()) db.setUserName(QString::fromStdString(target_.user));
    if (!target_.password.empty()) db.setPassword(QString::fromStdString(target_.password));
    // A server that does not answer must not hold the bench up for long.
    QString options = "connect_timeout=5";
    if (!target_.options.empty()) options += ";" + QString::fromStdString(target_.options);
    db.setConnectOptions(options);
  }
  if (!db.open()) return Fail(db.lastError().text().toStdString());
  if (target_.kind == StoreKind::SQLite) {
    // Somebody else's database given by mistake is not ours to add tables to.
    const QStringList tables = db.tables(QSql::Tables);
    if (!tables.isEmpty() && !tables.contains("schema_version")) {
      db.close();
      return Fail("it holds tables of another program (" + tables.join(", ").toStdString() +
                  ") and no results of this one; it is left as it is");
    }
    QSqlQuery(db).exec("PRAGMA foreign_keys = ON");
  } else {
    // A table another session keeps locked, or a server that has stopped answering a
    // statement, must not hold the bench up: the row is reported as not stored instead.
    QSqlQuery limits(db);
    if (!limits.exec("SET lock_timeout = " + QString::number(target_.waitMilliseconds)) ||
        !limits.exec("SET statement_timeout = " + QString::number(3 * target_.waitMilliseconds))) {
      const std::string problem = limits.lastError().text().toStdString();
      db.close();
      return Fail(problem);
    }
  }
  std::string problem;
  if (!MigrateResultsSchema(db, problem)) {
    // Another bench sharing the server may have made the same step a moment earlier.
    if (ReadSchemaVersion(db) != kResultsSchemaVersion || !MigrateResultsSchema(db, problem)) {
      db.close();
      return Fail(problem);
    }
  }
  open_ = true;
  return true;
}

std::optional<int64_t> ResultsStore::AddRun(const RunFacts& facts) {
  if (!open_) {
    Fail("the results database is not open");
    return std::nullopt;
  }
  QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
  QSqlQuery query(db);
  if (!query.prepare(
          "INSERT INTO runs (started_at, scope_model, firmware, serial, operator, comments, bench, simulated,"
          " program_version, source) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id")) {
    Fail(query.lastError().text().toStdString());
    return std::nullopt;
  }
  for (const std::string* text : {&facts.startedAt, &facts.scopeModel, &facts.firmware, &facts.serial,
                                  &facts.operatorName, &facts.comments, &facts.bench})
    query.addBindValue(Q(*text));
  query.addBindValue(facts.simulated ? 1 : 0);
  query.addBindValue(Q(facts.programVersion));
  query.addBindValue(Q(facts.source));
  if (!db.transaction()) {
    Fail(db.lastError().text().toStdString());
    return std::nullopt;
  }
  if (!query.exec() || !query.next()) {
    Fail(query.lastError().text().toStdString());
    db.rollback();
    return std::nullopt;
  }
  const int64_t id = query.value(0).toLongLong();
  query.finish();
  // The context goes in the run's own transaction: a run is never stored without it.
  if (facts.context && !AddContext(db, id, *facts.context)) {
    db.rollback();
    return std::nullopt;
  }
  if (!db.commit()) {
    Fail(db.lastError().text().toStdString());
    db.rollback();
    return std::nullopt;
  }
  return id;
}

bool ResultsStore::AddContext(QSqlDatabase& db, int64_t runId, const RunContext& context) {
  QSqlQuery query(db);
  query.prepare(
      "INSERT INTO run_context (run_id, asset_id, customer, temperature, humidity, label, overdue, standards_register)"
      " VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
  query.addBindValue(static_cast<qlonglong>(runId));
  query.addBindValue(Q(context.assetId));
  query.addBindValue(Q(context.customer));
  query.addBindValue(Number(context.temperatureC));
  query.addBindValue(Number(context.humidityPercent));
  query.addBindValue(QString::fromStdString(std::string(RunLabelName(context.label))));
  query.addBindValue(context.overdue ? 1 : 0);
  query.addBindValue(Q(context.standardsRegister));
  if (!query.exec()) return Fail(query.lastError().text().toStdString());
  for (const StandardUsed& standard : context.standards) {
    QSqlQuery add(db);
    add.prepare(
        "INSERT INTO run_standards (run_id, role, model, serial, asset, certificate, calibrated, due, state)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    add.addBindValue(static_cast<qlonglong>(runId));
    for (const std::string* text : {&standard.role, &standard.model, &standard.serial, &standard.asset,
                                    &standard.certificate, &standard.calibrated, &standard.due, &standard.state})
      add.addBindValue(Q(*text));
    if (!add.exec()) return Fail(add.lastError().text().toStdString());
  }
  return true;
}

std::optional<RunContext> ResultsStore::ContextOf(int64_t runId) {
  QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
  QSqlQuery query(db);
  query.prepare(
      "SELECT asset_id, customer, temperature, humidity, label, overdue, standards_register FROM run_context"
      " WHERE run_id = ?");
  query.addBindValue(static_cast<qlonglong>(runId));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return std::nullopt;
  }
  if (!query.next()) return std::nullopt;
  RunContext context;
  context.assetId = Text8(query.value(0));
  context.customer = Text8(query.value(1));
  context.temperatureC = Number(query.value(2));
  context.humidityPercent = Number(query.value(3));
  context.label = RunLabelFromName(query.value(4).toString().toStdString());
  context.overdue = query.value(5).toInt() != 0;
  context.standardsRegister = Text8(query.value(6));
  QSqlQuery standards(db);
  standards.prepare(
      "SELECT role, model, serial, asset, certificate, calibrated, due, state FROM run_standards WHERE run_id = ?"
      " ORDER BY id");
  standards.addBindValue(static_cast<qlonglong>(runId));
  if (!standards.exec()) {
    Fail(standards.lastError().text().toStdString());
    return std::nullopt;
  }
  while (standards.next()) {
    StandardUsed used;
    std::string* fields[] = {&used.role, &used.model, &used.serial, &used.asset,
                             &used.certificate, &used.calibrated, &used.due, &used.state};
    for (int i = 0; i < 8; ++i) *fields[i] = Text8(standards.value(i));
    context.standards.push_back(std::move(used));
  }
  return context;
}

std::optional<StoredRun> ResultsStore::RunById(int64_t id) {
  if (!open_) {
    Fail("the results database is not open");
    return std::nullopt;
  }
  error_.clear();
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare(QString("SELECT ") + kRunColumns + " FROM runs WHERE id = ?");
  query.addBindValue(static_cast<qlonglong>(id));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return std::nullopt;
  }
  if (!query.next()) return std::nullopt;
  StoredRun run = RunFromQuery(query);
  run.facts.context = ContextOf(id);
  if (!error_.empty()) return std::nullopt;
  return run;
}

bool ResultsStore::SetTestOutcomes(int64_t runId, const std::vector<RunTestOutcome>& outcomes) {
  if (!open_) return Fail("the results database is not open");
  QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
  if (!db.transaction()) return Fail(db.lastError().text().toStdString());
  QSqlQuery clear(db);
  clear.prepare("DELETE FROM run_tests WHERE run_id = ?");
  clear.addBindValue(static_cast<qlonglong>(runId));
  bool ok = clear.exec();
  if (!ok) Fail(clear.lastError().text().toStdString());
  for (size_t i = 0; ok && i < outcomes.size(); ++i) {
    QSqlQuery add(db);
    add.prepare("INSERT INTO run_tests (run_id, test_number, test_name, outcome, finding) VALUES (?, ?, ?, ?, ?)");
    add.addBindValue(static_cast<qlonglong>(runId));
    add.addBindValue(outcomes[i].number);
    add.addBindValue(Q(outcomes[i].name));
    add.addBindValue(Q(std::string(OutcomeWord(outcomes[i].outcome))));
    add.addBindValue(Q(outcomes[i].finding));
    ok = add.exec();
    if (!ok) Fail(add.lastError().text().toStdString());
  }
  if (!ok || !db.commit()) {
    if (ok) Fail(db.lastError().text().toStdString());
    db.rollback();
    return false;
  }
  return true;
}

std::vector<RunTestOutcome> ResultsStore::TestOutcomes(int64_t runId) {
  std::vector<RunTestOutcome> outcomes;
  if (!open_) return outcomes;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare("SELECT test_number, test_name, outcome, finding FROM run_tests WHERE run_id = ? ORDER BY test_number");
  query.addBindValue(static_cast<qlonglong>(runId));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return outcomes;
  }
  while (query.next()) {
    const std::string word = Text8(query.value(2));
    const std::optional<TestOutcome> outcome = OutcomeFromWord(word);
    // A word no build writes would be read as something it does not say.
    if (!outcome) {
      Fail("run " + std::to_string(runId) + " holds a test outcome no program writes: \"" + word + "\"");
      return {};
    }
    outcomes.push_back(RunTestOutcome{query.value(0).toInt(), Text8(query.value(1)), *outcome, Text8(query.value(3))});
  }
  return outcomes;
}

std::vector<IssuedCertificate> ResultsStore::Certificates(int64_t runId) {
  std::vector<IssuedCertificate> issued;
  if (!open_) return issued;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare("SELECT number, issued_at, file FROM certificates WHERE run_id = ? ORDER BY number");
  query.addBindValue(static_cast<qlonglong>(runId));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return issued;
  }
  while (query.next())
    issued.push_back(IssuedCertificate{query.value(0).toLongLong(), Text8(query.value(1)), Text8(query.value(2))});
  return issued;
}

std::optional<int64_t> ResultsStore::IssueCertificate(int64_t runId, const std::string& issuedAt, const std::string& file) {
  if (!open_) {
    Fail("the results database is not open");
    return std::nullopt;
  }
  QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
  if (!db.transaction()) {
    Fail(db.lastError().text().toStdString());
    return std::nullopt;
  }
  QSqlQuery query(db);
  query.prepare("INSERT INTO certificates (run_id, issued_at, file) VALUES (?, ?, ?) RETURNING number");
  query.addBindValue(static_cast<qlonglong>(runId));
  query.addBindValue(Q(issuedAt));
  query.addBindValue(Q(file));
  if (!query.exec() || !query.next()) {
    Fail(query.lastError().text().toStdString());
    db.rollback();
    return std::nullopt;
  }
  const int64_t number = query.value(0).toLongLong();
  query.finish();
  if (!db.commit()) {
    Fail(db.lastError().text().toStdString());
    db.rollback();
    return std::nullopt;
  }
  return number;
}

bool ResultsStore::AddRow(int64_t runId, const std::string& recordedAt, const StepResult& result,
                          const StepUncertainty& lab) {
  if (!open_) return Fail("the results database is not open");
  QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
  if (!db.transaction()) return Fail(db.lastError().text().toStdString());
  QSqlQuery query(db);
  // A server prepares against the table, so a lock held on it shows here first.
  if (!query.prepare(
          "INSERT INTO results (run_id, recorded_at, test_number, test_name, step, unit, nominal, lower_limit,"
          " upper_limit, marginal_lower, marginal_upper, measured, verdict, row_text, uncertainty, tur, decision_rule,"
          " decision, uncertainty_budget, uncertainty_contributions)"
          " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")) {
    Fail(query.lastError().text().toStdString());
    db.rollback();
    return false;
  }
  const StepResult& row = result;
  query.addBindValue(static_cast<qlonglong>(runId));
  query.addBindValue(Q(recordedAt));
  query.addBindValue(result.test);
  query.addBindValue(Q(result.testName));
  query.addBindValue(Q(row.step));
  query.addBindValue(Q(row.unit));
  query.addBindValue(Number(std::optional<double>(row.nominal)));
  for (const std::optional<double>* value : {&row.lower, &row.upper, &row.marginalLower, &row.marginalUpper, &row.measured})
    query.addBindValue(Number(*value));
  query.addBindValue(QString::fromStdString(std::string(VerdictName(row.verdict))));
  query.addBindValue(Q(result.text));
  query.addBindValue(Number(lab.budget.expanded));
  query.addBindValue(Number(lab.tur));
  query.addBindValue(QString::fromStdString(lab.assessed ? std::string(DecisionRuleName(lab.rule)) : std::string()));
  query.addBindValue(QString::fromStdString(lab.assessed ? std::string(DecisionName(lab.judged.decision)) : std::string()));
  // The budget is kept as data; its text is printed from that when the row is read.
  query.addBindValue(QString(""));
  query.addBindValue(lab.assessed ? BudgetData(lab) : QString(""));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    db.rollback();
    return false;
  }
  if (!db.commit()) {
    Fail(db.lastError().text().toStdString());
    db.rollback();
    return false;
  }
  return true;
}

std::vector<StoredRun> ResultsStore::Runs(const std::optional<std::string>& serial) {
  std::vector<StoredRun> runs;
  if (!open_) return runs;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare(QString("SELECT ") + kRunColumns + " FROM runs" + (serial ? " WHERE serial = ?" : "") +
                " ORDER BY started_at, id");
  if (serial) query.addBindValue(Q(*serial));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return runs;
  }
  while (query.next()) runs.push_back(RunFromQuery(query));
  return runs;
}

std::vector<StoredRow> ResultsStore::Rows(const ResultFilter& filter) {
  std::vector<StoredRow> rows;
  if (!open_) return rows;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  QString sql = QString("SELECT ") + kRunColumns +
                ", results.recorded_at, results.test_number, results.test_name, results.step, results.unit,"
                " results.nominal, results.lower_limit, results.upper_limit, results.marginal_lower,"
                " results.marginal_upper, results.measured, results.verdict, results.row_text,"
                " results.uncertainty, results.tur, results.decision_rule, results.decision, results.uncertainty_budget,"
                " results.uncertainty_contributions"
                " FROM results JOIN runs ON runs.id = results.run_id WHERE 1 = 1";
  if (filter.serial) sql += " AND runs.serial = ?";
  if (!filter.testName.empty()) sql += " AND results.test_name = ?";
  if (!filter.step.empty()) sql += " AND results.step = ?";
  if (filter.runId) sql += " AND runs.id = ?";
  sql += " ORDER BY runs.started_at, runs.id, results.id";
  query.prepare(sql);
  if (filter.serial) query.addBindValue(Q(*filter.serial));
  for (const std::string* value : {&filter.testName, &filter.step})
    if (!value->empty()) query.addBindValue(Q(*value));
  if (filter.runId) query.addBindValue(static_cast<qlonglong>(*filter.runId));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return rows;
  }
  while (query.next()) {
    StoredRow stored;
    stored.run = RunFromQuery(query);
    stored.recordedAt = Text8(query.value(11));
    StepResult& result = stored.result;
    result.test = query.value(12).toInt();
    result.testName = Text8(query.value(13));
    result.step = Text8(query.value(14));
    result.unit = Text8(query.value(15));
    // Only a step judged on an answer has no nominal value.
    result.nominal = Number(query.value(16)).value_or(std::numeric_limits<double>::quiet_NaN());
    result.lower = Number(query.value(17));
    result.upper = Number(query.value(18));
    result.marginalLower = Number(query.value(19));
    result.marginalUpper = Number(query.value(20));
    result.measured = Number(query.value(21));
    result.verdict = StoredVerdict(query.value(22).toString().toStdString());
    result.text = Text8(query.value(23));
    stored.uncertainty.budget.expanded = Number(query.value(24));
    stored.uncertainty.tur = Number(query.value(25));
    stored.uncertainty.rule = DecisionRuleFromName(query.value(26).toString().toStdString()).value_or(DecisionRule::Simple);
    const std::string decision = query.value(27).toString().toStdString();
    stored.decision = decision;
    stored.uncertainty.assessed = !decision.empty();
    for (Decision d : {Decision::Pass, Decision::ConditionalPass, Decision::ConditionalFail, Decision::Fail})
      if (decision == DecisionName(d)) stored.uncertainty.judged.decision = d;
    // A row stored with its budget as data prints it from there; one stored before kept its text.
    const QString data = query.value(29).toString();
    if (!data.isEmpty() && ReadBudgetData(data, stored.uncertainty))
      stored.budgetText = BudgetReport(result.step, result.unit, stored.uncertainty);
    else
      stored.budgetText = Text8(query.value(28));
    rows.push_back(std::move(stored));
  }
  return rows;
}

std::vector<std::string> ResultsStore::Serials() {
  std::vector<std::string> serials;
  if (!open_) return serials;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  if (!query.exec("SELECT DISTINCT serial FROM runs ORDER BY serial")) {
    Fail(query.lastError().text().toStdString());
    return serials;
  }
  while (query.next()) serials.push_back(Text8(query.value(0)));
  return serials;
}

std::vector<std::string> ResultsStore::TestNames(const std::string& serial) {
  std::vector<std::string> names;
  if (!open_) return names;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  // Also a test that failed on a finding before its first row: it has a history of failing.
  query.prepare(
      "SELECT name, MIN(number) FROM ("
      " SELECT results.test_name AS name, results.test_number AS number FROM results"
      " JOIN runs ON runs.id = results.run_id WHERE runs.serial = ?"
      " UNION ALL SELECT run_tests.test_name, run_tests.test_number FROM run_tests"
      " JOIN runs ON runs.id = run_tests.run_id WHERE runs.serial = ? AND run_tests.finding <> ''"
      ") AS tested GROUP BY name ORDER BY MIN(number), name");
  query.addBindValue(Q(serial));
  query.addBindValue(Q(serial));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return names;
  }
  while (query.next()) names.push_back(Text8(query.value(0)));
  return names;
}

bool ResultsStore::HasImported(const std::string& source, const std::string& startedAt) {
  if (!open_) return false;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare("SELECT COUNT(*) FROM runs WHERE source = ? AND started_at = ?");
  query.addBindValue(Q(source));
  query.addBindValue(Q(startedAt));
  return query.exec() && query.next() && query.value(0).toInt() > 0;
}

std::string LogFileKey(const std::string& path) {
  std::error_code error;
  std::filesystem::path key = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
  return error ? path : key.string();
}

bool ResultsStore::AddLogSession(const std::string& logFile, const LogSession& session) {
  if (!open_) return Fail("the database is not open");
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare("INSERT INTO log_sessions (log_file, opened_at, first_line, created) VALUES (?, ?, ?, ?)");
  query.addBindValue(QString::fromStdString(logFile));
  query.addBindValue(Q(session.openedAt));
  query.addBindValue(session.firstLine);
  query.addBindValue(session.created ? 1 : 0);
  if (!query.exec()) return Fail(query.lastError().text().toStdString());
  return true;
}

std::vector<LogSession> ResultsStore::LogSessions(const std::string& logFile) {
  std::vector<LogSession> sessions;
  if (!open_) return sessions;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare("SELECT opened_at, first_line, created FROM log_sessions WHERE log_file = ? ORDER BY id");
  query.addBindValue(QString::fromStdString(logFile));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return sessions;
  }
  while (query.next()) {
    LogSession session{Text8(query.value(0)), query.value(1).toInt(), query.value(2).toInt() != 0};
    if (session.created) sessions.clear();
    sessions.push_back(std::move(session));
  }
  return sessions;
}

bool ResultsStore::SaveLogContext(const std::string& logFile, const LogContext& context, const std::string& savedAt) {
  if (!open_) return Fail("the database is not open");
  QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
  if (!db.transaction()) return Fail(db.lastError().text().toStdString());
  QSqlQuery query(db);
  query.prepare("DELETE FROM log_context WHERE log_file = ?");
  query.addBindValue(QString::fromStdString(logFile));
  bool ok = query.exec();
  if (ok) {
    query.prepare(
        "INSERT INTO log_context (log_file, operator, customer, asset_id, temperature, humidity, label, saved_at)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    query.addBindValue(QString::fromStdString(logFile));
    query.addBindValue(Q(context.operatorName));
    query.addBindValue(Q(context.customer));
    query.addBindValue(Q(context.assetId));
    query.addBindValue(Number(context.temperatureC));
    query.addBindValue(Number(context.humidityPercent));
    query.addBindValue(QString::fromStdString(std::string(RunLabelName(context.label))));
    query.addBindValue(Q(savedAt));
    ok = query.exec();
  }
  if (!ok) {
    const std::string why = query.lastError().text().toStdString();
    db.rollback();
    return Fail(why);
  }
  if (!db.commit()) {
    const std::string why = db.lastError().text().toStdString();
    db.rollback();
    return Fail(why);
  }
  return true;
}

std::optional<LogContext> ResultsStore::LogContextOf(const std::string& logFile) {
  if (!open_) return std::nullopt;
  QSqlQuery query(QSqlDatabase::database(QString::fromStdString(connection_), false));
  query.prepare("SELECT operator, customer, asset_id, temperature, humidity, label FROM log_context WHERE log_file = ?");
  query.addBindValue(QString::fromStdString(logFile));
  if (!query.exec()) {
    Fail(query.lastError().text().toStdString());
    return std::nullopt;
  }
  if (!query.next()) return std::nullopt;
  LogContext context;
  context.operatorName = Text8(query.value(0));
  context.customer = Text8(query.value(1));
  context.assetId = Text8(query.value(2));
  context.temperatureC = Number(query.value(3));
  context.humidityPercent = Number(query.value(4));
  context.label = RunLabelFromName(Text8(query.value(5)));
  return context;
}

}  // namespace veridane
