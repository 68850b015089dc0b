#include "record/certificate.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "platform/text8.h"
#include "pv/frame/run_state.h"
#include "record/whole_file.h"

namespace veridane {

namespace {

QString U(const std::string& text8) { return QString::fromStdString(Utf8FromText8(text8)); }

// Page geometry in millimetres (A4 portrait).
constexpr double kLeft = 18;
constexpr double kWidth = 174;
constexpr double kTop = 16;
constexpr double kBottom = 272;  // content ends here; the footer lies below
constexpr double kPageHeight = 297;

QFont Font(double points, bool bold = false) {
  QFont font("DejaVu Sans");
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  // No ligatures: a lab searches the PDF for "difference", not for its "ff" glyph.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

std::string Value(const std::optional<double>& value, const std::string& unit) {
  return value ? CertificateValue(*value, unit) : "no reading";
}

std::string Limits(const StepResult& row) {
  if (row.lower && row.upper) return Value(row.lower, row.unit) + " to " + Value(row.upper, row.unit);
  if (row.lower) return "at least " + Value(row.lower, row.unit);
  if (row.upper) return "at most " + Value(row.upper, row.unit);
  return "-";
}

struct Column {
  QString title;
  double width;  // mm
  Qt::Alignment align = Qt::AlignLeft;
};

struct TableRow {
  QStringList cells;
  bool alert = false;  // a failed step: its verdict is drawn in red
};

class Sheet {
 public:
  Sheet(QPdfWriter& writer, const CertificateContent& content, int totalPages)
      : writer_(writer), content_(content), total_(totalPages), dpm_(writer.resolution() / 25.4) {}

  bool Begin() {
    if (!painter_.begin(&writer_)) return false;
    StartPage();
    return true;
  }
  int End() {
    EndPage();
    painter_.end();
    return page_;
  }

  double Mm(double value) const { return value * dpm_; }

  double HeightOf(const QString& text, const QFont& font, double widthMm, int flags = Qt::TextWordWrap) {
    QFontMetricsF metrics(font, &writer_);
    const QRectF box = metrics.boundingRect(QRectF(0, 0, Mm(widthMm), 1e6), flags, text);
    return box.height() / dpm_;
  }

  // Draws at the cursor and moves it down.
  void Text(const QString& text, const QFont& font, double indent = 0, double widthMm = kWidth,
            QColor colour = Qt::black) {
    const double height = HeightOf(text, font, widthMm - indent);
    Need(height);
    painter_.setFont(font);
    painter_.setPen(colour);
    painter_.drawText(QRectF(Mm(kLeft + indent), Mm(y_), Mm(widthMm - indent), Mm(height) + 2),
                      Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    y_ += height;
  }

  void Gap(double mm) { y_ += mm; }

  // keepWith: the room (mm) of what must follow the heading on its page, e.g. a table's header
  // and first row.
  void Heading(const QString& text, double keepWith = 0) {
    Need(14 + keepWith);  // a heading never ends a page alone
    Gap(3);
    Text(text, Font(10.5, true));
    painter_.setPen(QPen(QColor(0x40, 0x40, 0x40), Mm(0.2)));
    painter_.drawLine(QPointF(Mm(kLeft), Mm(y_ + 0.6)), QPointF(Mm(kLeft + kWidth), Mm(y_ + 0.6)));
    Gap(2);
  }

  // "Label: value" pairs in two columns.
  void Facts(const std::vector<std::pair<QString, QString>>& facts) {
    const QFont label = Font(8.5, true);
    const QFont value = Font(8.5);
    for (size_t i = 0; i < facts.size(); i += 2) {
      double height = 0;
      for (size_t j = i; j < i + 2 && j < facts.size(); ++j)
        height = std::max(height, HeightOf(facts[j].second, value, 55));
      Need(height + 1);
      for (size_t j = i; j < i + 2 && j < facts.size(); ++j) {
        const double x = kLeft + (j - i) * 88;
        painter_.setPen(Qt::black);
        painter_.setFont(label);
        painter_.drawText(QRectF(Mm(x), Mm(y_), Mm(32), Mm(height) + 2), Qt::AlignLeft | Qt::AlignTop, facts[j].first);
        painter_.setFont(value);
        painter_.drawText(QRectF(Mm(x + 32), Mm(y_), Mm(55), Mm(height) + 2), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                          facts[j].second);
      }
      y_ += height + 1;
    }
  }

  void Table(const std::vector<Column>& columns, const std::vector<TableRow>& rows, int alertColumn = -1) {
    const QFont headFont = Font(7.5, true);
    const QFont cellFont = Font(7.5);
    auto rowHeight = [&](const QStringList& cells, const QFont& font) {
      double height = 0;
      for (int i = 0; i < cells.size() && i < static_cast<int>(columns.size()); ++i)
        height = std::max(height, HeightOf(cells[i], font, columns[static_cast<size_t>(i)].width - 1.6));
      return height + 1.4;
    };
    QStringList titles;
    for (const Column& column : columns) titles << column.title;
    auto header = [&] {
      const double height = rowHeight(titles, headFont);
      painter_.fillRect(QRectF(Mm(kLeft), Mm(y_), Mm(kWidth), Mm(height)), QColor(0xE4, 0xE4, 0xE4));
      DrawCells(columns, titles, headFont, height, -1, false);
    };
    Need(rowHeight(titles, headFont) + (rows.empty() ? 0 : rowHeight(rows.front().cells, cellFont)));
    header();
    for (const TableRow& row : rows) {
      const double height = rowHeight(row.cells, cellFont);
      if (y_ + height > kBottom) {
        NewPage();
        header();
      }
      DrawCells(columns, row.cells, cellFont, height, alertColumn, row.alert);
    }
    Gap(1.5);
  }

  void Need(double height) {
    if (y_ + height > kBottom) NewPage();
  }

  QPainter& Painter() { return painter_; }
  double& Y() { return y_; }

 private:
  void DrawCells(const std::vector<Column>& columns, const QStringList& cells, const QFont& font, double height,
                 int alertColumn, bool alert) {
    double x = kLeft;
    painter_.setFont(font);
    for (size_t i = 0; i < columns.size(); ++i) {
      painter_.setPen(alert && static_cast<int>(i) == alertColumn ? QColor(0xC0, 0, 0) : QColor(Qt::black));
      const QString cell = static_cast<int>(i) < cells.size() ? cells[static_cast<int>(i)] : QString();
      painter_.drawText(QRectF(Mm(x + 0.8), Mm(y_ + 0.7), Mm(columns[i].width - 1.6), Mm(height)),
                        Qt::TextWordWrap | Qt::AlignTop | columns[i].align, cell);
      x += columns[i].width;
    }
    painter_.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), Mm(0.15)));
    painter_.drawLine(QPointF(Mm(kLeft), Mm(y_ + height)), QPointF(Mm(kLeft + kWidth), Mm(y_ + height)));
    y_ += height;
  }

  void StartPage() {
    ++page_;
    y_ = kTop;
    if (content_.record.run.facts.simulated) {
      painter_.fillRect(QRectF(Mm(kLeft), Mm(y_), Mm(kWidth), Mm(7)), QColor(0xFF, 0xE0, 0xE0));
      painter_.setPen(QColor(0xB0, 0, 0));
      painter_.setFont(Font(11, true));
      painter_.drawText(QRectF(Mm(kLeft), Mm(y_), Mm(kWidth), Mm(7)), Qt::AlignCenter, kSimulatedCertificateMark);
      y_ += 9;
    }
    if (page_ > 1) {
      painter_.setPen(QColor(0x40, 0x40, 0x40));
      painter_.setFont(Font(8));
      painter_.drawText(QRectF(Mm(kLeft), Mm(y_), Mm(kWidth), Mm(5)), Qt::AlignLeft | Qt::AlignTop,
                        U(content_.lab.name.empty() ? std::string("Calibration certificate") : content_.lab.name));
      painter_.drawText(QRectF(Mm(kLeft), Mm(y_), Mm(kWidth), Mm(5)), Qt::AlignRight | Qt::AlignTop,
                        "Certificate " + U(content_.number));
      y_ += 7;
    }
  }

  void EndPage() {
    const double top = kBottom + 4;
    painter_.setPen(QPen(QColor(0x40, 0x40, 0x40), Mm(0.2)));
    painter_.drawLine(QPointF(Mm(kLeft), Mm(top)), QPointF(Mm(kLeft + kWidth), Mm(top)));
    painter_.setFont(Font(7));
    painter_.drawText(QRectF(Mm(kLeft), Mm(top + 1), Mm(kWidth), Mm(4)), Qt::AlignLeft | Qt::AlignTop,
                      QString("Certificate %1  -  run %2  -  SHA-256 %3")
                          .arg(U(content_.number))
                          .arg(content_.record.run.id)
                          .arg(QString::fromStdString(content_.record.sha256)));
    painter_.drawText(QRectF(Mm(kLeft), Mm(top + 5), Mm(kWidth), Mm(4)), Qt::AlignRight | Qt::AlignTop,
                      QString("page %1 of %2").arg(page_).arg(total_ > 0 ? total_ : page_));
    if (content_.record.run.facts.simulated) {
      painter_.setPen(QColor(0xB0, 0, 0));
      painter_.setFont(Font(8, true));
      painter_.drawText(QRectF(Mm(kLeft), Mm(top + 5), Mm(kWidth), Mm(4)), Qt::AlignLeft | Qt::AlignTop,
                        kSimulatedCertificateMark);
    }
  }

  void NewPage() {
    EndPage();
    writer_.newPage();
    StartPage();
  }

  QPdfWriter& writer_;
  const CertificateContent& content_;
  int total_;
  double dpm_;
  QPainter painter_;
  int page_ = 0;
  double y_ = kTop;
};

void DrawLabHeader(Sheet& sheet, const CertificateContent& content) {
  QPainter& painter = sheet.Painter();
  const double top = sheet.Y();
  double textLeft = 0;
  if (!content.lab.logoFile.empty()) {
    QImageReader reader(U(content.lab.logoFile));
    const QImage logo = reader.read();
    if (!logo.isNull()) {
      const double height = 18;
      const double width = std::min(40.0, height * logo.width() / std::max(1, logo.height()));
      painter.drawImage(QRectF(sheet.Mm(kLeft), sheet.Mm(top), sheet.Mm(width), sheet.Mm(height)), logo);
      textLeft = width + 4;
    }
  }
  sheet.Text(content.lab.name.empty() ? QString("(laboratory name not set)") : U(content.lab.name), Font(14, true), textLeft);
  QString address = U(content.lab.address);
  address.replace('|', '\n');
  if (!address.isEmpty()) sheet.Text(address, Font(8.5), textLeft);
  if (!content.lab.accreditation.empty()) sheet.Text("Accreditation: " + U(content.lab.accreditation), Font(8.5), textLeft);
  sheet.Y() = std::max(sheet.Y(), top + 20);
  sheet.Gap(3);
  painter.setPen(Qt::black);
  painter.setFont(Font(16, true));
  painter.drawText(QRectF(sheet.Mm(kLeft), sheet.Mm(sheet.Y()), sheet.Mm(kWidth), sheet.Mm(9)), Qt::AlignLeft | Qt::AlignTop,
                   "Calibration Certificate");
  painter.setFont(Font(11, true));
  painter.drawText(QRectF(sheet.Mm(kLeft), sheet.Mm(sheet.Y() + 1.5), sheet.Mm(kWidth), sheet.Mm(8)),
                   Qt::AlignRight | Qt::AlignTop, "No. " + U(content.number));
  sheet.Gap(10);
}

QString DateOf(const std::string& iso) { return U(iso.substr(0, 10)); }

QString Number(const std::optional<double>& value, const char* unit) {
  if (!value) return "not recorded";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", *value);
  return QString(text) + unit;
}

// A step's measured cell, U and decision: a step judged on an answer shows the answer and
// neither U nor a decision.
// With a stated U the reading is given to U's last digit, U to two significant digits.
QString MeasuredCell(const StoredRow& stored, const std::string& unit) {
  if (JudgedOnAnswer(stored.result)) return U(stored.result.text);
  const std::optional<double>& expanded = stored.uncertainty.budget.expanded;
  if (stored.result.measured && expanded) return U(CertificateValueBeside(*stored.result.measured, *expanded, unit));
  return U(Value(stored.result.measured, unit));
}
QString UncertaintyCell(const StoredRow& stored, const std::string& unit) {
  if (JudgedOnAnswer(stored.result)) return "-";
  const std::optional<double>& expanded = stored.uncertainty.budget.expanded;
  return U(expanded ? CertificateUncertainty(*expanded, unit) : ExpandedText(stored.uncertainty, unit));
}
QString DecisionCell(const StoredRow& stored) {
  return QString::fromStdString(stored.decision.empty() ? "-" : stored.decision);
}
QString VerdictCell(const StoredRow& stored) { return QString::fromStdString(std::string(VerdictName(stored.result.verdict))); }

// The rows of one test as the certificate lists them; an as-found run's rows beside, each
// side with its reading, its U and its verdict over its decision.
std::vector<TableRow> ResultRows(const TestRows& test, const std::map<std::pair<int, std::string>, const StoredRow*>* found) {
  std::vector<TableRow> rows;
  for (const StoredRow* stored : test.rows) {
    const StepResult& row = stored->result;
    TableRow out;
    out.alert = Failed(row.verdict);
    const bool answer = JudgedOnAnswer(row);
    out.cells << U(row.step) << (answer ? QString("-") : U(Value(row.nominal, row.unit))) << U(Limits(row));
    if (found != nullptr) {
      const auto it = found->find({stored->result.test, row.step});
      if (it != found->end()) {
        const StoredRow& before = *it->second;
        out.cells << MeasuredCell(before, row.unit) << UncertaintyCell(before, row.unit)
                  << VerdictCell(before) + "\n" + DecisionCell(before);
      } else {
        out.cells << "-" << "-" << "-";
      }
      out.cells << MeasuredCell(*stored, row.unit) << UncertaintyCell(*stored, row.unit)
                << VerdictCell(*stored) + "\n" + DecisionCell(*stored);
    } else {
      out.cells << MeasuredCell(*stored, row.unit) << VerdictCell(*stored) << UncertaintyCell(*stored, row.unit)
                << DecisionCell(*stored);
    }
    rows.push_back(std::move(out));
  }
  return rows;
}

int Render(QPdfWriter& writer, const CertificateContent& content, int totalPages) {
  const RunRecord& record = content.record;
  const RunFacts& facts = record.run.facts;
  const RunContext context = facts.context.value_or(RunContext{});
  Sheet sheet(writer, content, totalPages);
  if (!sheet.Begin()) return 0;
  DrawLabHeader(sheet, content);

  sheet.Heading("Unit calibrated");
  sheet.Facts({{"Instrument", "Tektronix " + U(facts.scopeModel) + " oscilloscope"},
               {"Serial / ID", facts.serial.empty() ? QString("(none given)") : U(facts.serial)},
               {"Firmware", U(facts.firmware)},
               {"Asset id", context.assetId.empty() ? QString("-") : U(context.assetId)},
               {"Customer", context.customer.empty() ? QString("-") : U(context.customer)},
               {"Condition", QString::fromStdString(std::string(RunLabelName(context.label)))}});

  sheet.Heading("Dates and conditions");
  sheet.Facts({{"Calibrated on", DateOf(facts.startedAt)},
               {"Issued on", U(content.issuedOn)},
               {"Temperature", Number(context.temperatureC, " \u00B0C")},
               {"Humidity", Number(context.humidityPercent, " % RH")},
               {"Operator", facts.operatorName.empty() ? QString("-") : U(facts.operatorName)},
               {"Bench", U(facts.bench) + (facts.simulated ? " (simulated)" : "")}});

  sheet.Heading("Reference standards");
  std::vector<TableRow> standards;
  for (const StandardUsed& s : context.standards) {
    TableRow row;
    row.alert = s.state.rfind("OVERDUE", 0) == 0 || s.state == "not in the register";
    row.cells << U(s.role) << U(s.model) << U(s.serial) << U(s.asset) << U(s.certificate) << U(s.calibrated)
              << U(s.due) << U(s.state);
    standards.push_back(row);
  }
  if (standards.empty() && !facts.source.empty()) {
    sheet.Text("The reference standards of this run are not known: it was imported from the result log " +
                   U(facts.source) + ".",
               Font(8.5));
  } else if (standards.empty()) {
    sheet.Text("No reference standard was found on the bus: every setting was made by hand.", Font(8.5));
  } else {
    sheet.Table({{"Role", 20}, {"Model", 22}, {"Serial", 25}, {"Asset", 16}, {"Certificate", 24}, {"Calibrated", 18},
                 {"Due", 18}, {"State", 31}},
                standards, 7);
  }
  // Traceability is claimed only through standards the record names.
  sheet.Text((standards.empty() ? QString("No traceability to national measurement standards can be stated for this "
                                          "run: it names no calibrated reference standard.")
                                : QString("The standards are calibrated with metrological traceability to national "
                                          "measurement standards (SI) through the calibration certificates listed.")) +
                 QString(context.overdue ? " A standard was overdue, unmatched or not chosen when this run was made; "
                                           "the run was made anyway and is marked so."
                                         : ""),
             Font(8));
  if (!context.standardsRegister.empty()) sheet.Text("Register: " + U(context.standardsRegister), Font(7.5), 0, kWidth, Qt::darkGray);

  sheet.Heading("Procedure");
  sheet.Text("Performance verification of the Tektronix TDS 300 series, as performed by Veridane " + U(facts.programVersion) +
                 ": each test sets the input from the standards above and compares the scope's reading with the limits "
                 "the manufacturer publishes for this model.",
             Font(8.5));

  std::map<std::pair<int, std::string>, const StoredRow*> found;
  const bool sideBySide = content.asFound.has_value();
  if (sideBySide)
    for (const StoredRow& row : content.asFound->rows) found[{row.result.test, row.result.step}] = &row;

  int failures = 0;
  // Tests that failed beyond their rows: on a finding, or with no failing step.
  QStringList failedTests;
  for (const TestRows& test : RowsByTest(record)) {
    // The self calibration (stored as test 0) is no numbered test.
    sheet.Heading((test.number < 1 ? QString() : QString("Test %1: ").arg(test.number)) + U(test.name) +
                      "  -  " + U(test.Word()),
                  12);
    int testFailures = 0;
    for (const StoredRow* row : test.rows) testFailures += Failed(row->result.verdict);
    failures += testFailures;
    const bool failedBeyondRows = test.outcome == TestOutcome::Failed && (!test.finding.empty() || testFailures == 0);
    // A finding names its test; a test that failed with no failing step and no finding is named.
    if (failedBeyondRows) failedTests << (test.finding.empty() ? U(test.name) + " failed" : U(test.finding));
    if (test.rows.empty()) {
      sheet.Text(failedBeyondRows ? "No step was measured: " + U(test.finding.empty() ? "the test failed." : test.finding)
                                  : QString("No result: the test did not run."),
                 Font(8.5), 0, kWidth, failedBeyondRows ? QColor(0xB0, 0, 0) : QColor(Qt::black));
      continue;
    }
    // The bandwidth test's limits come from the scope's own reading of the signal at 50 kHz,
    // not from a nominal value: its column says so.
    const QString nominal = test.number == kTestBandwidth ? QString("Reference (50 kHz reading)") : QString("Nominal");
    if (sideBySide) {
      sheet.Table({{"Step", 27}, {nominal, 14}, {"Limits", 25}, {"As found", 19, Qt::AlignRight},
                   {"U (k = 2)", 17, Qt::AlignRight}, {"Verdict, decision", 18}, {"As left", 19, Qt::AlignRight},
                   {"U (k = 2)", 17, Qt::AlignRight}, {"Verdict, decision", 18}},
                  ResultRows(test, &found), 8);
    } else {
      sheet.Table({{"Step", 40}, {nominal, 18}, {"Limits", 34}, {"Measured", 22, Qt::AlignRight}, {"Verdict", 16},
                   {"U (k = 2)", 22, Qt::AlignRight}, {"Decision", 22}},
                  ResultRows(test, nullptr), 4);
    }
    if (!test.finding.empty()) sheet.Text(U(test.finding), Font(8.5, true), 0, kWidth, QColor(0xB0, 0, 0));
  }

  sheet.Heading("Statement of conformity");
  QString statement;
  if (failures == 0 && failedTests.isEmpty()) {
    statement = "The unit was found to CONFORM to the manufacturer's published limits at every step listed above.";
  } else if (failures == 0) {
    statement = "The unit was found NOT TO CONFORM to the manufacturer's published limits: " + failedTests.join("; ") + ".";
  } else {
    statement = QString("The unit was found NOT TO CONFORM to the manufacturer's published limits: %1 step%2 failed "
                        "(marked FAIL above).")
                    .arg(failures)
                    .arg(failures == 1 ? "" : "s");
    if (!failedTests.isEmpty()) statement += " Also: " + failedTests.join("; ") + ".";
  }
  // The rule the run's decisions were made under (rows stored before decisions were kept have none).
  std::optional<DecisionRule> rule;
  int conditionalPasses = 0;
  int conditionalFails = 0;
  int notStated = 0;
  int decided = 0;
  for (const StoredRow& row : record.rows) {
    if (row.decision.empty()) continue;
    ++decided;
    rule = row.uncertainty.rule;
    conditionalPasses += row.uncertainty.judged.decision == Decision::ConditionalPass;
    conditionalFails += row.uncertainty.judged.decision == Decision::ConditionalFail;
    notStated += !row.uncertainty.budget.expanded.has_value();
  }
  if (!rule) {
    statement += " Decision rule: simple acceptance; a result is compared with its limit, the measurement uncertainty "
                 "is not taken into account.";
  } else if (*rule == DecisionRule::Simple) {
    statement += " Decision rule: simple acceptance (ILAC-G8): each result is compared with its limit as measured; "
                 "the expanded uncertainty U of each step (coverage factor k = 2, about 95 % coverage) is stated "
                 "beside it and not taken into account.";
  } else {
    statement += QString(" Decision rule: guarded acceptance (ILAC-G8) with a guard band w = U (k = 2, about 95 % "
                         "coverage): a step passes only when its result lies inside its limits by more than U and "
                         "fails only when it lies outside them by more than U; between, the decision is conditional. "
                         "%1 step%2 conditional pass, %3 conditional fail.")
                     .arg(conditionalPasses)
                     .arg(conditionalPasses == 1 ? " is a" : "s are")
                     .arg(conditionalFails);
    if (notStated > 0)
      statement += QString(" %1 step%2 no stated uncertainty and %3 judged by simple acceptance.")
                       .arg(notStated)
                       .arg(notStated == 1 ? " has" : "s have")
                       .arg(notStated == 1 ? "is" : "are");
  }
  if (rule && notStated == decided)
    statement += " The register states no uncertainty for the standards used: every U is \"not stated\".";
  sheet.Text(statement, Font(8.5));
  if (!content.partialTests.empty()) {
    QStringList names;
    for (const std::string& name : content.partialTests) names << U(name);
    sheet.Gap(1);
    sheet.Text("PARTIAL CERTIFICATE: no statement is made about the tests that did not end with a result: " +
                   names.join(", ") + ".",
               Font(8.5, true), 0, kWidth, QColor(0xB0, 0, 0));
  }
  if (facts.simulated) {
    sheet.Gap(1);
    sheet.Text("This run was made on a simulated bench. It is a rehearsal, not a calibration of any instrument.",
               Font(8.5, true), 0, kWidth, QColor(0xB0, 0, 0));
  }

  sheet.Need(28);
  sheet.Gap(10);
  QPainter& painter = sheet.Painter();
  painter.setPen(Qt::black);
  painter.setFont(Font(8.5));
  for (int i = 0; i < 2; ++i) {
    const double x = kLeft + i * 92;
    painter.drawLine(QPointF(sheet.Mm(x), sheet.Mm(sheet.Y() + 8)), QPointF(sheet.Mm(x + 78), sheet.Mm(sheet.Y() + 8)));
    painter.drawText(QRectF(sheet.Mm(x), sheet.Mm(sheet.Y() + 9), sheet.Mm(78), sheet.Mm(5)), Qt::AlignLeft | Qt::AlignTop,
                     i == 0 ? "Calibrated by (name, signature, date)" : "Approved by (name, signature, date)");
  }
  sheet.Gap(16);
  sheet.Text("This certificate shall not be reproduced except in full. Its results are those stored under run " +
                 QString::number(record.run.id) + " (SHA-256 " + QString::fromStdString(record.sha256) +
                 "); `veridane --results --run " + QString::number(record.run.id) +
                 " --json -` shows the digest of what the database holds.",
             Font(7), 0, kWidth, Qt::darkGray);

  // The annex: how each stated U was reached, contribution by contribution.
  bool annex = false;
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  mono.setPointSizeF(5.6);
  for (const StoredRow& row : record.rows) {
    if (row.budgetText.empty()) continue;
    if (!annex) {
      sheet.Heading("Annex: uncertainty budgets");
      sheet.Text("Each step's expanded uncertainty U after the GUM: standard uncertainties from the register's figures "
                     "(a certificate's expanded figure over its coverage factor, a published limit over \u221A3), the "
                     "reading's resolution (half its last digit, over \u221A3) and, for repeated readings, the standard "
                     "deviation of their mean; combined by root sum of squares and expanded with k = 2.",
                 Font(8));
      annex = true;
    }
    std::string text = row.result.testName + ": " + row.budgetText;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    sheet.Text(U(text), mono);
    sheet.Gap(1);
  }
  return sheet.End();
}

bool Draw(QIODevice& device, const CertificateContent& content, int totalPages, int& pages) {
  QPdfWriter writer(&device);
  writer.setResolution(300);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  writer.setTitle("Calibration Certificate " + U(content.number));
  writer.setCreator("Veridane");
  pages = Render(writer, content, totalPages);
  return pages > 0;
}

}  // namespace

std::string CertificateValue(double value, const std::string& unit) {
  static constexpr const char* kPrefixes[] = {"p", "n", "\xB5", "m", "", "k", "M", "G", "T"};
  int exponent = 0;
  if (value != 0 && std::isfinite(value))
    exponent = std::clamp(static_cast<int>(std::floor(std::log10(std::fabs(value)) / 3)) * 3, -12, 12);
  char digits[40];
  std::snprintf(digits, sizeof digits, "%.5g", value / std::pow(10.0, exponent));
  return std::string(digits) + " " + kPrefixes[(exponent + 12) / 3] + unit;
}

namespace {

// A figure as a whole number of units of its last digit: value = digits x 10^place.
struct Figure {
  long long digits = 0;  // signed
  int place = 0;
};

int DigitCount(long long n) {
  int count = 1;
  for (n = n < 0 ? -n : n; n >= 10; n /= 10) ++count;
  return count;
}

// U rounded up to two significant digits; nullopt when U is not a positive finite number.
std::optional<Figure> TwoDigitsUp(double expanded) {
  if (!(expanded > 0) || !std::isfinite(expanded)) return std::nullopt;
  int place = static_cast<int>(std::floor(std::log10(expanded))) - 1;
  for (int tries = 0; tries < 3; ++tries) {
    // A hair below the scaled figure, so that 62.00 \xB5V (62.0000000001 in binary) stays 62.
    const double scaled = expanded / std::pow(10.0, place);
    const long long up = static_cast<long long>(std::ceil(scaled * (1 - 1e-9)));
    if (up < 10) { --place; continue; }
    if (up > 99) { ++place; continue; }
    return Figure{up, place};
  }
  return std::nullopt;
}

// The figure with the engineering prefix of its own magnitude, or of `scale`'s when it is zero
// (decibels take none).
std::string FigureText(const Figure& figure, const std::string& unit, const Figure& scale) {
  static constexpr const char* kPrefixes[] = {"p", "n", "\xB5", "m", "", "k", "M", "G", "T"};
  int exponent = 0;
  const Figure& sized = figure.digits != 0 ? figure : scale;
  if (sized.digits != 0 && unit != "dB") {
    const int magnitude = sized.place + DigitCount(sized.digits) - 1;
    exponent = std::clamp(static_cast<int>(std::floor(magnitude / 3.0)) * 3, -12, 12);
  }
  std::string digits = std::to_string(figure.digits < 0 ? -figure.digits : figure.digits);
  const int decimals = exponent - figure.place;
  if (decimals > 0) {
    if (static_cast<int>(digits.size()) <= decimals) digits.insert(0, static_cast<size_t>(decimals + 1) - digits.size(), '0');
    digits.insert(digits.size() - static_cast<size_t>(decimals), ".");
  } else {
    digits.append(static_cast<size_t>(-decimals), '0');
  }
  const std::string prefix = unit == "dB" ? "" : kPrefixes[(exponent + 12) / 3];
  return (figure.digits < 0 ? "-" : "") + digits + " " + prefix + unit;
}

}  // namespace

std::string CertificateUncertainty(double expanded, const std::string& unit) {
  const std::optional<Figure> u = TwoDigitsUp(expanded);
  return "\xB1" + (u ? FigureText(*u, unit, *u) : CertificateValue(expanded, unit));
}

std::string CertificateValueBeside(double value, double expanded, const std::string& unit) {
  const std::optional<Figure> u = TwoDigitsUp(expanded);
  if (!u || !std::isfinite(value)) return CertificateValue(value, unit);
  const double scaled = value / std::pow(10.0, u->place);
  // A reading so far above its U that its digits would not fit is given as it stands.
  if (std::fabs(scaled) > 1e15) return CertificateValue(value, unit);
  return FigureText(Figure{std::llround(scaled), u->place}, unit, *u);
}

LabIdentity LabIdentityFromSettings(const Settings& settings) {
  LabIdentity lab;
  lab.name = settings.Get("Veridane", "Certificate", "LabName", "");
  lab.address = settings.Get("Veridane", "Certificate", "LabAddress", "");
  lab.accreditation = settings.Get("Veridane", "Certificate", "Accreditation", "");
  lab.logoFile = settings.Get("Veridane", "Certificate", "LogoFile", "");
  lab.numberPrefix = settings.Get("Veridane", "Certificate", "NumberPrefix", "VD-");
  return lab;
}

std::string CertificateNumberText(const std::string& prefix, int64_t number) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%06lld", static_cast<long long>(number));
  return prefix + digits;
}

std::vector<std::string> UnfinishedTests(const RunRecord& record) {
  std::vector<std::string> names;
  if (record.outcomes.empty()) return {"(the run's test outcomes were not recorded)"};
  for (const RunTestOutcome& outcome : record.outcomes)
    if (!HasResult(outcome.outcome)) names.push_back(outcome.name);
  return names;
}

std::string CertificatePdf(const CertificateContent& content, std::string& error) {
  // Twice: the first pass counts the pages that "page x of y" needs.
  int pages = 0;
  {
    QByteArray scratch;
    QBuffer buffer(&scratch);
    buffer.open(QIODevice::WriteOnly);
    if (!Draw(buffer, content, 0, pages)) {
      error = "the certificate cannot be drawn";
      return {};
    }
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  int drawn = 0;
  if (!Draw(buffer, content, pages, drawn) || drawn != pages) {
    error = "the certificate cannot be drawn";
    return {};
  }
  buffer.close();
  return bytes.toStdString();
}

CertificateIssue IssueRunCertificate(ResultsStore& store, int64_t runId, const std::string& pdfPath,
                                     const LabIdentity& lab, bool partial, const std::string& now) {
  CertificateIssue issue;
  std::string error;
  std::optional<RunRecord> record = LoadRunRecord(store, runId, error);
  if (!record) {
    issue.error = error;
    return issue;
  }
  if (record->rows.empty()) {
    issue.error = "run " + std::to_string(runId) + " has no results";
    return issue;
  }
  issue.partialTests = UnfinishedTests(*record);
  if (!issue.partialTests.empty() && !partial) {
    std::string names;
    for (const std::string& name : issue.partialTests) names += (names.empty() ? "" : ", ") + name;
    issue.error = "run " + std::to_string(runId) + " is not complete (" + names +
                  "); give --partial for a certificate that says so";
    return issue;
  }
  CertificateContent content;
  content.lab = lab;
  content.issuedOn = now.substr(0, 10);
  content.partialTests = issue.partialTests;
  if (record->run.facts.context && record->run.facts.context->label == RunLabel::AsLeft)
    content.asFound = AsFoundBefore(store, *record);
  // The number is committed before anything is drawn: a crash from here on leaves it unused,
  // never handed to a second certificate.
  const std::optional<int64_t> number = store.IssueCertificate(runId, now, Text8FromUtf8(pdfPath));
  if (!number) {
    issue.error = "no certificate number: " + store.LastError();
    return issue;
  }
  content.number = CertificateNumberText(lab.numberPrefix, *number);
  issue.number = content.number;
  content.record = std::move(*record);
  const std::string pdf = CertificatePdf(content, error);
  if (pdf.empty()) {
    issue.error = error;
    return issue;
  }
  if (!WriteWholeFile(pdfPath, pdf, error)) {
    issue.error = error;
    return issue;
  }
  issue.ok = true;
  return issue;
}

}  // namespace veridane
