#include "record/run_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>

#include "platform/text8.h"

namespace veridane {

namespace {

QJsonValue Text(const std::string& text8) { return QString::fromStdString(Utf8FromText8(text8)); }
QJsonValue Number(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return QJsonValue(QJsonValue::Null);
  return *value;
}

QJsonObject StandardObject(const StandardUsed& s) {
  QJsonObject o;
  o["role"] = Text(s.role);
  o["model"] = Text(s.model);
  o["serial"] = Text(s.serial);
  o["asset"] = Text(s.asset);
  o["certificate"] = Text(s.certificate);
  o["calibrated"] = s.calibrated.empty() ? QJsonValue(QJsonValue::Null) : Text(s.calibrated);
  o["due"] = s.due.empty() ? QJsonValue(QJsonValue::Null) : Text(s.due);
  o["state"] = Text(s.state);
  return o;
}

QJsonValue ContextObject(const std::optional<RunContext>& context) {
  if (!context) return QJsonValue(QJsonValue::Null);
  QJsonObject o;
  o["asset_id"] = Text(context->assetId);
  o["customer"] = Text(context->customer);
  o["label"] = QString::fromStdString(std::string(RunLabelName(context->label)));
  QJsonObject environment;
  environment["temperature_c"] = Number(context->temperatureC);
  environment["humidity_percent"] = Number(context->humidityPercent);
  o["environment"] = environment;
  o["overdue_standards"] = context->overdue;
  o["standards_register"] = Text(context->standardsRegister);
  QJsonArray standards;
  for (const StandardUsed& s : context->standards) standards.append(StandardObject(s));
  o["standards"] = standards;
  return o;
}

QJsonObject StepObject(const StoredRow& stored) {
  const StepResult& row = stored.result;
  QJsonObject o;
  o["step"] = Text(row.step);
  o["unit"] = Text(row.unit);
  o["nominal"] = Number(row.nominal);
  o["lower_limit"] = Number(row.lower);
  o["upper_limit"] = Number(row.upper);
  o["marginal_lower"] = Number(row.marginalLower);
  o["marginal_upper"] = Number(row.marginalUpper);
  o["measured"] = Number(row.measured);
  o["verdict"] = QString::fromStdString(std::string(VerdictName(row.verdict)));
  o["text"] = Text(stored.result.text);
  o["recorded_at"] = Text(stored.recordedAt);
  // The lab's statement beside the verdict: U at k = 2 (null: not stated), TUR, and the decision
  // under the rule the run was made with (null for a row stored before decisions were kept).
  const StepUncertainty& lab = stored.uncertainty;
  QJsonObject uncertainty;
  uncertainty["expanded"] = Number(lab.budget.expanded);
  uncertainty["coverage_factor"] = kExpandedCoverageFactor;
  uncertainty["tur"] = Number(lab.tur);
  const bool decided = !stored.decision.empty();
  uncertainty["decision_rule"] = decided ? QJsonValue(QString::fromStdString(std::string(DecisionRuleName(lab.rule))))
                                         : QJsonValue(QJsonValue::Null);
  uncertainty["decision"] = decided ? QJsonValue(QString::fromStdString(stored.decision)) : QJsonValue(QJsonValue::Null);
  o["uncertainty"] = uncertainty;
  return o;
}

QJsonObject RunObject(const RunRecord& record) {
  const RunFacts& facts = record.run.facts;
  QJsonObject o;
  o["id"] = static_cast<qint64>(record.run.id);
  o["sha256"] = QString::fromStdString(record.sha256);
  o["started_at"] = Text(facts.startedAt);
  QJsonObject unit;
  unit["model"] = Text(facts.scopeModel);
  unit["firmware"] = Text(facts.firmware);
  unit["serial"] = Text(facts.serial);
  o["unit"] = unit;
  o["operator"] = Text(facts.operatorName);
  o["comments"] = Text(facts.comments);
  o["bench"] = Text(facts.bench);
  o["simulated"] = facts.simulated;
  o["program_version"] = Text(facts.programVersion);
  o["source"] = Text(facts.source);
  o["context"] = ContextObject(facts.context);
  QJsonArray tests;
  for (const TestRows& test : RowsByTest(record)) {
    QJsonObject t;
    t["number"] = test.number;
    t["name"] = Text(test.name);
    t["verdict"] = Text(test.Word());
    if (!test.finding.empty()) t["finding"] = Text(test.finding);
    QJsonArray steps;
    for (const StoredRow* row : test.rows) steps.append(StepObject(*row));
    t["steps"] = steps;
    tests.append(t);
  }
  o["tests"] = tests;
  return o;
}

}  // namespace

std::string RunsJson(const std::vector<RunRecord>& records, const std::string& generatedAt) {
  QJsonObject document;
  document["format"] = "veridane-results";
  document["version"] = kResultsFormatVersion;
  document["generated_at"] = Text(generatedAt);
  QJsonArray runs;
  for (const RunRecord& record : records) runs.append(RunObject(record));
  document["runs"] = runs;
  return QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace veridane
