#include "ui/qt/info_form.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace veridane {
namespace {

TEST(InfoForm, ShowAddCloseAndCentreOnTheMainWindow) {
  QWidget mainWindow;
  mainWindow.setGeometry(100, 80, 800, 600);
  mainWindow.show();
  InfoForm info(&mainWindow);

  info.ShowInfo("Initializing TDS 340.");
  EXPECT_TRUE(info.isVisible());
  const int oneLineHeight = info.height();
  info.ShowInfo("+Please Wait ...");
  EXPECT_EQ(info.InfoText()->text(), "Initializing TDS 340.\nPlease Wait ...");
  EXPECT_EQ(info.Text(), "Initializing TDS 340.\nPlease Wait ...");
  EXPECT_GT(info.height(), oneLineHeight);
  EXPECT_TRUE(info.isVisible());

  const QPoint infoCentre = info.frameGeometry().center();
  const QPoint mainCentre = mainWindow.frameGeometry().center();
  EXPECT_LE(std::abs(infoCentre.x() - mainCentre.x()), 2);
  EXPECT_LE(std::abs(infoCentre.y() - mainCentre.y()), 2);

  info.ShowInfo("");
  EXPECT_FALSE(info.isVisible());
  EXPECT_EQ(info.Text(), "");
}

TEST(InfoForm, ReplacesTextAndConvertsItForTheScreen) {
  InfoForm info;
  info.ShowInfo("first");
  info.ShowInfo("5 \xB5s sweep");
  EXPECT_EQ(info.InfoText()->text(), QString::fromUtf8("5 \xC2\xB5s sweep"));
  info.ShowInfo("");
}

TEST(InfoForm, ProcessesPendingEventsOnce) {
  InfoForm info;
  bool handled = false;
  QTimer::singleShot(0, [&] { handled = true; });
  info.ShowInfo("Please Wait ...");
  EXPECT_TRUE(handled);
  info.ShowInfo("");
}

TEST(InfoForm, AddedLineWhileClosedShowsTheWindow) {
  InfoForm info;
  info.ShowInfo("+Please Wait ...");
  EXPECT_TRUE(info.isVisible());
  EXPECT_EQ(info.Text(), "Please Wait ...");
  info.ShowInfo("");
}

}  // namespace
}  // namespace veridane
