#include "ui/qt/qt_main_view.h"
#include "pv/catalogue.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

#include "ui/qt/main_form.h"
#include "ui/qt/verdict_colours.h"
#include "platform/event_loop.h"
#include "test/support/scripted_operator.h"
#include "pv/frame/result_display.h"
#include "pv/frame/status_list.h"
#include "pv/frame/test_frame.h"

namespace veridane {
namespace {

using testing::ScriptedOperator;

std::string Shown(const QString& text) { return text.toStdString(); }

// The real window behind the real result display, status list and test frame.
struct Bench {
  MainForm form;
  QtMainView view{form};
  RunState state;
  ScriptedOperator technician;
  VirtualClock clock;
  ResultDisplay display{view, state, technician, clock};
  TestFrame frame{state, view, display, technician, clock};

  Bench() {
    GiveTitles(frame.Hooks());
    frame.NameTests();
    state.MainTitle = "Veridane, v1.0 - Feb 2025 / QZ";
  }
  QColor CounterColour(int index) const {
    const QLabel* counter = form.Label2(index);
    return counter->palette().color(counter->foregroundRole());
  }
  QColor ButtonText() const { return form.palette().color(QPalette::ButtonText); }
};

TEST(DisplayUtf8, LineEndsAndEightBitCharacters) {
  EXPECT_EQ(DisplayUtf8("a\r\nb"), "a\nb");
  EXPECT_EQ(DisplayUtf8("\r\n"), "\n");
  EXPECT_EQ(DisplayUtf8("5.00 \xB5V \xB1"), "5.00 \xC2\xB5V \xC2\xB1");
  // A CR that ends no line is dropped, wherever it stands.
  EXPECT_EQ(DisplayUtf8("a\r"), "a");
  EXPECT_EQ(DisplayUtf8("a\r\r\nb\rc"), "a\nbc");
  EXPECT_EQ(DisplayUtf8(""), "");
}

TEST(QtMainView, CaptionAndLogFileLabelAreShownInUtf8) {
  MainForm form;
  QtMainView view(form);
  view.SetCaption("Offset at Zero - Test ACQ / 1 of 3  (Auto)");
  EXPECT_EQ(Shown(form.windowTitle()), "Offset at Zero - Test ACQ / 1 of 3  (Auto)");
  view.SetCaption("Pr\xFC" "fung");
  EXPECT_EQ(Shown(form.windowTitle()), "Pr\xC3\xBC" "fung");

  EXPECT_EQ(Shown(form.Label(8)->text()), "N/A");
  view.SetLogFileLabel("TDS340 \xB5 1.log");
  EXPECT_EQ(Shown(form.Label(8)->text()), "TDS340 \xC2\xB5 1.log");
  view.SetLogFileLabel("N/A");
  EXPECT_EQ(Shown(form.Label(8)->text()), "N/A");
}

TEST(QtMainView, DisplayMirrorsTheResultDisplayRowByRow) {
  Bench bench;
  QPlainTextEdit* display = bench.form.Display();
  bench.state.CurrentTest = kTestOffsetZero;
  bench.display.PrintFirst("Test ACQ / 1 of 3", "Channel   Scale    Reading");
  bench.display.PrintScreen("CH1       5mV      -120.0 \xB5V   PASS");
  EXPECT_EQ(Shown(display->toPlainText()), DisplayUtf8(bench.display.Text()));
  // The heading's leading empty row finds the display empty and leaves nothing.
  EXPECT_EQ(display->blockCount(), 4);
  EXPECT_EQ(Shown(display->document()->firstBlock().text()), "Offset at Zero - Test ACQ / 1 of 3");
  EXPECT_EQ(Shown(display->document()->lastBlock().text()), "CH1       5mV      -120.0 \xC2\xB5V   PASS");

  // An empty row after text is a line of its own.
  bench.display.PrintScreen("");
  EXPECT_EQ(display->blockCount(), 5);
  EXPECT_EQ(Shown(display->toPlainText()), DisplayUtf8(bench.display.Text()));

  // A re-opened log replaces the text as a whole.
  bench.display.SetText("first\r\nsecond");
  EXPECT_EQ(Shown(display->toPlainText()), "first\nsecond");
  bench.display.PrintScreen("third");
  EXPECT_EQ(Shown(display->toPlainText()), "first\nsecond\nthird");
}

// Foreground of every character of a display row, as (colour, bold) runs by position.
QColor ColourAt(const QPlainTextEdit* display, int row, int column) {
  const QTextBlock block = display->document()->findBlockByNumber(row);
  for (const QTextLayout::FormatRange& range : block.textFormats())
    if (column >= range.start && column < range.start + range.length)
      return range.format.hasProperty(QTextFormat::ForegroundBrush) ? range.format.foreground().color() : QColor();
  return QColor();
}

bool BoldAt(const QPlainTextEdit* display, int row, int column) {
  const QTextBlock block = display->document()->findBlockByNumber(row);
  for (const QTextLayout::FormatRange& range : block.textFormats())
    if (column >= range.start && column < range.start + range.length) return range.format.fontWeight() == QFont::Bold;
  return false;
}

StepResult Shown(std::string text, Verdict verdict) {
  StepResult result;
  result.text = std::move(text);
  result.verdict = verdict;
  return result;
}

// The colour follows the judged step, not the text: a row printed as text stays plain whatever
// it ends with; a text shown again from a log is coloured by the verdict its rows end with.
TEST(QtMainView, FailRowsAreRedAndMarginalPassesAmberByTheirResults) {
  Bench bench;
  const std::string header = "CHANNEL   MEASURED        PASS/FAIL";
  bench.display.PrintScreen(header);
  bench.display.Step(AssessedStep{Shown(" CH 1     -10.4 mV            PASS", Verdict::Pass)});
  bench.display.Step(AssessedStep{Shown(" CH 2      20.0 \xB5V           FAIL", Verdict::Fail)});
  bench.display.Step(AssessedStep{Shown(" CH 2      3.90 mV           >PASS", Verdict::Marginal)});
  bench.display.PrintScreen(" FAIL noted by hand, CH 2    FAIL");
  const QPlainTextEdit* display = bench.form.Display();
  // The text is untouched.
  EXPECT_EQ(display->toPlainText().toStdString(),
            header + "\n CH 1     -10.4 mV            PASS\n CH 2      20.0 \xC2\xB5V           FAIL\n"
                     " CH 2      3.90 mV           >PASS\n FAIL noted by hand, CH 2    FAIL");
  EXPECT_FALSE(ColourAt(display, 0, 30).isValid());  // "PASS/FAIL" in the header
  EXPECT_FALSE(ColourAt(display, 1, 30).isValid());
  EXPECT_EQ(ColourAt(display, 2, 1), FailColour());
  EXPECT_EQ(ColourAt(display, 2, 31), FailColour());
  EXPECT_TRUE(BoldAt(display, 2, 29));   // F of FAIL (the row has one 2-byte character before it)
  EXPECT_FALSE(BoldAt(display, 2, 28));
  EXPECT_FALSE(BoldAt(display, 2, 1));
  EXPECT_EQ(ColourAt(display, 3, 1), MarginalColour());
  EXPECT_FALSE(ColourAt(display, 4, 1).isValid());   // text, not a result
  // A row appended after a red one is not red.
  bench.display.Step(AssessedStep{Shown(" CH 1      1.00 mV            PASS", Verdict::Pass)});
  EXPECT_FALSE(ColourAt(display, 5, 1).isValid());
  // No reading is a failure.
  bench.display.Step(AssessedStep{Shown(" CH 1    no reading            FAIL", Verdict::NotMeasurable)});
  EXPECT_EQ(ColourAt(display, 6, 1), FailColour());

  // A display replaced as a whole (a log appended to) is coloured as well.
  bench.view.SetDisplayText("a    PASS\r\nb    FAIL");
  EXPECT_FALSE(ColourAt(display, 0, 0).isValid());
  EXPECT_EQ(ColourAt(display, 1, 0), FailColour());
}

TEST(QtMainView, FirstRowEnablesPrintAndClearAndClearingDisablesThem) {
  Bench bench;
  QAction* print = bench.form.Item("PrintStart");
  QAction* clear = bench.form.Item("ClearTests");
  QPushButton* clear2 = bench.form.ClearTests2();
  ASSERT_FALSE(print->isEnabled());
  ASSERT_FALSE(clear->isEnabled());
  ASSERT_FALSE(clear2->isEnabled());

  bench.display.PrintScreen("row");
  EXPECT_TRUE(print->isEnabled());
  EXPECT_TRUE(clear->isEnabled());
  EXPECT_TRUE(clear2->isEnabled());

  bench.state.TestStatus[kTestGain] = TestOutcome::Failed;
  bench.technician.Expect("This will clear screen and (re)set all test status.\r\nDo you want to continue ?", 36,
                          "Create Log File", kYes);
  bench.display.ClearTests();
  EXPECT_TRUE(bench.technician.ExpectAllConsumed());
  EXPECT_TRUE(bench.form.Display()->toPlainText().isEmpty());
  EXPECT_FALSE(print->isEnabled());
  EXPECT_FALSE(clear->isEnabled());
  EXPECT_FALSE(clear2->isEnabled());
  EXPECT_EQ(Shown(bench.form.Label2(1)->text()), "0");
  EXPECT_EQ(bench.CounterColour(1), bench.ButtonText());
}

TEST(QtMainView, ShowDisplayEndPutsTheCaretAtTheStartOfTheLastLineInView) {
  Bench bench;
  bench.form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bench.form));
  QPlainTextEdit* display = bench.form.Display();
  for (int row = 1; row <= 120; ++row) bench.display.PrintScreen("row " + std::to_string(row));
  // A last row far wider than the box: the view must still show its start.
  bench.display.PrintScreen("last " + std::string(400, '='));
  QApplication::processEvents();

  const QTextCursor caret = display->textCursor();
  EXPECT_EQ(caret.blockNumber(), display->blockCount() - 1);
  EXPECT_EQ(caret.positionInBlock(), 0);
  EXPECT_FALSE(caret.hasSelection());
  EXPECT_GT(display->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(display->verticalScrollBar()->value(), display->verticalScrollBar()->maximum());
  EXPECT_EQ(display->horizontalScrollBar()->value(), display->horizontalScrollBar()->minimum());
  EXPECT_EQ(bench.form.focusWidget(), display);
  EXPECT_TRUE(display->viewport()->rect().contains(display->cursorRect()));
}

TEST(QtMainView, StatusListAndCountersWithFailInRed) {
  Bench bench;
  bench.state.TestStatus = {TestOutcome::NotRun, TestOutcome::Passed, TestOutcome::Failed, TestOutcome::NotRun, TestOutcome::NotRun, TestOutcome::Passed};
  bench.frame.TestStatusUpdate();

  QListWidget* list = bench.form.StatusList();
  ASSERT_EQ(list->count(), 6);
  EXPECT_EQ(Shown(list->item(0)->text()), std::string(20, ' ') + "Offset at Zero - PASS");
  EXPECT_EQ(Shown(list->item(1)->text()), std::string(12, ' ') + "DC Voltage Measurement - FAIL");
  EXPECT_EQ(Shown(list->item(3)->text()), "Long Term Sample Rate & Delay Time - N/A");
  EXPECT_EQ(Shown(bench.form.Label2(0)->text()), "2");
  EXPECT_EQ(Shown(bench.form.Label2(1)->text()), "1");
  EXPECT_EQ(Shown(bench.form.Label2(2)->text()), "2");
  EXPECT_EQ(bench.CounterColour(1), QColor(255, 0, 0));
  EXPECT_EQ(bench.CounterColour(0), bench.ButtonText());
  EXPECT_EQ(bench.CounterColour(2), bench.ButtonText());

  // Once nothing fails the counter turns back; the list is rebuilt, not extended.
  bench.state.TestStatus[kTestGain] = TestOutcome::Passed;
  bench.frame.TestStatusUpdate();
  EXPECT_EQ(list->count(), 6);
  EXPECT_EQ(Shown(list->item(1)->text()), std::string(12, ' ') + "DC Voltage Measurement - PASS");
  EXPECT_EQ(Shown(bench.form.Label2(1)->text()), "0");
  EXPECT_EQ(bench.CounterColour(1), bench.ButtonText());
  EXPECT_NE(bench.CounterColour(1), QColor(255, 0, 0));
}

TEST(QtMainView, CounterOutsideTheThreeChangesNothing) {
  MainForm form;
  QtMainView view(form);
  view.SetCounter(3, "9", true);
  view.SetCounter(-1, "9", true);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Shown(form.Label2(i)->text()), "0");
}

TEST(QtMainView, EnablesMenusItemsAndButtonsByName) {
  MainForm form;
  QtMainView view(form);
  for (const char* menu : {"F", "P", "U", "V", "A"}) {
    view.SetEnabled(menu, false);
    EXPECT_FALSE(form.Item(menu)->isEnabled()) << menu;
    view.SetEnabled(menu, true);
    EXPECT_TRUE(form.Item(menu)->isEnabled()) << menu;
  }
  for (const char* item : {"DisableAuto", "CloseLogFile", "PrintStart"}) {
    view.SetEnabled(item, true);
    EXPECT_TRUE(form.Item(item)->isEnabled()) << item;
  }
  view.SetEnabled(ui::kAppendLogFile, false);
  EXPECT_FALSE(form.Item("AppendLogFile")->isEnabled());

  view.SetEnabled(ui::kExitTestButton, true);
  EXPECT_TRUE(form.ExitTestButton()->isEnabled());
  view.SetEnabled(ui::kClearTests2, true);
  EXPECT_TRUE(form.ClearTests2()->isEnabled());
  view.SetEnabled(ui::kClearTests2, false);
  EXPECT_FALSE(form.ClearTests2()->isEnabled());
  // The menu item of the same command is a control of its own.
  EXPECT_FALSE(form.Item("ClearTests")->isEnabled());
  view.SetEnabled(ui::kClearTests, true);
  EXPECT_TRUE(form.Item("ClearTests")->isEnabled());
  EXPECT_FALSE(form.ClearTests2()->isEnabled());

  // A name the window does not have is harmless.
  view.SetEnabled("NoSuchControl", false);
  EXPECT_TRUE(form.ExitTestButton()->isEnabled());
  EXPECT_TRUE(form.Item("F")->isEnabled());
}

TEST(QtMainView, TestFrameLocksTheMenusAndArmsExitTestWhileATestRuns) {
  Bench bench;
  bench.technician.Expect("Test Passed.              ", 64, "Offset at Zero / End of Test", kOk);
  bench.frame.Run(kTestOffsetZero, {"Test ACQ / 1 of 3", nullptr,
                                    [&](StopToken) {
                                      EXPECT_EQ(Shown(bench.form.windowTitle()), "Offset at Zero - Test ACQ / 1 of 3");
                                      for (const char* menu : {"F", "P", "U", "V", "A"})
                                        EXPECT_FALSE(bench.form.Item(menu)->isEnabled()) << menu;
                                      EXPECT_TRUE(bench.form.ExitTestButton()->isEnabled());
                                      return TestOutcome::Passed;
                                    },
                                    InputsConnected::No});
  EXPECT_TRUE(bench.technician.ExpectAllConsumed());
  EXPECT_EQ(Shown(bench.form.windowTitle()), bench.state.MainTitle);
  for (const char* menu : {"F", "P", "U", "V", "A"}) EXPECT_TRUE(bench.form.Item(menu)->isEnabled()) << menu;
  EXPECT_FALSE(bench.form.ExitTestButton()->isEnabled());
  EXPECT_EQ(Shown(bench.form.StatusList()->item(0)->text()), std::string(20, ' ') + "Offset at Zero - PASS");
}

TEST(QtMainView, ExitTestPressedByTheTechnicianDisablesItself) {
  Bench bench;
  bench.form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bench.form));
  QObject::connect(bench.form.ExitTestButton(), &QPushButton::clicked, [&] { bench.frame.ExitTest(); });
  bench.frame.Run(kTestGain, {"", nullptr, [&](StopToken stop) {
                                QTest::mouseClick(bench.form.ExitTestButton(), Qt::LeftButton);
                                EXPECT_TRUE(stop.Raised());
                                EXPECT_FALSE(bench.form.ExitTestButton()->isEnabled());
                                return TestOutcome::Stopped;
                              },
                              InputsConnected::No});
}

TEST(QtMainView, CheckingShowTestStatusMovesTheDisplayToo) {
  MainForm form;
  QtMainView view(form);
  const int fullHeight = form.Display()->height();
  view.SetChecked("ShowTestStatus", true);
  EXPECT_TRUE(form.TestStatusShown());
  EXPECT_TRUE(form.Item("ShowTestStatus")->isChecked());
  EXPECT_LT(form.Display()->height(), fullHeight);
  // Asking for the state it already has does not toggle it back.
  view.SetChecked("ShowTestStatus", true);
  EXPECT_TRUE(form.TestStatusShown());
  view.SetChecked("ShowTestStatus", false);
  EXPECT_FALSE(form.TestStatusShown());
  EXPECT_FALSE(form.Item("ShowTestStatus")->isChecked());
  EXPECT_EQ(form.Display()->height(), fullHeight);

  view.SetChecked("DisableAuto", true);
  EXPECT_TRUE(form.Item("DisableAuto")->isChecked());
  view.SetChecked("DisableAuto", false);
  EXPECT_FALSE(form.Item("DisableAuto")->isChecked());
  view.SetChecked("NoSuchItem", true);  // harmless
}

}  // namespace
}  // namespace veridane

namespace veridane {
namespace {

// View > Show Uncertainty: U and TUR after each result row, in the window only; the rows keep
// their colours and the program's text (log, printout) stays as it was.
TEST(QtMainView, ShowUncertaintyAddsUAndTurColumnsToResultRowsInTheWindowOnly) {
  Bench bench;
  UncertaintyFigure dc;
  dc.percentOfValue = 0.02;
  dc.absolute = 50e-6;
  bench.state.StandardUncertainties = {dc};
  auto result = [&](const std::string& row, float measured) {
    StepResult judged = MakeStepResult("CH1 5 mV/div -990 mV", "V", Judge(-0.99f, -0.008f, JudgeMode::TwoSided, measured), measured);
    judged.text = row;
    bench.display.Step(MakeAssessedStep(bench.state, std::move(judged),
                                        {StandardSetting{StandardFunction::DcVoltage, -0.99, std::nullopt}}));
  };
  bench.display.PrintScreen("  CH  DC VOLTAGE   MEASURED PASS/FAIL");
  result(" CH 1  -990 mV   -1.000  V     FAIL", -1.0f);
  const std::string programText = bench.display.Text();
  const QPlainTextEdit* display = bench.form.Display();
  QAction* item = bench.form.Item("ShowUncertainty");
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(item->isCheckable());

  item->setChecked(true);
  // The columns start where the heading's do (it is two characters longer than the row).
  EXPECT_EQ(Shown(display->document()->findBlockByNumber(1).text()),
            " CH 1  -990 mV   -1.000  V     FAIL     U \xC2\xB1" "248.0 \xC2\xB5V     TUR 32.3:1");
  EXPECT_EQ(ColourAt(display, 1, 1), FailColour());
  EXPECT_FALSE(ColourAt(display, 1, 40).isValid());  // the columns are plain
  // A row arriving while they are shown gets them at once, and the row before keeps its colour.
  result(" CH 1  -990 mV   -990.0 mV     PASS", -0.99f);
  EXPECT_NE(Shown(display->document()->findBlockByNumber(2).text()).find("   U \xC2\xB1"), std::string::npos);
  EXPECT_EQ(ColourAt(display, 1, 1), FailColour());
  // The table's heading names the columns over them; the program's own text has none.
  const std::string heading = Shown(display->document()->findBlockByNumber(0).text());
  const std::string row = Shown(display->document()->findBlockByNumber(1).text());
  EXPECT_EQ(heading.rfind("  CH  DC VOLTAGE   MEASURED PASS/FAIL", 0), 0u) << heading;
  // Byte offsets: both lines hold the same two-byte characters before the columns (none).
  EXPECT_EQ(QString::fromStdString(heading).indexOf("U (k = 2)"), QString::fromStdString(row).indexOf("U \u00B1"));
  EXPECT_EQ(QString::fromStdString(heading).indexOf("TUR"), QString::fromStdString(row).indexOf("TUR"));
  EXPECT_EQ(QString::fromStdString(Shown(display->document()->findBlockByNumber(2).text())).count("TUR"), 1);
  EXPECT_EQ(bench.display.Text().substr(0, programText.size()), programText);
  EXPECT_EQ(bench.display.Text().find("TUR"), std::string::npos);

  item->setChecked(false);
  EXPECT_EQ(Shown(display->document()->findBlockByNumber(0).text()), "  CH  DC VOLTAGE   MEASURED PASS/FAIL");
  EXPECT_EQ(Shown(display->document()->findBlockByNumber(1).text()), " CH 1  -990 mV   -1.000  V     FAIL");
  EXPECT_EQ(ColourAt(display, 1, 1), FailColour());
  // Cleared, the columns are gone with their rows.
  bench.display.ClearDisplay();
  item->setChecked(true);
  EXPECT_EQ(Shown(display->toPlainText()), "");
}

// At the window's first size a result row and its columns are wider than the display: turning
// the columns on widens the window so that they show.
TEST(QtMainView, ShowUncertaintyWidensTheWindowToShowTheColumns) {
  Bench bench;
  bench.state.StandardUncertainties = {UncertaintyFigure{}};
  bench.form.show();
  const int firstWidth = bench.form.width();
  StepResult judged = MakeStepResult("CH1 2 mV/div", "V", Judge(0, -0.0032f, JudgeMode::TwoSided, 0.0001f), 0.0001f);
  judged.text = "CH 1          2 mV/div                \xB1" "3.20 mV           100.0 \xB5V           PASS";
  bench.display.PrintScreen("CHANNEL       VERTICAL SCALE          LIMITS           MEASURED        PASS/FAIL");
  bench.display.PrintScreen("");
  bench.display.Step(MakeAssessedStep(bench.state, std::move(judged)));
  bench.form.Item("ShowUncertainty")->setChecked(true);
  QCoreApplication::processEvents();
  const QPlainTextEdit* display = bench.form.Display();
  const QString row = display->document()->findBlockByNumber(2).text();
  ASSERT_TRUE(row.contains("TUR"));
  EXPECT_GT(bench.form.width(), firstWidth);
  EXPECT_GE(display->viewport()->width(), display->fontMetrics().horizontalAdvance(row));
}

}  // namespace
}  // namespace veridane
