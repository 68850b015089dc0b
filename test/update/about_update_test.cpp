// The program's About box with its update check and mail label: the check answers from a web
// server on the loopback address while the box stays live, and the label writes to the
// maintainer.
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

#include "ui/qt/about_form.h"
#include "shell/version.h"
#include "platform/settings.h"
#include "test/support/scripted_operator.h"
#include "test/update/local_http_server.h"
#include "ui/qt/about_update.h"
#include "ui/qt/click_label.h"

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;

TEST(frmAboutUpdate, CheckRunsWhileTheBoxStaysLiveAndAnswersFromTheSite) {
  LocalHttpServer server;
  server.Answer(200, "Veridane:0.5\n");
  MemorySettings settings;
  settings.Save("Veridane", "Settings", "UpdateSite", server.Site());
  ScriptedOperator op;
  std::vector<std::string> opened;
  const fs::path cache = fs::temp_directory_path() / ("veridane_about_" + std::to_string(::getpid()));
  const AboutUpdateSeams seams{op, settings, cache.string(), [&](const std::string& url) { opened.push_back(url); }};

  frmAbout about(nullptr, &seams);
  about.show();
  QPushButton* check = about.CommandCheckUpdate();
  EXPECT_EQ(check->text().toStdString(), "Check for &Update");
  EXPECT_EQ(about.LblEmail()->text().toStdString(), "maintainer@veridane.example");

  op.Expect("This is the latest version.", kOkOnly, "Current Version: " + VersionString(), kOk);
  QTest::mouseClick(check, Qt::LeftButton);
  EXPECT_FALSE(check->isEnabled()) << "one check at a time";
  EXPECT_TRUE(QTest::qWaitFor([&] { return check->isEnabled(); }, 10000));
  op.ExpectAllConsumed();
  EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/dl/swv.txt"}));

  QTest::mouseClick(about.LblEmail(), Qt::LeftButton);
  EXPECT_EQ(opened, (std::vector<std::string>{"mailto:maintainer@veridane.example?subject=Veridane"}));
  fs::remove_all(cache);
}

TEST(frmAboutUpdate, ClosingTheBoxDuringACheckEndsItQuietly) {
  LocalHttpServer server;
  server.StaySilent();
  MemorySettings settings;
  settings.Save("Veridane", "Settings", "UpdateSite", server.Site());
  ScriptedOperator op;  // any message would fail the test
  const AboutUpdateSeams seams{op, settings, (fs::temp_directory_path() / "veridane_about_closed").string(), {}};
  {
    frmAbout about(nullptr, &seams);
    about.show();
    QTest::mouseClick(about.CommandCheckUpdate(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !server.Paths().empty(); }, 10000));
  }
  QTest::qWait(50);
  EXPECT_TRUE(op.Prompts().empty());
}

}  // namespace
}  // namespace veridane::testing
