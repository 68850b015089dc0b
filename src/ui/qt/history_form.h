#pragma once
// The History window (Utilities menu): one scope's runs (date, bench, operator, each test's
// outcome, certificate), any of them certified from here; and its stored results for one test,
// each step's measured value over time against its limits and marginal band, FAIL points
// marked; the plot exported as PNG or PDF and the rows as CSV. It opens on the most recent
// failing step, else the first step with a reading. What is drawn comes from BuildHistory; this
// window only lays it out.
#include <QDateTime>
#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"
#include "platform/operator.h"
#include "record/certificate.h"
#include "record/run_list.h"
#include "results/history_plot.h"
#include "results/results_store.h"

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;

namespace veridane {

class RunTable;

// What certifying a run from History takes: the technician's boxes, the lab and the clock (the
// file dialog is the window's own unless one is given). Without an operator no run is certified.
struct HistoryCertifying {
  Operator* op = nullptr;
  FileDialogs* dialogs = nullptr;
  LabIdentity lab;
  std::function<std::string()> now;
};

class HistoryForm : public QDialog {
 public:
  // The store is opened here; a store that cannot be opened is said in the window.
  HistoryForm(const StoreTarget& target, std::string caption, QWidget* parent = nullptr,
              HistoryCertifying certifying = {});
  ~HistoryForm() override;

  // For tests and the exports: pick by text; false when the text is not offered.
  bool ChooseSerial(const std::string& serial);
  bool ChooseTest(const std::string& testName);
  bool ChooseStep(const std::string& step);

  RunTable* Runs() const { return runs_; }
  // Certifies the run chosen in the run list (Certificate...); false when none was issued.
  bool CertifyChosenRun();
  QString ChosenTest() const;

  const std::vector<PlotSeries>& Series() const { return series_; }
  const PlotSeries* Shown() const;
  QChartView* ChartView() const { return chartView_; }
  QString StatusText() const;

  // Writes the plot (.png, else .pdf by the name's ending) or the shown test's rows as CSV.
  bool SavePlot(const QString& path);
  bool SaveCsv(const QString& path, std::string& error);

 private:
  void FillSerials();
  void SerialChosen();
  void FillRuns();
  void OpenOnSomethingUseful();
  void FillTests();
  void FillSteps();
  void Draw();
  void ExportPlot();
  void ExportCsv();

  std::unique_ptr<ResultsStore> store_;
  HistoryCertifying certifying_;
  std::unique_ptr<FileDialogs> ownDialogs_;
  std::vector<StoredRow> rows_;
  std::vector<PlotSeries> series_;
  // Runs of the chosen test that failed on a finding (a signal that could not be set), which
  // no plotted step shows, and the newest such finding.
  int findings_ = 0;
  std::string lastFinding_;
  RunTable* runs_;
  QPushButton* certify_;
  QComboBox* serials_;
  QComboBox* tests_;
  QComboBox* steps_;
  QChartView* chartView_;
  QLabel* status_;
  QPushButton* exportPlot_;
  QPushButton* exportCsv_;
};

// The time axis's labels and title for a stretch of time: the time of day within one day,
// day and time within a few weeks, dates beyond.
struct TimeLabels {
  QString format;
  QString title;
};
TimeLabels TimeLabelsFor(const QDateTime& from, const QDateTime& to);

// Shows the window modally over the main window.
void ShowHistory(QWidget* parent, const StoreTarget& target, const std::string& captionMark,
                 HistoryCertifying certifying = {});

}  // namespace veridane
