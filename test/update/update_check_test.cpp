// The update check against a web server on the loopback address: what it fetches, where it
// keeps it, what it tells the technician, when it opens the homepage, and how it ends when the
// server fails, stays silent or sends far too much.
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/settings.h"
#include "test/support/scripted_operator.h"
#include "test/update/local_http_server.h"
#include "update/update_check.h"
#include "update/update_site.h"

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;
constexpr const char* kQuestion = "\n\nGoto the Program Homepage for info ?";
constexpr const char* kCaption = "Current Version: 1.6";

class UpdateCheckTest : public ::testing::Test {
 protected:
  UpdateCheckTest() : cache(fs::temp_directory_path() / ("veridane_update_" + std::to_string(::getpid()))) {
    fs::remove_all(cache);
    settings.Save("Veridane", "Settings", "UpdateSite", server.Site());
  }
  ~UpdateCheckTest() override { fs::remove_all(cache); }
  void TearDown() override { op.ExpectAllConsumed(); }

  UpdateCheckOptions Options(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    return {"Veridane", "1.6", (cache / "Veridane").string(), timeout,
            [this](const std::string& url) { opened.push_back(url); }};
  }
  // Runs one check to its end.
  void RunCheck(UpdateCheck& check) {
    QSignalSpy done(&check, &UpdateCheck::finished);
    check.Start();
    EXPECT_TRUE(check.Running());
    EXPECT_TRUE(done.wait(10000));
    EXPECT_FALSE(check.Running());
  }
  std::string Cached() const {
    std::ifstream in(cache / "Veridane" / "versions.txt", std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  fs::path cache;
  LocalHttpServer server;
  MemorySettings settings;
  ScriptedOperator op;
  std::vector<std::string> opened;
};

TEST_F(UpdateCheckTest, FetchesTheVersionsFileKeepsItAndJudgesIt) {
  server.Answer(200, "Parlex:2.0\r\nVeridane:1.10\r\n");
  UpdateCheck check(op, settings, Options());
  op.Expect("This is the latest version.", kOkOnly, kCaption, kOk);
  RunCheck(check);
  EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/dl/swv.txt"}));
  EXPECT_EQ(Cached(), "Parlex:2.0\r\nVeridane:1.10\r\n");
  EXPECT_TRUE(opened.empty());

  // The next check replaces the kept file.
  server.Answer(200, "veridane beta:2.0\n");
  op.Expect(std::string("A newer version  ( 2.0 )  is available.") + kQuestion, kYesNo, kCaption, kNo);
  RunCheck(check);
  EXPECT_EQ(Cached(), "veridane beta:2.0\n");
  EXPECT_TRUE(opened.empty()) << "No leaves the browser closed";

  op.Expect(std::string("A newer version  ( 2.0 )  is available.") + kQuestion, kYesNo, kCaption, kYes);
  RunCheck(check);
  EXPECT_EQ(opened, (std::vector<std::string>{server.Site() + "/dl/Veridane.htm"}));
}

TEST_F(UpdateCheckTest, AMissingFileOnTheSiteIsWebDatafileNotFound) {
  server.Answer(404, "<html>gone</html>");
  UpdateCheck check(op, settings, Options());
  // Any answer but No goes to the homepage.
  op.Expect(std::string("Web Datafile not found.") + kQuestion, kYesNo, kCaption, kCancel);
  RunCheck(check);
  EXPECT_EQ(opened, (std::vector<std::string>{server.Site() + "/dl/Veridane.htm"}));
  EXPECT_FALSE(fs::exists(cache / "Veridane" / "versions.txt"));
}

TEST_F(UpdateCheckTest, ASilentServerEndsWithTheTimeoutAndASecondStartIsIgnored) {
  server.StaySilent();
  UpdateCheck check(op, settings, Options(std::chrono::milliseconds(300)));
  op.Expect(std::string("Web Datafile not found.") + kQuestion, kYesNo, kCaption, kNo);
  QSignalSpy done(&check, &UpdateCheck::finished);
  check.Start();
  check.Start();
  EXPECT_TRUE(done.wait(10000));
  EXPECT_EQ(done.count(), 1);
  EXPECT_EQ(server.Paths().size(), 1u);
  EXPECT_TRUE(opened.empty());
}

TEST_F(UpdateCheckTest, AHugeAnswerIsNotTakenForAVersionsFile) {
  server.Answer(200, QByteArray(UpdateCheck::kMaxVersionsBytes + 1, 'x').append("\nVeridane:9.0\n"));
  UpdateCheck check(op, settings, Options());
  op.Expect(std::string("Web Datafile not found.") + kQuestion, kYesNo, kCaption, kNo);
  RunCheck(check);
}

TEST_F(UpdateCheckTest, AFileThatCannotBeKeptIsDownloadedDatafileNotFound) {
  server.Answer(200, "Veridane:9.0\n");
  fs::create_directories(cache);
  std::ofstream(cache / "Veridane") << "a file where the cache folder belongs";
  UpdateCheck check(op, settings, Options());
  op.Expect(std::string("Downloaded Datafile not foud.") + kQuestion, kYesNo, kCaption, kNo);
  RunCheck(check);
}

TEST_F(UpdateCheckTest, NoSiteSetSaysSoWithoutTheNetwork) {
  settings.Delete("Veridane", "Settings", "UpdateSite");
  UpdateCheck check(op, settings, Options());
  op.ExpectContaining("Web Datafile not found.\n\nNo web site for updates is set", kOkOnly, kCaption, kOk);
  QSignalSpy done(&check, &UpdateCheck::finished);
  check.Start();
  EXPECT_EQ(done.count(), 1);
  EXPECT_FALSE(check.Running());
  EXPECT_TRUE(server.Paths().empty());
  EXPECT_FALSE(fs::exists(cache));
}

TEST(VersionsFile, ReadsAtMostTheLimit) {
  const fs::path path = fs::temp_directory_path() / ("veridane_versions_" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary) << std::string(1000, 'v');
  EXPECT_EQ(ReadVersionsFile(path.string(), 100)->size(), 100u);
  EXPECT_EQ(ReadVersionsFile(path.string(), 5000)->size(), 1000u);
  fs::remove(path);
  EXPECT_FALSE(ReadVersionsFile(path.string(), 100).has_value());
}

}  // namespace
}  // namespace veridane::testing
