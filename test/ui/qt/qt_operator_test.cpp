#include "ui/qt/qt_operator.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

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
