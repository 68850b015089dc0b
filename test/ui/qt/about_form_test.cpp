#include "ui/qt/about_form.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "shell/version.h"
#include "test/support/widget_checks.h"

namespace veridane {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  EXPECT_TRUE(line.empty()) << "every line ends with LF";
  return lines;
}

using testing::Drawn;

TEST(AboutTexts, VersionLineAndDescription) {
  EXPECT_EQ(AboutVersionDate("1.15"), "Version: 1.15,   Date: Feb 2025");

  const std::vector<std::string> lines = Lines(AboutDescription());
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[0], "This program runs a Performance Verification of any");
  EXPECT_EQ(lines[2], "acording to the Service Manual and some do more. ");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[8], "Tek SG5030 or R&&S SME03");
  EXPECT_EQ(lines[11], "If any of the supported test instruments isn't available");
  EXPECT_EQ(lines[17], "     BW of the scope under test");
  EXPECT_EQ(lines[19], "");
  EXPECT_EQ(lines[23], "Faultbook");
}

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
