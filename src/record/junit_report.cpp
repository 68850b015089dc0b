#include "record/junit_report.h"

#include <charconv>

#include <QString>
#include <QXmlStreamWriter>

#include "platform/text8.h"

namespace veridane {

namespace {

QString Q(const std::string& text8) { return QString::fromStdString(Utf8FromText8(text8)); }

bool Failed(const StoredRow& row) {
  return Failed(row.result.verdict);
}

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
  for (const RunRecord& record : records)
    for (const TestRows& test : RowsByTest(record)) {
      allTests += test.rows.empty() ? 1 : static_cast<int>(test.rows.size());
      for (const StoredRow* row : test.rows) allFailures += Failed(*row) ? 1 : 0;
    }
  out.writeAttribute("tests", QString::number(allTests));
  out.writeAttribute("failures", QString::number(allFailures));
  out.writeAttribute("errors", "0");
  for (const RunRecord& record : records) {
    const RunFacts& facts = record.run.facts;
    const std::string unit = facts.scopeModel + (facts.serial.empty() ? "" : " " + facts.serial);
    for (const TestRows& test : RowsByTest(record)) {
      int failures = 0;
      for (const StoredRow* row : test.rows) failures += Failed(*row) ? 1 : 0;
      const bool notRun = test.rows.empty();
      out.writeStartElement("testsuite");
      out.writeAttribute("name", Q(test.name));
      out.writeAttribute("tests", QString::number(notRun ? 1 : static_cast<int>(test.rows.size())));
      out.writeAttribute("failures", QString::number(failures));
      out.writeAttribute("errors", "0");
      out.writeAttribute("skipped", notRun ? "1" : "0");
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
        out.writeStartElement("skipped");
        out.writeAttribute("message", Q(test.outcome));
        out.writeEndElement();
        out.writeEndElement();
      }
      for (const StoredRow* row : test.rows) {
        out.writeStartElement("testcase");
        out.writeAttribute("name", Q(row->result.step));
        out.writeAttribute("classname", className);
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
      out.writeEndElement();
    }
  }
  out.writeEndElement();
  out.writeEndDocument();
  return xml.toStdString();
}

}  // namespace veridane
