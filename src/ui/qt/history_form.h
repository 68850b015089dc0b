#pragma once
// The History window (Utilities menu): one scope's stored results for one test, each step's
// measured value over time against its limits and marginal band, FAIL points marked; the plot
// exported as PNG or PDF and the rows as CSV. What is drawn comes from BuildHistory; this
// window only lays it out.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "results/history_plot.h"
#include "results/results_store.h"

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;

namespace veridane {

class HistoryForm : public QDialog {
 public:
  // The store is opened here; a store that cannot be opened is said in the window.
  HistoryForm(const StoreTarget& target, std::string caption, QWidget* parent = nullptr);
  ~HistoryForm() override;

  // For tests and the exports: pick by text; false when the text is not offered.
  bool ChooseSerial(const std::string& serial);
  bool ChooseTest(const std::string& testName);
  bool ChooseStep(const std::string& step);

  const std::vector<PlotSeries>& Series() const { return series_; }
  const PlotSeries* Shown() const;
  QChartView* ChartView() const { return chartView_; }
  QString StatusText() const;

  // Writes the plot (.png, else .pdf by the name's ending) or the shown test's rows as CSV.
  bool SavePlot(const QString& path);
  bool SaveCsv(const QString& path, std::string& error);

 private:
  void FillSerials();
  void FillTests();
  void FillSteps();
  void Draw();
  void ExportPlot();
  void ExportCsv();

  std::unique_ptr<ResultsStore> store_;
  std::vector<StoredRow> rows_;
  std::vector<PlotSeries> series_;
  // Runs of the chosen test that failed on a finding (a signal that could not be set), which
  // no plotted step shows, and the newest such finding.
  int findings_ = 0;
  std::string lastFinding_;
  QComboBox* serials_;
  QComboBox* tests_;
  QComboBox* steps_;
  QChartView* chartView_;
  QLabel* status_;
  QPushButton* exportPlot_;
  QPushButton* exportCsv_;
};

// Shows the window modally over the main window.
void ShowHistory(QWidget* parent, const StoreTarget& target, const std::string& captionMark);

}  // namespace veridane
