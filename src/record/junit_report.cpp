#include "record/junit_report.h"

#include <algorithm>
#include <charconv>

#include <QDateTime>
#include <QString>
#include <QXmlStreamWriter>

#include <map>

#include "platform/text8.h"

namespace veridane {

namespace {

QString Q(const std::string& text8) { return QString::fromStdString(Utf8FromText8(text8)); }

bool Failed(const StoredRow& row) {
  return Failed(row.result.verdict);
}

// A test that failed beyond its rows: on a finding (a signal it could not set), or with no
// failing step at all. It gets a testcase of its own, so the failure counts in any reader.
bool FailedBeyondRows(const TestRows& test) {
  if (test.outcome != TestOutcome::Failed) return false;
  return !test.finding.empty() ||
         std::none_of(test.rows.begin(), test.rows.end(), [](const StoredRow* row) { return Failed(*row); });
}

// A test's testcases and failures: one per step, one more for a failure beyond its rows, and a
// single skipped testcase for a test that did not run.
struct SuiteCounts {
  int cases = 0;
  int failures = 0;
  bool beyondRows = false;
  bool notRun = false;
};

SuiteCounts CountsOf(const TestRows& test) {
  SuiteCounts counts;
  counts.beyondRows = FailedBeyondRows(test);
  counts.notRun = test.rows.empty() && !counts.beyondRows;
  counts.cases = counts.notRun ? 1 : static_cast<int>(test.rows.size()) + (counts.beyondRows ? 1 : 0);
  for (const StoredRow* row : test.rows) counts.failures += Failed(*row) ? 1 : 0;
  counts.failures += counts.beyondRows ? 1 : 0;
  return counts;
}

// Seconds from one stored time to another; 0 when either cannot be read or the clock went back.
double SecondsBetween(const std::string& from, const std::string& to) {
  const QDateTime start = QDateTime::fromString(QString::fromStdString(from), Qt::ISODate);
  const QDateTime end = QDateTime::fromString(QString::fromStdString(to), Qt::ISODate);
  if (!start.isValid() || !end.isValid()) return 0;
  return std::max<qint64>(0, start.msecsTo(end)) / 1000.0;
}

// Each row's time: from the row recorded before it (the run's start for the first) to its own
// recording; a row whose time cannot be read counts nothing and the next one counts from the
// last time that could. A test's time is the sum of its rows', so the run's time is the sum of its tests'.
std::map<const StoredRow*, double> RowSeconds(const RunRecord& record) {
  std::map<const StoredRow*, double> seconds;
  std::string previous = record.run.facts.startedAt;
  for (const StoredRow& row : record.rows) {
    seconds[&row] = SecondsBetween(previous, row.recordedAt);
    if (QDateTime::fromString(QString::fromStdString(row.recordedAt), Qt::ISODate).isValid()) previous = row.recordedAt;
  }
  return seconds;
}

double SuiteSeconds(const TestRows& test, const std::map<const StoredRow*, double>& rowSeconds) {
  double sum = 0;
  for (const StoredRow* row : test.rows) {
    const auto found = rowSeconds.find(row);
    if (found != rowSeconds.end()) sum += found->second;
  }
  return sum;
}

QString TimeText(double seconds) { return QString::number(seconds, 'f', 3); }

std::string ShortNumber(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string RunsJUnit(const std::vector<RunRecord>& records) {
  QString xml;
  QXmlStreamWriter out(&xml);
  out.setAutoFormatting(true);
  out.writeStartDocument();
  out.writeStartElement("testsuites");
  out.writeAttribute("name", "Veridane");
  int allTests = 0;
  int allFailures = 0;
  double allSeconds = 0;
  for (const RunRecord& record : records) {
    const std::map<const StoredRow*, double> rowSeconds = RowSeconds(record);
    for (const TestRows& test : RowsByTest(record)) {
      const SuiteCounts counts = CountsOf(test);
      allTests += counts.cases;
      allFailures += counts.failures;
      allSeconds += SuiteSeconds(test, rowSeconds);
    }
  }
  out.writeAttribute("tests", QString::number(allTests));
  out.writeAttribute("failures", QString::number(allFailures));
  out.writeAttribute("errors", "0");
  out.writeAttribute("time", TimeText(allSeconds));
  for (const RunRecord& record : records) {
    const RunFacts& facts = record.run.facts;
    const std::string unit = facts.scopeModel + (facts.serial.empty() ? "" : " " + facts.serial);
    const std::map<const StoredRow*, double> rowSeconds = RowSeconds(record);
    for (const TestRows& test : RowsByTest(record)) {
      const SuiteCounts counts = CountsOf(test);
      const bool notRun = counts.notRun;
      out.writeStartElement("testsuite");
      out.writeAttribute("name", Q(test.name));
      out.writeAttribute("tests", QString::number(counts.cases));
      out.writeAttribute("failures", QString::number(counts.failures));
      out.writeAttribute("errors", "0");
      out.writeAttribute("skipped", notRun ? "1" : "0");
      out.writeAttribute("time", TimeText(SuiteSeconds(test, rowSeconds)));
      out.writeAttribute("timestamp", Q(facts.startedAt));
      out.writeAttribute("hostname", Q(facts.bench));
      out.writeStartElement("properties");
      const std::pair<const char*, std::string> properties[] = {
          {"run_id", std::to_string(record.run.id)}, {"sha256", record.sha256}, {"unit", unit},
          {"label", facts.context ? std::string(RunLabelName(facts.context->label)) : std::string()},
          {"simulated", facts.simulated ? "true" : "false"},
          {"overdue_standards", facts.context && facts.context->overdue ? "true" : "false"}};
      for (const auto& [name, value] : properties) {
        out.writeStartElement("property");
        out.writeAttribute("name", name);
        out.writeAttribute("value", Q(value));
        out.writeEndElement();
      }
      out.writeEndElement();
      const QString className = Q("Veridane." + unit + "." + test.name);
      if (notRun) {
        out.writeStartElement("testcase");
        out.writeAttribute("name", "(test)");
        out.writeAttribute("classname", className);
        out.writeAttribute("time", TimeText(0));
        out.writeStartElement("skipped");
        out.writeAttribute("message", Q(test.Word()));
        out.writeEndElement();
        out.writeEndElement();
      }
      for (const StoredRow* row : test.rows) {
        out.writeStartElement("testcase");
        out.writeAttribute("name", Q(row->result.step));
        out.writeAttribute("classname", className);
        out.writeAttribute("time", TimeText(rowSeconds.at(row)));
        if (!row->decision.empty()) {
          // The lab's statement on the step: U (k = 2) and TUR, or "not stated", and the decision.
          const StepUncertainty& lab = row->uncertainty;
          const std::pair<const char*, std::string> stepProperties[] = {
              {"uncertainty", lab.budget.expanded ? ShortNumber(*lab.budget.expanded) : "not stated"},
              {"tur", lab.tur ? ShortNumber(*lab.tur) : ""},
              {"decision_rule", std::string(DecisionRuleName(lab.rule))},
              {"decision", row->decision}};
          out.writeStartElement("properties");
          for (const auto& [name, value] : stepProperties) {
            out.writeStartElement("property");
            out.writeAttribute("name", name);
            out.writeAttribute("value", Q(value));
            out.writeEndElement();
          }
          out.writeEndElement();
        }
        if (Failed(*row)) {
          out.writeStartElement("failure");
          out.writeAttribute("message", QString::fromStdString(std::string(VerdictName(row->result.verdict))));
          out.writeAttribute("type", "verdict");
          out.writeCharacters(Q(row->result.text));
          out.writeEndElement();
        } else {
          out.writeTextElement("system-out", Q(row->result.text));
        }
        out.writeEndElement();
      }
      if (counts.beyondRows) {
        out.writeStartElement("testcase");
        out.writeAttribute("name", "(test)");
        out.writeAttribute("classname", className);
        out.writeAttribute("time", TimeText(0));
        out.writeStartElement("failure");
        out.writeAttribute("message", Q(test.finding.empty() ? "The test failed with no failing step." : test.finding));
        out.writeAttribute("type", "test");
        out.writeEndElement();
        out.writeEndElement();
      }
      out.writeEndElement();
    }
  }
  out.writeEndElement();
  out.writeEndDocument();
  return xml.toStdString();
}

}  // namespace veridane
