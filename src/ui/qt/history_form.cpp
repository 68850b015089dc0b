#include "ui/qt/history_form.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QRegularExpression>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

#include "record/record_prompts.h"
#include "results/results_csv.h"
#include "ui/qt/history_runs.h"
#include "ui/qt/qt_file_dialogs.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

qint64 Msecs(const PlotPoint& point) { return static_cast<qint64>(point.secondsSinceEpoch * 1000); }

// A limit drawn as a line through each run's own limit.
QLineSeries* LimitLine(const PlotSeries& series, std::optional<double> PlotPoint::*limit, const QString& name,
                       const QPen& pen) {
  auto* line = new QLineSeries;
  line->setName(name);
  line->setPen(pen);
  for (const PlotPoint& point : series.points)
    if (point.*limit) line->append(static_cast<qreal>(Msecs(point)), *(point.*limit));
  return line;
}

bool HasLimit(const PlotSeries& series, std::optional<double> PlotPoint::*limit) {
  for (const PlotPoint& point : series.points)
    if (point.*limit) return true;
  return false;
}

// Between a limit and the marginal line: where a pass is only marginal.
QAreaSeries* Band(const PlotSeries& series, std::optional<double> PlotPoint::*outer,
                  std::optional<double> PlotPoint::*inner, const QString& name) {
  auto* upper = new QLineSeries;
  auto* lower = new QLineSeries;
  for (const PlotPoint& point : series.points) {
    if (!(point.*outer) || !(point.*inner)) continue;
    upper->append(static_cast<qreal>(Msecs(point)), *(point.*outer));
    lower->append(static_cast<qreal>(Msecs(point)), *(point.*inner));
  }
  auto* band = new QAreaSeries(upper, lower);
  // The area does not own its edges; without a parent they would outlive every redraw.
  upper->setParent(band);
  lower->setParent(band);
  band->setName(name);
  band->setColor(QColor(255, 200, 80, 90));
  band->setBorderColor(QColor(255, 200, 80, 0));
  return band;
}

}  // namespace

TimeLabels TimeLabelsFor(const QDateTime& from, const QDateTime& to) {
  // Short labels that do not run into each other at five ticks; what they leave out (the
  // day, the year) goes into the axis title.
  if (from.date() == to.date()) return {"hh:mm:ss", "recorded on " + from.toString("yyyy-MM-dd")};
  if (from.date().year() == to.date().year() && from.daysTo(to) <= 60)
    return {"d MMM hh:mm", "recorded in " + from.toString("yyyy")};
  return {"yyyy-MM-dd", "recorded"};
}

namespace {

QScatterSeries* Marks(const QString& name, const QColor& color, qreal size, QScatterSeries::MarkerShape shape) {
  auto* marks = new QScatterSeries;
  marks->setName(name);
  marks->setColor(color);
  marks->setMarkerSize(size);
  marks->setMarkerShape(shape);
  return marks;
}

}  // namespace

HistoryForm::HistoryForm(const StoreTarget& target, std::string caption, QWidget* parent, HistoryCertifying certifying)
    : QDialog(parent),
      store_(std::make_unique<ResultsStore>(target)),
      certifying_(std::move(certifying)),
      runs_(new RunTable),
      certify_(new QPushButton("Certi&ficate...")),
      serials_(new QComboBox),
      tests_(new QComboBox),
      steps_(new QComboBox),
      chartView_(new QChartView),
      status_(new QLabel),
      exportPlot_(new QPushButton("Export &Plot...")),
      exportCsv_(new QPushButton("Export &CSV...")) {
  setObjectName("HistoryForm");
  setWindowTitle(WidgetText(caption));
  serials_->setObjectName("Serials");
  tests_->setObjectName("Tests");
  steps_->setObjectName("Steps");
  chartView_->setRenderHint(QPainter::Antialiasing);
  // Small enough that the window, its run list and its buttons fit a 1024x600 screen.
  chartView_->setMinimumSize(640, 280);
  runs_->setMinimumHeight(110);
  if (certifying_.dialogs == nullptr) {
    ownDialogs_ = std::make_unique<QtFileDialogs>(this);
    certifying_.dialogs = ownDialogs_.get();
  }
  certify_->setObjectName("Certify");
  certify_->setToolTip("Issue the calibration certificate of the run chosen in the list");
  certify_->setVisible(certifying_.op != nullptr);
  certify_->setEnabled(false);

  auto* picks = new QHBoxLayout;
  for (auto [label, box] : {std::pair{"&Scope (serial/ID):", serials_}, std::pair{"&Test:", tests_}, std::pair{"St&ep:", steps_}}) {
    auto* text = new QLabel(label);
    text->setBuddy(box);
    picks->addWidget(text);
    picks->addWidget(box, 1);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(status_, 1);
  buttons->addWidget(exportPlot_);
  buttons->addWidget(exportCsv_);
  auto* close = new QPushButton("Close");
  buttons->addWidget(close);
  auto* runButtons = new QVBoxLayout;
  runButtons->addWidget(certify_);
  runButtons->addStretch(1);
  auto* runLine = new QHBoxLayout;
  runLine->addWidget(runs_, 1);
  runLine->addLayout(runButtons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(picks);
  layout->addLayout(runLine);
  layout->addWidget(chartView_, 1);
  layout->addLayout(buttons);
  resize(900, 680);

  connect(serials_, &QComboBox::currentIndexChanged, this, [this] { SerialChosen(); });
  connect(runs_, &QTableWidget::itemSelectionChanged, this,
          [this] { certify_->setEnabled(runs_->SelectedRun().has_value()); });
  connect(certify_, &QPushButton::clicked, this, [this] { CertifyChosenRun(); });
  connect(tests_, &QComboBox::currentIndexChanged, this, [this] { FillSteps(); });
  connect(steps_, &QComboBox::currentIndexChanged, this, [this] { Draw(); });
  connect(exportPlot_, &QPushButton::clicked, this, [this] { ExportPlot(); });
  connect(exportCsv_, &QPushButton::clicked, this, [this] { ExportCsv(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  if (!store_->Open()) {
    status_->setText(WidgetText("The results database " + target.Describe() + " cannot be opened: " +
                                Text8FromUtf8(store_->LastError())));
    exportPlot_->setEnabled(false);
    exportCsv_->setEnabled(false);
    return;
  }
  FillSerials();
}

HistoryForm::~HistoryForm() = default;

void HistoryForm::FillSerials() {
  QSignalBlocker block(serials_);
  serials_->clear();
  for (const std::string& serial : store_->Serials())
    serials_->addItem(serial.empty() ? QString("(no serial)") : WidgetText(serial), WidgetText(serial));
  block.unblock();
  SerialChosen();
}

void HistoryForm::SerialChosen() {
  FillRuns();
  FillTests();
  OpenOnSomethingUseful();
}

void HistoryForm::FillRuns() {
  std::vector<RunSummary> runs;
  if (serials_->currentIndex() >= 0)
    runs = SummariseRuns(*store_, TextFromWidget(serials_->currentData().toString()), certifying_.lab.numberPrefix);
  runs_->Fill(runs);
  // The newest run is the one most often certified.
  if (!runs.empty()) runs_->SelectRun(runs.back().run.id);
}

// The most recent run's failing step (its first, where a fault shows first), else the first
// step with a reading: an empty plot of a step that has none (the self calibration's answer)
// shows nothing to look at.
void HistoryForm::OpenOnSomethingUseful() {
  if (serials_->currentIndex() < 0) return;
  const std::vector<StoredRow> rows = store_->Rows({TextFromWidget(serials_->currentData().toString()), "", "", {}});
  const auto failed = [](const StoredRow& row) { return row.result.verdict == Verdict::Fail && row.result.measured; };
  const auto newest = std::find_if(rows.rbegin(), rows.rend(), failed);
  const StoredRow* chosen = nullptr;
  if (newest != rows.rend()) {
    const int64_t run = newest->run.id;
    chosen = &*std::find_if(rows.begin(), rows.end(), [&](const StoredRow& row) { return row.run.id == run && failed(row); });
  }
  for (auto it = rows.begin(); it != rows.end() && chosen == nullptr; ++it)
    if (it->result.measured) chosen = &*it;
  if (chosen == nullptr) return;
  ChooseTest(chosen->result.testName);
  ChooseStep(chosen->result.step);
}

QString HistoryForm::ChosenTest() const { return tests_->currentText(); }

bool HistoryForm::CertifyChosenRun() {
  const std::optional<int64_t> run = runs_->SelectedRun();
  if (!run || certifying_.op == nullptr) return false;
  const bool issued = CertifyStoredRun(*store_, *run,
                                       CertificatePromptSeams{*certifying_.op, *certifying_.dialogs, certifying_.lab,
                                                              certifying_.now ? certifying_.now() : std::string(),
                                                              QDir::homePath().toStdString()});
  if (issued) {
    FillRuns();
    runs_->SelectRun(*run);
  }
  return issued;
}

void HistoryForm::FillTests() {
  QSignalBlocker block(tests_);
  tests_->clear();
  if (serials_->currentIndex() >= 0)
    for (const std::string& name : store_->TestNames(TextFromWidget(serials_->currentData().toString())))
      tests_->addItem(WidgetText(name));
  block.unblock();
  FillSteps();
}

void HistoryForm::FillSteps() {
  rows_.clear();
  findings_ = 0;
  lastFinding_.clear();
  if (serials_->currentIndex() >= 0 && tests_->currentIndex() >= 0) {
    const std::string serial = TextFromWidget(serials_->currentData().toString());
    const std::string test = TextFromWidget(tests_->currentText());
    rows_ = store_->Rows({serial, test, "", {}});
    for (const StoredRun& run : store_->Runs(serial))
      for (const RunTestOutcome& outcome : store_->TestOutcomes(run.id))
        if (outcome.name == test && !outcome.finding.empty()) {
          ++findings_;
          lastFinding_ = outcome.finding;
        }
  }
  series_ = BuildHistory(rows_);
  QSignalBlocker block(steps_);
  steps_->clear();
  int firstFailing = -1;
  for (const PlotSeries& series : series_) {
    if (firstFailing < 0 && series.HasFailure()) firstFailing = steps_->count();
    steps_->addItem(WidgetText(series.step + (series.HasFailure() ? "  (FAIL)" : "")));
  }
  // A failing step is what the technician came to see.
  if (firstFailing >= 0) steps_->setCurrentIndex(firstFailing);
  block.unblock();
  Draw();
}

const PlotSeries* HistoryForm::Shown() const {
  const int index = steps_->currentIndex();
  return index >= 0 && index < static_cast<int>(series_.size()) ? &series_[static_cast<size_t>(index)] : nullptr;
}

QString HistoryForm::StatusText() const { return status_->text(); }

void HistoryForm::Draw() {
  auto* chart = new QChart;
  const PlotSeries* shown = Shown();
  exportPlot_->setEnabled(shown != nullptr);
  exportCsv_->setEnabled(!rows_.empty());
  // A test that failed on a finding has no point for it: the status line says so.
  const QString findings =
      findings_ == 0 ? QString()
                     : QString("%1 %2 this test on a finding, the last: %3")
                           .arg(findings_)
                           .arg(findings_ == 1 ? "run failed" : "runs failed")
                           .arg(WidgetText(lastFinding_));
  if (shown == nullptr) {
    chart->setTitle("No stored results");
    status_->setText(serials_->count() == 0 ? "The results database holds no runs yet." : findings);
    chartView_->setChart(chart);
    return;
  }
  chart->setTitle(serials_->currentText() + "  -  " +
                  tests_->currentText() + "  -  " + WidgetText(shown->step));

  std::vector<QAbstractSeries*> all;
  if (HasLimit(*shown, &PlotPoint::marginalUpper) && HasLimit(*shown, &PlotPoint::upper))
    all.push_back(Band(*shown, &PlotPoint::upper, &PlotPoint::marginalUpper, "marginal band"));
  if (HasLimit(*shown, &PlotPoint::marginalLower) && HasLimit(*shown, &PlotPoint::lower))
    all.push_back(Band(*shown, &PlotPoint::marginalLower, &PlotPoint::lower, "marginal band"));
  QPen limitPen(QColor(200, 30, 30));
  limitPen.setStyle(Qt::DashLine);
  limitPen.setWidthF(1.5);
  if (HasLimit(*shown, &PlotPoint::upper)) all.push_back(LimitLine(*shown, &PlotPoint::upper, "upper limit", limitPen));
  if (HasLimit(*shown, &PlotPoint::lower)) all.push_back(LimitLine(*shown, &PlotPoint::lower, "lower limit", limitPen));

  auto* measured = new QLineSeries;
  measured->setName("measured");
  measured->setPen(QPen(QColor(40, 80, 160), 1.5));
  QScatterSeries* pass = Marks("PASS", QColor(30, 140, 60), 9, QScatterSeries::MarkerShapeCircle);
  QScatterSeries* marginal = Marks("marginal", QColor(230, 150, 0), 10, QScatterSeries::MarkerShapeCircle);
  QScatterSeries* fail = Marks("FAIL", QColor(210, 0, 0), 14, QScatterSeries::MarkerShapeRectangle);
  int unmeasured = 0;
  for (const PlotPoint& point : shown->points) {
    if (!point.value) {
      ++unmeasured;
      continue;
    }
    const qreal x = static_cast<qreal>(Msecs(point));
    measured->append(x, *point.value);
    QScatterSeries* marks = point.verdict == Verdict::Pass ? pass : point.verdict == Verdict::Marginal ? marginal : fail;
    marks->append(x, *point.value);
  }
  all.insert(all.end(), {measured, pass, marginal, fail});

  auto* timeAxis = new QDateTimeAxis;
  auto* valueAxis = new QValueAxis;
  valueAxis->setTitleText(WidgetText(shown->unit));
  valueAxis->setRange(shown->yMin, shown->yMax);
  qint64 first = Msecs(shown->points.front());
  qint64 last = Msecs(shown->points.back());
  // A single run, or runs seconds apart (a rehearsal), still get a readable stretch of time.
  const qint64 room = std::max<qint64>((last - first) / 12, 1000);
  const QDateTime from = QDateTime::fromMSecsSinceEpoch(first - room);
  const QDateTime to = QDateTime::fromMSecsSinceEpoch(last + room);
  const TimeLabels labels = TimeLabelsFor(from, to);
  timeAxis->setFormat(labels.format);
  timeAxis->setTitleText(labels.title);
  timeAxis->setRange(from, to);
  timeAxis->setTickCount(std::min<int>(5, static_cast<int>(shown->points.size()) + 2));
  chart->addAxis(timeAxis, Qt::AlignBottom);
  chart->addAxis(valueAxis, Qt::AlignLeft);
  for (QAbstractSeries* series : all) {
    chart->addSeries(series);
    series->attachAxis(timeAxis);
    series->attachAxis(valueAxis);
  }
  // One legend entry for the two halves of the band.
  bool bandNamed = false;
  for (QAbstractSeries* series : all) {
    if (series->name() != "marginal band") continue;
    if (bandNamed)
      for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
    bandNamed = true;
  }
  chartView_->setChart(chart);
  QString text = QString("%1 %2, %3 failed")
                     .arg(shown->points.size())
                     .arg(shown->points.size() == 1 ? "run" : "runs")
                     .arg(shown->failures);
  if (unmeasured > 0) text += QString(", %1 without a reading (not drawn)").arg(unmeasured);
  if (!findings.isEmpty()) text += "; " + findings;
  status_->setText(text);
}

bool HistoryForm::ChooseSerial(const std::string& serial) {
  const int index = serials_->findData(WidgetText(serial));
  if (index < 0) return false;
  serials_->setCurrentIndex(index);
  return true;
}

bool HistoryForm::ChooseTest(const std::string& testName) {
  const int index = tests_->findText(WidgetText(testName));
  if (index < 0) return false;
  tests_->setCurrentIndex(index);
  return true;
}

bool HistoryForm::ChooseStep(const std::string& step) {
  for (size_t i = 0; i < series_.size(); ++i) {
    if (series_[i].step == step) {
      steps_->setCurrentIndex(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

bool HistoryForm::SavePlot(const QString& path) {
  if (Shown() == nullptr) return false;  // nothing plotted: no empty picture to mistake for one
  if (path.endsWith(".png", Qt::CaseInsensitive)) return chartView_->grab().save(path, "PNG");
  QPdfWriter writer(path);
  writer.setPageOrientation(QPageLayout::Landscape);
  writer.setTitle(chartView_->chart() ? chartView_->chart()->title() : QString());
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  chartView_->render(&painter);
  return painter.end();
}

bool HistoryForm::SaveCsv(const QString& path, std::string& error) {
  return WriteResultsCsv(path.toStdString(), rows_, error);
}

namespace {

// A file name from what the window shows, so that a folder of exports can be told apart.
QString ExportName(const QString& shown, const QString& extension) {
  QString name = shown.simplified();
  return name.replace(QRegularExpression(R"([\\/:*?"<>|])"), "-") + extension;
}

}  // namespace

void HistoryForm::ExportPlot() {
  const QString name =
      ExportName(serials_->currentText() + " " + tests_->currentText() + " " + steps_->currentText(), ".png");
  const QString path = AskSaveFileName(this, "Export Plot", QDir::home().filePath(name),
                                       "PNG image (*.png);;PDF file (*.pdf)");
  if (path.isEmpty()) return;
  if (!SavePlot(path)) QMessageBox::warning(this, "Export Plot", "The plot could not be written to " + path + ".");
}

void HistoryForm::ExportCsv() {
  const QString name = ExportName(serials_->currentText() + " " + tests_->currentText(), ".csv");
  const QString path = AskSaveFileName(this, "Export CSV", QDir::home().filePath(name), "CSV file (*.csv)");
  if (path.isEmpty()) return;
  std::string error;
  if (!SaveCsv(path, error))
    QMessageBox::warning(this, "Export CSV", "The rows could not be written: " + WidgetText(error));
}

void ShowHistory(QWidget* parent, const StoreTarget& target, const std::string& captionMark,
                 HistoryCertifying certifying) {
  HistoryForm form(target, "Results History" + captionMark, parent, std::move(certifying));
  form.exec();
}

}  // namespace veridane
