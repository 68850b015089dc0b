// Faultbook's window on the offscreen platform: what it shows after its first activation, and
// its commands (refresh, clear, copy to file, print, About) driven as the technician would.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "faultbook/error_log_print.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "scope/scope_identity.h"
#include "test/support/widget_checks.h"
#include "test/support/recording_gpib.h"
#include "test/support/scripted_operator.h"
#include "ui/qt/err_about_form.h"
#include "ui/qt/click_label.h"
#include "ui/qt/error_log_form.h"
#include "platform_qt/qt_printer.h"

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
constexpr int kScopeAddress = 2;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

class ErrorLogWindow : public ::testing::Test {
 protected:
  ErrorLogWindow() : root(fs::temp_directory_path() / ("faultbook_window_" + std::to_string(::getpid()))) {
    fs::remove_all(root);
    scope.ScopeDevice = bus.ibdev(0, kScopeAddress, 0, 12, 1, 0);
    scope.ScopeModel = "TDS 350";
    bus.listeners.found = {Listener{static_cast<int16_t>(kScopeAddress), false, scope.ScopeDevice}};
    dialogs.chooseSaveFile = [this](QWidget*, const std::string& initialPath) {
      offeredPath = initialPath;
      return chosenPath;
    };
    dialogs.print = [this](QWidget*, Operator&, const std::string& header, const Texts& entries) {
      printedHeader = header;
      printedEntries = entries;
      return printWorks;
    };
    gpib.ClearLog();
  }
  ~ErrorLogWindow() override { fs::remove_all(root); }
  void TearDown() override { op.ExpectAllConsumed(); }

  // Shows the window and lets its first activation run.
  std::unique_ptr<ErrorLogForm> Open() {
    auto form = std::make_unique<ErrorLogForm>(seams, dialogs);
    form->show();
    EXPECT_TRUE(QTest::qWaitFor([this] { return gpib.Count("ibrd") > 0; }, 5000));
    QApplication::processEvents();
    return form;
  }
  static Texts Items(QListWidget* list) {
    Texts items;
    for (int i = 0; i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
    return items;
  }

  fs::path root;
  RecordingGpib gpib;
  ScriptedOperator op;
  VirtualClock clock;
  GpibBus bus{gpib, op, clock};
  ScopeIdentity scope;
  Paths paths{root.string(), true};
  FaultbookSeams seams{Faultbook(bus, scope), op, paths, " [Simulated bench]"};
  FaultbookDialogs dialogs;
  std::string offeredPath;
  std::string chosenPath;
  std::string printedHeader;
  Texts printedEntries;
  bool printWorks = true;
};

TEST_F(ErrorLogWindow, FirstActivationReadsTheLogIntoTheList) {
  gpib.AddReply(kScopeAddress, "\"Fan stalled\",\"CH1 \xB1 drift\"\n");
  gpib.AddReply(kScopeAddress, "\"\"\n");
  auto form = Open();
  EXPECT_EQ(form->windowTitle().toStdString(),
            "Embedded Faultbook   -   Connected to TDS 350 @ GPIB Addr: 2 [Simulated bench]");
  EXPECT_EQ(gpib.WrittenTo(kScopeAddress), (Texts{"HEAD 0", "PASSWORD TANGELO", "ERRLOG?", "ERRLOG:NEXT?"}));
  EXPECT_EQ(Items(form->List1()), (Texts{"Fan stalled", "CH1 \xC2\xB1 drift"}));
  EXPECT_EQ(form->Label1()->text().toStdString(), " 2 logged errors found.");
  EXPECT_TRUE(form->ClearButton()->isEnabled());
  for (const char* name : {"PrintErrorLog", "SendErrorLogToFile", "ClearErrorLog0"})
    EXPECT_TRUE(form->Action(name)->isEnabled()) << name;
  EXPECT_EQ(form->Action("SendErrorLogToFile")->text().toStdString(), "Copy to &File");

  // Showing it again does not read again; Refresh does, with the password first.
  form->hide();
  form->show();
  QApplication::processEvents();
  gpib.ClearLog();
  gpib.AddReply(kScopeAddress, "\"\"\n");
  QTest::mouseClick(form->RefreshButton(), Qt::LeftButton);
  EXPECT_EQ(gpib.WrittenTo(kScopeAddress), (Texts{"HEAD 0", "PASSWORD TANGELO", "ERRLOG?"}));
  EXPECT_EQ(form->List1()->count(), 0);
  EXPECT_EQ(form->Label1()->text().toStdString(), " No logged errors found.");
  EXPECT_FALSE(form->ClearButton()->isEnabled());
  for (const char* name : {"PrintErrorLog", "SendErrorLogToFile", "ClearErrorLog0"})
    EXPECT_FALSE(form->Action(name)->isEnabled()) << name;
}

TEST_F(ErrorLogWindow, ClearAsksTwiceThenClearsAndReadsAgain) {
  gpib.AddReply(kScopeAddress, "\"Fan stalled\",\"\"\n");
  auto form = Open();
  gpib.ClearLog();
  op.Expect("This will clear the error log in the scope.\nAre you sure you want to do this ?", 4, "Clear Error Log",
            kYes);
  op.Expect("Click Yes to confirm.", 4, "Clear Error Log", kNo);
  QTest::mouseClick(form->ClearButton(), Qt::LeftButton);
  EXPECT_TRUE(gpib.WrittenTo(kScopeAddress).empty());
  EXPECT_EQ(form->List1()->count(), 1);

  op.Expect("This will clear the error log in the scope.\nAre you sure you want to do this ?", 4, "Clear Error Log",
            kYes);
  op.Expect("Click Yes to confirm.", 4, "Clear Error Log", kYes);
  gpib.AddReply(kScopeAddress, "\"\"\n");
  form->Action("ClearErrorLog0")->trigger();
  EXPECT_EQ(gpib.WrittenTo(kScopeAddress), (Texts{"ERRLOG CLEAR", "ERRLOG?"}));
  EXPECT_EQ(form->Label1()->text().toStdString(), " No logged errors found.");
}

TEST_F(ErrorLogWindow, CopyToFileStartsInTheFaultbookFolderAndWritesTheLog) {
  gpib.AddReply(kScopeAddress, "\"A \xB5\",\"B\",\"\"\n");
  auto form = Open();
  chosenPath = (root / "Faultbook" / "Simulated" / "scope 42.txt").string();
  form->Action("SendErrorLogToFile")->trigger();
  EXPECT_EQ(offeredPath, (root / "Faultbook" / "Simulated" / "ErrorLog1").string());
  const std::string text = ReadBytes(chosenPath);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
  EXPECT_NE(text.find("\r\nError Log from TDS 350, S/N ________________ / "), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\nA \xB5\r\nB\r\n"), std::string::npos);

  // Cancel writes nothing; a failed write is said.
  chosenPath.clear();
  form->Action("SendErrorLogToFile")->trigger();
  chosenPath = (root / "missing" / "x.txt").string();
  op.ExpectContaining("The error log could not be written to\n", kOkOnly + kExclamation, "Save the Error Log", kOk);
  form->Action("SendErrorLogToFile")->trigger();
  EXPECT_FALSE(fs::exists(chosenPath));
}

TEST_F(ErrorLogWindow, PrintHandsOverTheHeaderAndTheEntries) {
  gpib.AddReply(kScopeAddress, "\"A\",\"B\",\"\"\n");
  auto form = Open();
  form->Action("PrintErrorLog")->trigger();
  EXPECT_EQ(printedEntries, (Texts{"A", "B"}));
  EXPECT_EQ(printedHeader.rfind("Error Log from TDS 350, S/N ________________ / ", 0), 0u);
  printWorks = false;
  op.Expect("The error log could not be printed.", kOkOnly + kExclamation, "Print", kOk);
  form->Action("PrintErrorLog")->trigger();
}

TEST_F(ErrorLogWindow, AboutBoxIsModalWithItsCreditAndMailNote) {
  gpib.AddReply(kScopeAddress, "\"\"\n");
  auto form = Open();
  op.Expect("Use mail function on the About form of the main program instead.", 64, "Email", kOk);
  const ModalRun run = RunModal<errAboutForm>([&] { form->Action("errAbout")->trigger(); },
                                              [](errAboutForm& about) {
                                                EXPECT_EQ(about.windowTitle().toStdString(), "About embedded Faultbook");
                                                EXPECT_FALSE(about.CommandCheckUpdate()->isVisible());
                                                EXPECT_TRUE(about.LabelAbout()->text().endsWith("\n\n"));
                                                QTest::mouseClick(about.LabelEMail(), Qt::LeftButton);
                                                QTest::keyClick(about.CommandOK(), Qt::Key_Escape);
                                              });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
}

TEST_F(ErrorLogWindow, OneCommandAtATimeAndAProgramEndClosesTheWindow) {
  // A click on Refresh while the first reading waits on the bus is not taken.
  gpib.AddReply(kScopeAddress, "\"A\",\"\"\n");
  auto form = std::make_unique<ErrorLogForm>(seams, dialogs);
  clock.ScheduleAfter(0.05, [&] { form->RefreshButton()->click(); });
  form->show();
  EXPECT_TRUE(QTest::qWaitFor([this] { return gpib.Count("ibrd") > 0; }, 5000));
  EXPECT_EQ(gpib.WrittenTo(kScopeAddress), (Texts{"HEAD 0", "PASSWORD TANGELO", "ERRLOG?"}));
  EXPECT_EQ(form->List1()->count(), 1);

  // A bus error answered with Cancel ends the program: the window closes and the end reaches
  // the opener, not Qt's event handling.
  gpib.FailNext("ibwrt", 6);
  op.ExpectContaining("Cancel to terminate program.", kOkCancel + kExclamation, "GPIB ERROR # 6", kCancel);
  form->RefreshButton()->click();
  EXPECT_FALSE(form->isVisible());
  EXPECT_THROW(form->RethrowIfEnded(), ProgramEnded);
  EXPECT_FALSE(op.Busy());
}

TEST(ErrorLogOnPrinter, ALongLogFillsMorePagesOfAPdf) {
  const fs::path pdf = fs::temp_directory_path() / ("faultbook_" + std::to_string(::getpid()) + ".pdf");
  auto pagesFor = [&](size_t entries) {
    QtPrinter printer;
    EXPECT_TRUE(printer.SetTarget(PrintTarget{"", pdf.string()}));
    ErrorLogOnPrinter out(printer);
    PrintErrorLog(out, "Error Log from TDS 340", Texts(entries, "Entry \xB5"), 1);
    EXPECT_FALSE(out.Failed());
    const std::string bytes = ReadBytes(pdf);
    int pages = 0;
    for (size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
      if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
    return pages;
  };
  EXPECT_EQ(pagesFor(3), 1);
  // A page takes 47 entries below the header: 120 entries need three pages.
  EXPECT_EQ(pagesFor(120), 3);
  fs::remove(pdf);
}

}  // namespace
}  // namespace veridane::testing
