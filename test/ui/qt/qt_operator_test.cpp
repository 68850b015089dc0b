#include "ui/qt/qt_operator.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "ui/qt/guide_form.h"
#include "ui/qt/mess_box.h"

namespace veridane {
namespace {

// Answers the next message box that opens by clicking the button with the given caption.
void AnswerNextBox(const QString& caption, QString* seenTitle = nullptr) {
  QTimer::singleShot(0, [caption, seenTitle] {
    auto* box = qobject_cast<MessBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    if (seenTitle) *seenTitle = box->LabelCaption()->text();
    for (int i = 0; i < 3; ++i) {
      if (box->Button(i)->text() == caption) {
        QTest::mouseClick(box->Button(i), Qt::LeftButton);
        return;
      }
    }
    ADD_FAILURE() << "no button " << caption.toStdString();
    box->reject();
  });
}

TEST(QtOperator, ShowMessBoxReturnsTheClickedCode) {
  QWidget mainWindow;
  QtOperator technician(&mainWindow);
  QString title;
  AnswerNextBox("No", &title);
  EXPECT_EQ(technician.ShowMessBox("Are you sure ?", 36, "Disable Auto Mode"), kNo);
  EXPECT_EQ(title, " DISABLE AUTO MODE  < ? >");
  AnswerNextBox("Retry");
  EXPECT_EQ(technician.ShowMessBox("x", 5, "\xB5 caption"), kRetry);
}

TEST(QtOperator, APromptOpensOverAShownMainWindowWithTheInfoWindowOutOfTheWay) {
  QWidget mainWindow;
  QtOperator technician(&mainWindow);
  technician.ShowInfo("Please wait while the program shuts down.");
  ASSERT_TRUE(technician.Info().isVisible());
  bool mainShown = false;
  bool infoShown = true;
  QTimer::singleShot(0, [&] {
    mainShown = mainWindow.isVisible();
    infoShown = technician.Info().isVisible();
    QApplication::activeModalWidget()->close();
  });
  technician.ShowMessBox("Set the calibrator to Standby.", kOkOnly, "Calibrator");
  EXPECT_TRUE(mainShown);
  EXPECT_FALSE(infoShown);
  // The note is back once the question is answered, with its text.
  EXPECT_TRUE(technician.Info().isVisible());
  EXPECT_EQ(technician.Info().Text(), "Please wait while the program shuts down.");

  // Without an info text, none appears after the box.
  technician.ShowInfo("");
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  technician.ShowMessBox("x", kOkOnly, "c");
  EXPECT_FALSE(technician.Info().isVisible());
}

// A Cancel during a running test ends the test (and a sequence): Escape does not give it.
TEST(QtOperator, EscapeDoesNotStopWorkUnderWay) {
  QWidget mainWindow;
  QtOperator technician(&mainWindow);
  bool underWay = true;
  technician.SetWorkUnderWay([&underWay] { return underWay; });
  bool openAfterEscape = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<MessBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
    openAfterEscape = box->isVisible();
    QTest::mouseClick(box->Button(1), Qt::LeftButton);
  });
  EXPECT_EQ(technician.ShowMessBox("Insert a 50 ohm termination in the path to all scope inputs.", kOkCancel + kInformation,
                                   "Edge Trigger Sensitivity"),
            kOk);
  EXPECT_TRUE(openAfterEscape);
  // Between tests the same box's Escape is its way out.
  underWay = false;
  QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget()->focusWidget(), Qt::Key_Escape); });
  EXPECT_EQ(technician.ShowMessBox("Do you really want to close logfile: x", kYesNo + kQuestion, "Close Log File"), kNo);
}

// The technician is reading the guide when a prompt comes up: the Escape meant for the guide
// closes the guide, not the prompt; the prompt then has the keyboard.
TEST(QtOperator, APromptLeavesTheGuidesEscapeToTheGuide) {
  QWidget mainWindow;
  mainWindow.show();
  QtOperator technician(&mainWindow);
  ShowUserGuide(&mainWindow);
  GuideForm* guide = UserGuideOf(&mainWindow);
  ASSERT_NE(guide, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowActive(guide));
  bool guideClosed = false;
  bool boxOpen = false;
  bool boxActive = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<MessBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(QApplication::activeWindow(), guide);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    guideClosed = !guide->isVisible();
    boxOpen = box->isVisible();
    boxActive = QTest::qWaitForWindowActive(box);
    QTest::keyClick(box->focusWidget(), Qt::Key_Return);
  });
  EXPECT_EQ(technician.ShowMessBox("Remove all input signals.", kOkCancel, "Self Cal"), kOk);
  EXPECT_TRUE(guideClosed);
  EXPECT_TRUE(boxOpen);
  EXPECT_TRUE(boxActive);
}

TEST(QtOperator, BusyPointerIsSetOnceAndLiftedForPrompts) {
  QtOperator technician;
  technician.SetBusy(true);
  technician.SetBusy(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  bool busyWhileAsking = true;
  QTimer::singleShot(0, [&] {
    busyWhileAsking = QApplication::overrideCursor() != nullptr;
    QApplication::activeModalWidget()->close();
  });
  technician.ShowMessBox("x", 0, "c");
  EXPECT_FALSE(busyWhileAsking);
  EXPECT_TRUE(technician.Busy());

  technician.SetBusy(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtOperator, InfoGoesToTheInfoWindowAndEndProgramThrows) {
  QtOperator technician;
  technician.ShowInfo("Initializing TDS 340.");
  EXPECT_TRUE(technician.Info().isVisible());
  technician.ShowInfo("");
  EXPECT_FALSE(technician.Info().isVisible());
  EXPECT_THROW(technician.EndProgram(), ProgramEnded);
}

}  // namespace
}  // namespace veridane
