#include "app/intro_form.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "app/twips.h"
#include "app/version.h"

namespace veridane {
namespace {

// Should a splash not close, this takes it down after a while so the run goes on (and says so).
constexpr int kHangGuardMs = 20000;

// Runs Intro(parent, seconds) while `whileShown` acts on the splash once it is up. Returns
// whether the splash was ever shown and whether the hang guard had to close it.
struct IntroRun {
  bool shown = false;
  bool guardClosedIt = false;
};

IntroRun RunIntro(QWidget* parent, int seconds, const std::function<void(IntroForm&)>& whileShown) {
  IntroRun run;
  QTimer act;
  act.setSingleShot(true);
  act.setInterval(0);
  QObject::connect(&act, &QTimer::timeout, [&] {
    auto* intro = qobject_cast<IntroForm*>(QApplication::activeModalWidget());
    if (!intro) return;
    run.shown = true;
    if (whileShown) whileShown(*intro);
  });
  QTimer guard;
  guard.setSingleShot(true);
  guard.setInterval(kHangGuardMs);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (auto* intro = qobject_cast<IntroForm*>(QApplication::activeModalWidget())) {
      run.guardClosedIt = true;
      intro->reject();
    }
  });
  act.start();
  guard.start();
  Intro(parent, seconds);
  return run;
}

// The widget's own drawing on white, so that labels inside a window and alone compare alike.
QImage Drawn(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
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
  const IntroRun run = RunIntro(&mainWindow, 1, [&](IntroForm& intro) {
    EXPECT_EQ(intro.parentWidget(), &mainWindow);
    EXPECT_EQ(intro.Timer1()->interval(), 1000);
  });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Intro, ModalSplashClosesByAClickOnTheWindowOrTheLabel) {
  IntroRun run = RunIntro(nullptr, 600, [](IntroForm& intro) {
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
    const IntroRun run = RunIntro(nullptr, seconds, nullptr);
    EXPECT_FALSE(run.shown) << seconds;
    EXPECT_FALSE(run.guardClosedIt);
  }
  QApplication::processEvents();
}

}  // namespace
}  // namespace veridane
