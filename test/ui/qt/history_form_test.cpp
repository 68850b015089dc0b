// The History window over real stored runs: three headless Full Sequences of one scope on the
// simulated benches, the third with an offset fault on CH 2.
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLineSeries>
#include <QScatterSeries>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "shell/command_line.h"
#include "test/support/shell_fakes.h"
#include "test/support/test_backends.h"
#include "ui/console/headless.h"
#include "test/support/scripted_file_dialogs.h"
#include "test/support/scripted_operator.h"
#include "ui/qt/history_form.h"
#include "ui/qt/history_runs.h"

namespace veridane {
namespace {

using testing::ScratchFolder;
using testing::ScriptedOperator;

void FullSequence(const ScratchFolder& root, MemorySettings& settings, const std::string& bench) {
  CommandLine options = ParseCommandLine({"--headless", "--bench", bench, "--run", "full", "--technician", "virtual",
                                          "--serial", "B012345"});
  std::ostringstream out, messages;
  RunHeadless(testing::TestBackends(), options, settings, Paths(root.String()), out, messages);
}

template <typename Series>
Series* Named(QChart* chart, const QString& name) {
  for (QAbstractSeries* series : chart->series())
    if (series->name() == name) return dynamic_cast<Series*>(series);
  return nullptr;
}

class HistoryWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // ctest runs each test as its own process, side by side: a folder of its own.
    root_ = new ScratchFolder("history-window-" + std::to_string(::getpid()));
    MemorySettings settings;
    for (const char* bench : {"sim", "sim", "sim:offset-fault"}) FullSequence(*root_, settings, bench);
  }
  static void TearDownTestSuite() {
    delete root_;
    root_ = nullptr;
  }
  static StoreTarget Target() { return ParseStoreTarget("", Paths(root_->String(), true).DataFolder()); }
  static ScratchFolder* root_;
};
ScratchFolder* HistoryWindow::root_ = nullptr;

TEST_F(HistoryWindow, OpensOnTheFailingStepWithLimitsBandAndTheFailMarked) {
  HistoryForm form(Target(), "Results History");
  ASSERT_TRUE(form.ChooseSerial("B012345")) << form.StatusText().toStdString();
  ASSERT_TRUE(form.ChooseTest("Offset at Zero"));
  const PlotSeries* shown = form.Shown();
  ASSERT_NE(shown, nullptr);
  // The first failing step is offered first: CH 2, where the fault is.
  EXPECT_EQ(shown->step.rfind("CH2", 0), 0u) << shown->step;
  EXPECT_EQ(shown->points.size(), 3u);

  ASSERT_TRUE(form.ChooseStep("CH2 10 mV/div"));
  QChart* chart = form.ChartView()->chart();
  auto* fail = Named<QScatterSeries>(chart, "FAIL");
  auto* pass = Named<QScatterSeries>(chart, "PASS");
  auto* marginal = Named<QScatterSeries>(chart, "marginal");
  ASSERT_TRUE(fail && pass && marginal);
  EXPECT_EQ(fail->count(), 1);
  EXPECT_EQ(pass->count() + marginal->count(), 2);
  // The failing point is the newest run.
  EXPECT_EQ(fail->at(0).x(), Named<QLineSeries>(chart, "measured")->at(2).x());
  auto* upper = Named<QLineSeries>(chart, "upper limit");
  ASSERT_NE(upper, nullptr);
  EXPECT_NEAR(upper->at(0).y(), 4.0, 1e-4);  // +/-4 mV, drawn in mV
  EXPECT_NE(Named<QLineSeries>(chart, "lower limit"), nullptr);
  int bands = 0;
  for (QAbstractSeries* series : chart->series()) bands += series->name() == "marginal band" ? 1 : 0;
  EXPECT_EQ(bands, 2);
  EXPECT_NE(form.StatusText().indexOf("1 failed"), -1) << form.StatusText().toStdString();

  form.resize(900, 560);
  if (const char* shot = std::getenv("VERIDANE_HISTORY_SHOT")) {
    EXPECT_TRUE(form.SavePlot(shot));
  }
}

// A test that failed on a finding before its first row has no point to plot; History still
// offers it and says it failed.
TEST(HistoryWindowFindings, ATestThatFailedOnAFindingIsOfferedAndSaid) {
  ScratchFolder root("history-finding-" + std::to_string(::getpid()));
  MemorySettings settings;
  CommandLine options = ParseCommandLine({"--headless", "--bench", "sim:scope-only", "--run", "bandwidth", "--serial", "F1"});
  std::ostringstream out, messages;
  ASSERT_EQ(RunHeadless(testing::TestBackends(), options, settings, Paths(root.String()), out, messages), 1) << messages.str();
  HistoryForm form(ParseStoreTarget("", Paths(root.String(), true).DataFolder()), "Results History");
  ASSERT_TRUE(form.ChooseSerial("F1"));
  ASSERT_TRUE(form.ChooseTest("Analog Bandwidth"));
  EXPECT_EQ(form.Shown(), nullptr);
  EXPECT_NE(form.StatusText().indexOf("1 run failed this test on a finding, the last: Analog Bandwidth - SIGNAL COULD "
                                      "NOT BE SET: TEST FAILED."),
            -1)
      << form.StatusText().toStdString();
}

// Opened without a choice, the window shows the most recent failing step (the offset fault of
// the third run), the runs newest first with each test's outcome, and the newest run chosen.
TEST_F(HistoryWindow, OpensOnTheNewestFailureWithTheRunsListed) {
  HistoryForm form(Target(), "Results History");
  // The newest failing run's first failing step: Offset at Zero on CH 2, where the fault is.
  EXPECT_EQ(form.ChosenTest().toStdString(), "Offset at Zero");
  const PlotSeries* shown = form.Shown();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->step.rfind("CH2", 0), 0u) << shown->step;
  EXPECT_EQ(shown->points.back().verdict, Verdict::Fail);

  RunTable* runs = form.Runs();
  ASSERT_EQ(runs->rowCount(), 3);
  const int64_t newest = runs->item(0, 0)->data(Qt::UserRole).toLongLong();
  const int64_t oldest = runs->item(2, 0)->data(Qt::UserRole).toLongLong();
  EXPECT_GT(newest, oldest);
  EXPECT_EQ(runs->SelectedRun(), newest);
  EXPECT_EQ(runs->Cell(newest, "offset").toStdString(), "FAIL");
  EXPECT_EQ(runs->Cell(oldest, "offset").toStdString(), "PASS");
  EXPECT_EQ(runs->Cell(newest, "Bench").toStdString(), "sim:offset-fault");
  EXPECT_EQ(runs->Cell(newest, "Started").size(), 16) << runs->Cell(newest, "Started").toStdString();
  EXPECT_TRUE(runs->Cell(newest, "Certificate").isEmpty());
}

// A stored run is certified from the list, once; the list then shows its number.
TEST_F(HistoryWindow, CertifiesTheChosenRunOnce) {
  ScriptedOperator technician;
  testing::ScriptedFileDialogs dialogs;
  HistoryForm form(Target(), "Results History", nullptr,
                   HistoryCertifying{&technician, &dialogs, LabIdentity{}, [] { return std::string("2026-12-08T09:00:00+01:00"); }});
  RunTable* runs = form.Runs();
  ASSERT_EQ(runs->rowCount(), 3);
  const int64_t oldest = runs->item(2, 0)->data(Qt::UserRole).toLongLong();
  ASSERT_TRUE(runs->SelectRun(oldest));
  const std::string pdf = (root_->Path() / ("oldest-" + std::to_string(::getpid()) + ".pdf")).string();
  dialogs.Expect(testing::ScriptedFileDialogs::Kind::Save, "Save Certificate", pdf);
  technician.ExpectContaining("of run " + std::to_string(oldest) + " saved.", kOkOnly + kInformation, "Certificate", kOk);
  ASSERT_TRUE(form.CertifyChosenRun());
  EXPECT_EQ(dialogs.Requests().back().initialName.rfind("B012345 ", 0), 0u) << dialogs.Requests().back().initialName;
  QFile file(QString::fromStdString(pdf));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
  const QString number = runs->Cell(oldest, "Certificate");
  EXPECT_TRUE(number.startsWith("VD-")) << number.toStdString();

  ASSERT_TRUE(runs->SelectRun(oldest));
  technician.ExpectContaining("has certificate " + number.toStdString() + " already", kOkOnly + kInformation,
                              "Certificate", kOk);
  EXPECT_FALSE(form.CertifyChosenRun());
  technician.ExpectAllConsumed();
  dialogs.ExpectAllConsumed();
}

TEST(HistoryTimeAxis, LabelsFitTheStretchOfTime) {
  const QDateTime morning(QDate(2026, 12, 7), QTime(9, 0));
  EXPECT_EQ(TimeLabelsFor(morning, morning.addSecs(600)).format, "hh:mm:ss");
  EXPECT_EQ(TimeLabelsFor(morning, morning.addSecs(600)).title, "recorded on 2026-12-07");
  EXPECT_EQ(TimeLabelsFor(morning, morning.addDays(3)).format, "d MMM hh:mm");
  EXPECT_EQ(TimeLabelsFor(morning, morning.addDays(400)).format, "yyyy-MM-dd");
}

TEST_F(HistoryWindow, ExportsPlotAsPngAndPdfAndRowsAsCsv) {
  HistoryForm form(Target(), "Results History");
  ASSERT_TRUE(form.ChooseSerial("B012345"));
  ASSERT_TRUE(form.ChooseTest("DC Voltage Measurement"));
  const QString png = QString::fromStdString((root_->Path() / "plot.png").string());
  const QString pdf = QString::fromStdString((root_->Path() / "plot.pdf").string());
  ASSERT_TRUE(form.SavePlot(png));
  ASSERT_TRUE(form.SavePlot(pdf));
  QFile pngFile(png), pdfFile(pdf);
  ASSERT_TRUE(pngFile.open(QIODevice::ReadOnly) && pdfFile.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pngFile.read(8).startsWith("\x89PNG"));
  EXPECT_TRUE(pdfFile.read(5).startsWith("%PDF-"));

  std::string error;
  const std::string csv = (root_->Path() / "dc.csv").string();
  ASSERT_TRUE(form.SaveCsv(QString::fromStdString(csv), error)) << error;
  std::ifstream file(csv, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // Header + 14 DC rows (7 steps, 2 channels) per run, three runs.
  size_t lines = 0;
  for (size_t at = content.find("\r\n"); at != std::string::npos; at = content.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 1u + 3 * 14);
  EXPECT_EQ(content.find("Offset at Zero"), std::string::npos);
}

TEST(HistoryWindowWithoutStore, SaysWhyAndOffersNoExport) {
  ScratchFolder root("history-blocked");
  { std::ofstream(root.Path() / "blocker") << "x"; }
  HistoryForm form(ParseStoreTarget((root.Path() / "blocker" / "results.db").string(), ""), "Results History");
  EXPECT_NE(form.StatusText().indexOf("cannot be opened"), -1);
  EXPECT_EQ(form.Shown(), nullptr);
  EXPECT_FALSE(form.SavePlot(QString::fromStdString((root.Path() / "x.png").string())));
}

}  // namespace
}  // namespace veridane
