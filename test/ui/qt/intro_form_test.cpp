#include "ui/qt/intro_form.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "ui/qt/twips.h"
#include "shell/version.h"
#include "test/support/widget_checks.h"

namespace veridane {
namespace {

using testing::Drawn;
using testing::ModalRun;

ModalRun RunIntro(QWidget* parent, int seconds, const std::function<void(IntroForm&)>& whileShown) {
  return testing::RunModal<IntroForm>([&] { Intro(parent, seconds); }, whileShown);
}

TEST(IntroTitle, DoublesEveryAmpersandOfTheTitleOnly) {
  EXPECT_EQ(IntroTitle("Veridane", "1.15", "Feb 2025"), "Veridane, v1.15 - Feb 2025 / QZ");
  EXPECT_EQ(IntroTitle("R&S & Co&", "2.0", "Feb 2025"), "R&&S && Co&&, v2.0 - Feb 2025 / QZ");
  EXPECT_EQ(IntroTitle("", "1.1", "Feb 2025"), ", v1.1 - Feb 2025 / QZ");
}

TEST(IntroForm, ShowsTheTitleLineAndIsWiderThanItsLabelBy600Twips) {
  IntroForm intro;
  EXPECT_EQ(intro.Label1()->text().toStdString(),
            IntroTitle(kApplicationTitle, VersionString(), kVersionDate));
  EXPECT_EQ(intro.Label1()->text().toStdString(), "Veridane, v" + VersionString() + " - Feb 2025 / QZ");
  EXPECT_EQ(intro.width(), intro.Label1()->width() + Px(600));
  EXPECT_GE(intro.Label1()->width(), intro.Label1()->sizeHint().width());  // the title is not cut
  EXPECT_TRUE(intro.isModal());
}

TEST(IntroForm, DoubledAmpersandIsDrawnAsOne) {
  IntroForm intro;
  QLabel* label = intro.Label1();
  label->setText("R&&S");
  label->adjustSize();
  QLabel plain;
  plain.setTextFormat(Qt::PlainText);
  plain.setFont(label->font());
  plain.setText("R&S");
  plain.resize(label->size());
  EXPECT_EQ(Drawn(*label), Drawn(plain));
  plain.setText("R&&S");
  EXPECT_NE(Drawn(*label), Drawn(plain));
}

TEST(IntroForm, TimerRunsForTheGivenSecondsOnceShown) {
  IntroForm intro;
  intro.SetSeconds(3);
  EXPECT_EQ(intro.Timer1()->interval(), 3000);
  EXPECT_FALSE(intro.Timer1()->isActive());
  intro.show();
  EXPECT_TRUE(intro.Timer1()->isActive());
  // Far too long for the timer's milliseconds: held to the longest it can count.
  intro.SetSeconds(10'000'000);
  EXPECT_GT(intro.Timer1()->interval(), 0);
  EXPECT_EQ(intro.Timer1()->interval() % 1000, 0);
}

TEST(IntroForm, ClickOnTheWindowOrTheLabelClosesItAndStopsTheTimer) {
  {
    IntroForm intro;
    intro.SetSeconds(600);
    intro.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&intro));
    QTest::mouseClick(&intro, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(intro.isVisible());
    EXPECT_FALSE(intro.Timer1()->isActive());
  }
  {
    IntroForm intro;
    intro.SetSeconds(600);
    intro.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&intro));
    QTest::mouseClick(intro.Label1(), Qt::LeftButton);
    EXPECT_FALSE(intro.isVisible());
    EXPECT_FALSE(intro.Timer1()->isActive());
  }
}

TEST(Intro, ModalSplashClosesByItsTimer) {
  QWidget mainWindow;
  mainWindow.show();
  const ModalRun run = RunIntro(&mainWindow, 1, [&](IntroForm& intro) {
    EXPECT_EQ(intro.parentWidget(), &mainWindow);
    EXPECT_EQ(intro.Timer1()->interval(), 1000);
  });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Intro, ModalSplashClosesByAClickOnTheWindowOrTheLabel) {
  ModalRun run = RunIntro(nullptr, 600, [](IntroForm& intro) {
    QTest::mouseClick(&intro, Qt::LeftButton, {}, QPoint(intro.width() - 3, intro.height() - 3));
  });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);

  run = RunIntro(nullptr, 600, [](IntroForm& intro) { QTest::mouseClick(intro.Label1(), Qt::LeftButton); });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
}

TEST(Intro, BelowOneSecondShowsNothing) {
  for (int seconds : {0, -1, -32768}) {
    const ModalRun run = RunIntro(nullptr, seconds, nullptr);
    EXPECT_FALSE(run.shown) << seconds;
    EXPECT_FALSE(run.guardClosedIt);
  }
  QApplication::processEvents();
}

}  // namespace
}  // namespace veridane
