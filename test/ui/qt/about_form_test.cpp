#include "ui/qt/about_form.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "shell/version.h"
#include "test/support/widget_checks.h"

namespace veridane {
namespace {

using testing::Drawn;

TEST(AboutTexts, VersionLine) { EXPECT_EQ(AboutVersionDate("1.15"), "Version: 1.15,   Date: Feb 2025"); }

TEST(frmAbout, CaptionVersionAndDescriptionAsShown) {
  frmAbout about;
  EXPECT_EQ(about.windowTitle().toStdString(), "About Veridane");
  EXPECT_TRUE(about.isModal());
  EXPECT_EQ(about.LabelVersionDate()->text().toStdString(), "Version: " + VersionString() + ",   Date: Feb 2025");
  EXPECT_EQ(about.LabelDescription()->text().toStdString(), AboutDescription());
  EXPECT_FALSE(about.LabelDisclaimer()->text().isEmpty());
  EXPECT_EQ(about.CommandClose()->text().toStdString(), "&Close");
  EXPECT_TRUE(about.CommandClose()->isDefault());
}

TEST(frmAbout, DescriptionShowsOneAmpersand) {
  frmAbout about;
  about.show();
  QLabel* description = about.LabelDescription();
  QLabel plain;
  plain.setTextFormat(Qt::PlainText);
  plain.setFont(description->font());
  plain.setAlignment(description->alignment());
  plain.setText(description->text().replace("&&", "&"));
  plain.resize(description->size());
  EXPECT_EQ(Drawn(*description), Drawn(plain));
}

TEST(frmAbout, ShowAboutIsModalAndReturnsWhenClosed) {
  const testing::ModalRun run = testing::RunModal<frmAbout>(
      [] { ShowAbout(nullptr); },
      [](frmAbout& about) { QTest::mouseClick(about.CommandClose(), Qt::LeftButton); });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
}

}  // namespace
}  // namespace veridane
