#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "test/support/scripted_operator.h"
#include "test/support/widget_checks.h"
#include "ui/qt/create_log_file_form.h"
#include "ui/qt/log_record_form.h"
#include "ui/qt/open_log_file_form.h"
#include "ui/qt/print_preview.h"
#include "ui/qt/qt_log_dialogs.h"
#include "ui/qt/twips.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedOperator;

std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

void Enter(QWidget& dialog) { QTest::keyClick(dialog.focusWidget(), Qt::Key_Return); }

// Shown and active, so that the focus moves as it does on the bench.
void ShowActive(QWidget& dialog) {
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

TEST(CreateLogFileForm, SerialIsUpperCasedAndNamesTheLogEnterWalksTheBoxes) {
  ScriptedOperator technician;
  CreateLogFileForm form(technician);
  ShowActive(form);
  EXPECT_EQ(form.windowTitle().toStdString(), "Create a Logfile");
  EXPECT_FALSE(form.ButtonOK()->isEnabled());
  EXPECT_EQ(form.focusWidget(), form.TextSN());

  QTest::keyClicks(form.TextSN(), "a1-b");
  EXPECT_EQ(Text(form.TextSN()), "A1-B");
  EXPECT_EQ(Text(form.TextLogFileName()), "A1-B");
  EXPECT_EQ(form.TextSN()->cursorPosition(), 4);
  EXPECT_TRUE(form.ButtonOK()->isEnabled());

  Enter(form);
  EXPECT_EQ(form.focusWidget(), form.TextLogFileName());
  QTest::keyClicks(form.TextLogFileName(), "-0123456789abcdefgh");
  EXPECT_EQ(Text(form.TextLogFileName()), "A1-B-0123456789abc");  // the 19th character is refused
  Enter(form);
  EXPECT_EQ(form.focusWidget(), form.TextOperatorName());
  QTest::keyClicks(form.TextOperatorName(), "J. Doe");
  Enter(form);
  EXPECT_EQ(form.focusWidget(), form.TextComments());
  QTest::keyClicks(form.TextComments(), "after repair");
  Enter(form);
  EXPECT_EQ(form.focusWidget(), form.ButtonOK());
  Enter(form);  // on OK, Enter presses it

  EXPECT_FALSE(form.isVisible());
  ASSERT_TRUE(form.Result());
  EXPECT_EQ(form.Result()->serial, "A1-B");
  EXPECT_EQ(form.Result()->name, "A1-B-0123456789abc");
  EXPECT_EQ(form.Result()->operatorName, "J. Doe");
  EXPECT_EQ(form.Result()->comments, "after repair");
  EXPECT_FALSE(form.Result()->idMode);
}

TEST(CreateLogFileForm, WithoutANameOkIsOffAndEnterGoesToCancel) {
  ScriptedOperator technician;
  CreateLogFileForm form(technician);
  ShowActive(form);
  QTest::keyClicks(form.TextSN(), "x");
  form.TextLogFileName()->setFocus();
  QTest::keyClick(form.TextLogFileName(), Qt::Key_Backspace);
  EXPECT_FALSE(form.ButtonOK()->isEnabled());
  form.TextComments()->setFocus();
  Enter(form);
  EXPECT_EQ(form.focusWidget(), form.ButtonCancel());
  Enter(form);
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.Result());
}

TEST(CreateLogFileForm, IdModeEmptiesTheSerialWidensItAndKeepsItsCase) {
  ScriptedOperator technician;
  CreateLogFileForm form(technician);
  ShowActive(form);
  EXPECT_EQ(form.Label1()->text().toStdString(), "Serial Number: ");
  // Never narrower than designed, and a long serial shows whole.
  EXPECT_GE(form.TextSN()->width(), Px(795));
  QTest::keyClicks(form.TextSN(), "b0123456789-abcdefgh");
  EXPECT_EQ(Text(form.TextSN()), "B0123456789-ABCDEFGH");
  EXPECT_GT(form.TextSN()->width(), form.TextSN()->fontMetrics().horizontalAdvance(form.TextSN()->text()));
  QTest::mouseClick(form.CheckID(), Qt::LeftButton);
  EXPECT_EQ(form.Label1()->text().toStdString(), "ID: ");
  EXPECT_GE(form.TextSN()->width(), Px(1935));
  EXPECT_EQ(Text(form.TextSN()), "");
  EXPECT_EQ(Text(form.TextLogFileName()), "");
  EXPECT_EQ(form.focusWidget(), form.TextSN());

  QTest::keyClicks(form.TextSN(), "Rack 4b");
  EXPECT_EQ(Text(form.TextSN()), "Rack 4b");
  QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  ASSERT_TRUE(form.Result());
  EXPECT_TRUE(form.Result()->idMode);
  EXPECT_EQ(form.Result()->name, "Rack 4b");
}

TEST(CreateLogFileForm, ABadNameIsReportedAndCanBeCorrectedInPlace) {
  ScriptedOperator technician;
  technician.Expect("Logfile Name must be without extension.", 16, "Filename Error", kOk)
      .Expect("Logfile Name contains illegal character: /.", 16, "Filename Error", kOk);
  CreateLogFileForm form(technician);
  ShowActive(form);
  QTest::keyClicks(form.TextLogFileName(), "test.log*");
  QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Text(form.TextLogFileName()), "test.log*");

  form.TextLogFileName()->clear();
  QTest::keyClicks(form.TextLogFileName(), "a/b");
  QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.Result());

  form.TextLogFileName()->clear();
  QTest::keyClicks(form.TextLogFileName(), "unit7");
  QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  ASSERT_TRUE(form.Result());
  EXPECT_EQ(form.Result()->name, "unit7");
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

// Whose unit it is goes with the record's entries, beside the log header's fields.
TEST(CreateLogFileForm, CustomerAndAssetGoToTheRecord) {
  ScriptedOperator technician;
  CreateLogFileForm form(technician);
  ShowActive(form);
  QTest::keyClicks(form.TextLogFileName(), "unit7");
  QTest::keyClicks(form.Customer(), "  Acme, Inc. ");
  QTest::keyClicks(form.Asset(), "A-17");
  QTest::keyClicks(form.Temperature(), "22,5");
  QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  ASSERT_TRUE(form.Result());
  EXPECT_EQ(form.RecordResult().customer, "Acme, Inc.");
  EXPECT_EQ(form.RecordResult().assetId, "A-17");
  EXPECT_EQ(form.RecordResult().temperatureC, 22.5);
  EXPECT_EQ(form.Result()->comments, "");  // the log header is not touched
}

// A log opened again offers what was kept with it; a condition out of range is said and kept
// for correcting; Cancel carries nothing over.
TEST(LogRecordForm, OffersWhatWasKeptAndChecksIt) {
  ScriptedOperator technician;
  technician.Expect("The humidity is a relative humidity in percent (0 to 100), or empty.", kOkOnly + kExclamation,
                    "Calibration Record", kOk);
  LogRecordForm form(technician, "U7.log", LogRecordEntries{RunLabel::AsLeft, 21.0, 45.0, "Acme", "A-17"});
  ShowActive(form);
  EXPECT_NE(form.Note()->text().indexOf("kept with the log"), -1);
  EXPECT_EQ(Text(form.Boxes().customer), "Acme");
  EXPECT_EQ(Text(form.Boxes().temperature), "21");
  EXPECT_EQ(form.Boxes().condition->currentIndex(), 1);
  form.Boxes().humidity->setText("140");
  QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.Result());
  form.Boxes().humidity->setText("38");
  QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  ASSERT_TRUE(form.Result());
  EXPECT_EQ(form.Result()->humidityPercent, 38.0);
  EXPECT_EQ(form.Result()->assetId, "A-17");
  EXPECT_EQ(form.Result()->label, RunLabel::AsLeft);
  EXPECT_TRUE(technician.ExpectAllConsumed());

  LogRecordForm empty(technician, "OLD.log", std::nullopt);
  ShowActive(empty);
  EXPECT_NE(empty.Note()->text().indexOf("Nothing is kept"), -1);
  EXPECT_TRUE(empty.Boxes().customer->text().isEmpty());
  empty.reject();
  EXPECT_FALSE(empty.Result());
}

class LogFolder : public ::testing::Test {
 protected:
  LogFolder() : folder(fs::temp_directory_path() / ("logforms_" + std::to_string(::getpid()))) {
    fs::create_directories(folder);
    for (const char* name : {"unit9.log", "unit7.log", "unit7.tst", "notes.txt"}) std::ofstream(folder / name) << "x";
  }
  ~LogFolder() override { fs::remove_all(folder); }
  fs::path folder;
};

TEST_F(LogFolder, TheFirstLogIsPickedAndAnotherCanBe) {
  OpenLogFileForm form(folder.string());
  ShowActive(form);
  EXPECT_EQ(form.windowTitle().toStdString(), "Open Log File");
  QListWidget* list = form.LogFileList();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text().toStdString(), "unit7.log");
  EXPECT_EQ(list->item(1)->text().toStdString(), "unit9.log");
  // The first log is picked when the dialog opens, so Enter opens it.
  EXPECT_TRUE(list->item(0)->isSelected());
  EXPECT_TRUE(form.OpenFileButton()->isEnabled());

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  EXPECT_TRUE(form.OpenFileButton()->isEnabled());
  QTest::mouseClick(form.OpenFileButton(), Qt::LeftButton);
  EXPECT_EQ(form.Result(), std::optional<std::string>("unit9"));

  OpenLogFileForm again(folder.string());
  ShowActive(again);
  Enter(again);
  EXPECT_EQ(again.Result(), std::optional<std::string>("unit7"));
}

TEST_F(LogFolder, TheDialogsAreModalDoubleClickOpensCancelAnswersNone) {
  ScriptedOperator technician;
  QtLogDialogs dialogs(technician);
  std::optional<std::string> opened;
  auto run = testing::RunModal<OpenLogFileForm>([&] { opened = dialogs.OpenLogFileForm(folder.string()); },
                                                [](OpenLogFileForm& form) {
                                                  QListWidget* list = form.LogFileList();
                                                  const QPoint at = list->visualItemRect(list->item(0)).center();
                                                  // A double click as the mouse sends it.
                                                  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                                                  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                                                });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
  EXPECT_EQ(opened, std::optional<std::string>("unit7"));

  run = testing::RunModal<OpenLogFileForm>([&] { opened = dialogs.OpenLogFileForm(folder.string()); },
                                           [](OpenLogFileForm& form) { form.CancelButton()->click(); });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(opened);

  std::optional<CreateLogEntries> created;
  run = testing::RunModal<CreateLogFileForm>([&] { created = dialogs.CreateLogFileForm(); },
                                             [](CreateLogFileForm& form) {
                                               QTest::keyClicks(form.TextSN(), "b123");
                                               QTest::keyClick(form.TextSN(), Qt::Key_Escape);
                                             });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
  EXPECT_FALSE(created);  // Escape, like the title bar's close, is a Cancel
}

TEST(PrintPreview, ShowsThePagesPrintWouldPrintAndIsOfferedWithPrint) {
  ScriptedOperator technician;
  std::string text;
  for (int line = 1; line <= 49; ++line) text += "row " + std::to_string(line) + "\r\n";
  int pages = -1;
  auto run = testing::RunModal<QPrintPreviewDialog>([&] { EXPECT_TRUE(ShowPrintPreview(technician, text)); },
                                                    [&](QPrintPreviewDialog& dialog) {
                                                      auto* preview = dialog.findChild<QPrintPreviewWidget*>();
                                                      if (preview != nullptr) pages = preview->pageCount();
                                                      dialog.reject();
                                                    });
  EXPECT_TRUE(run.shown);
  EXPECT_EQ(pages, 2);  // 48 lines a page

  QAction print;
  QAction preview;
  print.setEnabled(false);
  FollowEnabled(preview, print);
  EXPECT_FALSE(preview.isEnabled());
  print.setEnabled(true);
  EXPECT_TRUE(preview.isEnabled());
}

}  // namespace
}  // namespace veridane
