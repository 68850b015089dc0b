#include "ui/qt/history_runs.h"

#include <QHeaderView>
#include <QStringList>

#include "pv/catalogue.h"
#include "ui/qt/verdict_colours.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

constexpr int kFixedColumns = 3;  // Started, Bench, Operator; then one per test; then Certificate

QString Latin(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QString RunTimeText(const std::string& startedAt) {
  // "2026-12-07T11:46:58+01:00": the date and the minute as the bench's clock read them.
  if (startedAt.size() >= 16 && startedAt[10] == 'T') return WidgetText(startedAt.substr(0, 10) + " " + startedAt.substr(11, 5));
  return WidgetText(startedAt);
}

RunTable::RunTable(QWidget* parent) : QTableWidget(parent) {
  setObjectName("Runs");
  QStringList titles = {"Started", "Bench", "Operator"};
  for (const CatalogueEntry& test : TestCatalogue()) titles << Latin(test.runName);
  titles << "Certificate";
  setColumnCount(static_cast<int>(titles.size()));
  setHorizontalHeaderLabels(titles);
  int column = kFixedColumns;
  for (const CatalogueEntry& test : TestCatalogue()) horizontalHeaderItem(column++)->setToolTip(Latin(test.title));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->setVisible(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  horizontalHeader()->setStretchLastSection(true);
}

void RunTable::Fill(const std::vector<RunSummary>& runs) {
  clearContents();
  setRowCount(static_cast<int>(runs.size()));
  int row = 0;
  for (auto it = runs.rbegin(); it != runs.rend(); ++it, ++row) {
    const RunSummary& run = *it;
    const RunFacts& facts = run.run.facts;
    auto* started = new QTableWidgetItem(RunTimeText(facts.startedAt));
    started->setData(Qt::UserRole, static_cast<qlonglong>(run.run.id));
    started->setToolTip(QString("Run %1, %2").arg(run.run.id).arg(WidgetText(facts.startedAt)));
    setItem(row, 0, started);
    setItem(row, 1, new QTableWidgetItem(WidgetText(facts.bench + (facts.simulated && facts.bench.rfind("sim", 0) != 0 ? " (simulated)" : ""))));
    setItem(row, 2, new QTableWidgetItem(WidgetText(facts.operatorName)));
    int column = kFixedColumns;
    for (const CatalogueEntry& test : TestCatalogue()) {
      auto* cell = new QTableWidgetItem;
      if (const RunTestSummary* outcome = run.Test(test.number)) {
        cell->setText(WidgetText(outcome->Word()));
        if (!outcome->finding.empty()) cell->setToolTip(WidgetText(outcome->finding));
        if (outcome->outcome == TestOutcome::Failed) cell->setForeground(FailColour());
        else if (outcome->marginal) cell->setForeground(MarginalColour());
      }
      setItem(row, column++, cell);
    }
    QString certificates;
    for (const std::string& number : run.certificates) certificates += (certificates.isEmpty() ? "" : ", ") + WidgetText(number);
    setItem(row, column, new QTableWidgetItem(certificates));
  }
}

std::optional<int64_t> RunTable::SelectedRun() const {
  const QList<QTableWidgetItem*> chosen = selectedItems();
  if (chosen.isEmpty()) return std::nullopt;
  const QTableWidgetItem* first = item(chosen.front()->row(), 0);
  if (first == nullptr) return std::nullopt;
  return first->data(Qt::UserRole).toLongLong();
}

bool RunTable::SelectRun(int64_t runId) {
  for (int row = 0; row < rowCount(); ++row) {
    if (item(row, 0)->data(Qt::UserRole).toLongLong() != runId) continue;
    selectRow(row);
    return true;
  }
  return false;
}

QString RunTable::Cell(int64_t runId, const QString& column) const {
  for (int row = 0; row < rowCount(); ++row) {
    if (item(row, 0)->data(Qt::UserRole).toLongLong() != runId) continue;
    for (int c = 0; c < columnCount(); ++c)
      if (horizontalHeaderItem(c)->text() == column) return item(row, c) != nullptr ? item(row, c)->text() : QString();
  }
  return {};
}

}  // namespace veridane
