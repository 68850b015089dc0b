#include "record/run_record.h"

#include <QCryptographicHash>
#include <QByteArray>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace veridane {

namespace {

std::string Number(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return "-";
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, *value).ptr;
  return std::string(buffer, end);
}

void Line(std::string& text, const char* key, const std::string& value) {
  text += key;
  text += '=';
  // A line break inside a value would make two texts digest alike.
  for (char c : value) {
    if (c == '\\') text += "\\\\";
    else if (c == '\n') text += "\\n";
    else if (c == '\r') text += "\\r";
    else text += c;
  }
  text += '\n';
}

// What the store holds of a row's uncertainty: U, TUR, the rule, the decision and the budget.
// A row stored before they were kept has none of them.
bool HoldsUncertainty(const StoredRow& row) {
  return row.uncertainty.budget.expanded || row.uncertainty.tur || !row.decision.empty() || !row.budgetText.empty();
}

}  // namespace

std::optional<RunRecord> LoadRunRecord(ResultsStore& store, int64_t runId, std::string& error) {
  std::optional<StoredRun> run = store.RunById(runId);
  if (!run) {
    error = store.LastError().empty() ? "there is no run " + std::to_string(runId) + " in the results database"
                                      : store.LastError();
    return std::nullopt;
  }
  RunRecord record;
  record.run = std::move(*run);
  ResultFilter filter;
  filter.runId = runId;
  const std::string before = store.LastError();
  record.rows = store.Rows(filter);
  record.outcomes = store.TestOutcomes(runId);
  if (store.LastError() != before && !store.LastError().empty()) {
    error = store.LastError();
    return std::nullopt;
  }
  for (StoredRow& row : record.rows) row.run = record.run;
  record.sha256 = Sha256Hex(RunDigestText(record));
  return record;
}

std::optional<RunRecord> AsFoundBefore(ResultsStore& store, const RunRecord& record) {
  const RunFacts& facts = record.run.facts;
  if (facts.serial.empty()) return std::nullopt;
  const std::vector<StoredRun> runs = store.Runs(facts.serial);
  for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
    if (it->id == record.run.id || it->facts.scopeModel != facts.scopeModel) continue;
    if (it->facts.startedAt > facts.startedAt || (it->facts.startedAt == facts.startedAt && it->id > record.run.id)) continue;
    std::string error;
    std::optional<RunRecord> earlier = LoadRunRecord(store, it->id, error);
    if (earlier && earlier->run.facts.context && earlier->run.facts.context->label == RunLabel::AsFound) return earlier;
  }
  return std::nullopt;
}

std::string RunDigestText(const RunRecord& record) {
  const RunFacts& facts = record.run.facts;
  // Layout 2 adds each row's uncertainty; a run with none stored keeps layout 1, and with it
  // the digest printed on its certificates.
  const bool uncertainty = std::any_of(record.rows.begin(), record.rows.end(), HoldsUncertainty);
  std::string text = uncertainty ? "veridane-run 2\n" : "veridane-run 1\n";
  Line(text, "id", std::to_string(record.run.id));
  Line(text, "started_at", facts.startedAt);
  Line(text, "scope_model", facts.scopeModel);
  Line(text, "firmware", facts.firmware);
  Line(text, "serial", facts.serial);
  Line(text, "operator", facts.operatorName);
  Line(text, "comments", facts.comments);
  Line(text, "bench", facts.bench);
  Line(text, "simulated", facts.simulated ? "1" : "0");
  Line(text, "program_version", facts.programVersion);
  Line(text, "source", facts.source);
  if (const std::optional<RunContext>& context = facts.context) {
    Line(text, "asset_id", context->assetId);
    Line(text, "customer", context->customer);
    Line(text, "temperature", Number(context->temperatureC));
    Line(text, "humidity", Number(context->humidityPercent));
    Line(text, "label", std::string(RunLabelName(context->label)));
    Line(text, "overdue", context->overdue ? "1" : "0");
    Line(text, "standards_register", context->standardsRegister);
    for (const StandardUsed& s : context->standards) {
      Line(text, "standard", s.role + "|" + s.model + "|" + s.serial + "|" + s.asset + "|" + s.certificate + "|" +
                                 s.calibrated + "|" + s.due + "|" + s.state);
    }
  }
  // A finding is added to its outcome's line only where there is one: the digests of runs
  // stored before findings were kept stay as printed on their certificates.
  for (const RunTestOutcome& outcome : record.outcomes)
    Line(text, "outcome", std::to_string(outcome.number) + "|" + outcome.name + "|" + std::string(OutcomeWord(outcome.outcome)) +
                              (outcome.finding.empty() ? "" : "|" + outcome.finding));
  for (const StoredRow& stored : record.rows) {
    const StepResult& row = stored.result;
    std::string line = stored.recordedAt + "|" + std::to_string(stored.result.test) + "|" + stored.result.testName + "|" +
                       row.step + "|" + row.unit + "|" + Number(row.nominal) + "|" + Number(row.lower) + "|" +
                       Number(row.upper) + "|" + Number(row.marginalLower) + "|" + Number(row.marginalUpper) + "|" +
                       Number(row.measured) + "|" + std::string(VerdictName(row.verdict)) + "|" + stored.result.text;
    if (uncertainty) {
      const StepUncertainty& lab = stored.uncertainty;
      const bool decided = !stored.decision.empty();
      // The row's text may hold a "|": the budget's own fields follow on a line of their own.
      Line(text, "row", line);
      Line(text, "uncertainty", Number(lab.budget.expanded) + "|" + Number(lab.tur) + "|" +
                                    (decided ? std::string(DecisionRuleName(lab.rule)) : std::string()) + "|" +
                                    stored.decision);
      Line(text, "budget", stored.budgetText);
      continue;
    }
    Line(text, "row", line);
  }
  return text;
}

std::string Sha256Hex(const std::string& bytes) {
  return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
}

TestOutcome TestVerdict(const std::vector<const StoredRow*>& rows) {
  if (rows.empty()) return TestOutcome::NotRun;
  for (const StoredRow* row : rows)
    if (Failed(row->result.verdict)) return TestOutcome::Failed;
  return TestOutcome::Passed;
}

bool TestRows::Marginal() const {
  return outcome == TestOutcome::Passed &&
         std::any_of(rows.begin(), rows.end(), [](const StoredRow* row) { return row->result.verdict == Verdict::Marginal; });
}

std::string TestWord(TestOutcome outcome, bool marginal) {
  return std::string(marginal ? VerdictName(Verdict::Marginal) : OutcomeWord(outcome));
}

std::string TestRows::Word() const { return TestWord(outcome, Marginal()); }

std::vector<TestRows> RowsByTest(const RunRecord& record) {
  std::vector<TestRows> tests;
  for (const StoredRow& row : record.rows) {
    auto it = std::find_if(tests.begin(), tests.end(), [&](const TestRows& t) { return t.number == row.result.test; });
    if (it == tests.end()) {
      tests.push_back(TestRows{row.result.test, row.result.testName, {}, {}, {}});
      it = std::prev(tests.end());
    }
    it->rows.push_back(&row);
  }
  // Tests that ended without a row (stopped at once, not available) still belong to the run.
  for (const RunTestOutcome& outcome : record.outcomes) {
    if (std::none_of(tests.begin(), tests.end(), [&](const TestRows& t) { return t.number == outcome.number; }))
      tests.push_back(TestRows{outcome.number, outcome.name, {}, {}, {}});
  }
  for (TestRows& test : tests) {
    test.outcome = TestVerdict(test.rows);
    for (const RunTestOutcome& outcome : record.outcomes) {
      if (outcome.number != test.number) continue;
      if (outcome.outcome != TestOutcome::Passed) test.outcome = outcome.outcome;
      test.finding = outcome.finding;
    }
  }
  return tests;
}

}  // namespace veridane
