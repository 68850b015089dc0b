// What the update check says for each versions file, without any network.
#include <gtest/gtest.h>

#include "platform/operator.h"
#include "platform/settings.h"
#include "update/update_rules.h"
#include "update/update_site.h"

namespace veridane::testing {
namespace {

constexpr const char* kQuestion = "\n\nGoto the Program Homepage for info ?";

UpdateMessage Verdict(std::string_view content, std::string_view version = "1.6") {
  return UpdateVerdict(VersionsFile::kRead, content, "Veridane", version);
}

void ExpectLatest(std::string_view content, std::string_view version = "1.6") {
  const UpdateMessage m = Verdict(content, version);
  EXPECT_EQ(m.text, "This is the latest version.") << content;
  EXPECT_EQ(m.style, kOkOnly);
  EXPECT_FALSE(m.offersHomepage);
}

void ExpectNotFound(std::string_view content) {
  const UpdateMessage m = Verdict(content);
  EXPECT_EQ(m.text, std::string("Data for this program not found.") + kQuestion) << content;
  EXPECT_EQ(m.style, kYesNo);
  EXPECT_TRUE(m.offersHomepage);
}

TEST(UpdateRules, VersionsCompareAsDecimalNumbers) {
  ExpectLatest("Veridane:1.10");  // 1.1 is below 1.6
  ExpectLatest("Veridane:1.6");
  const UpdateMessage newer = Verdict("Parlex:9.0\r\nVeridane: 1.7\r\n");
  EXPECT_EQ(newer.text, std::string("A newer version  (  1.7 )  is available.") + kQuestion);
  EXPECT_EQ(newer.style, kYesNo);
  EXPECT_EQ(newer.caption, "Current Version: 1.6");
  EXPECT_TRUE(newer.offersHomepage);
}

TEST(UpdateRules, TheTitleAloneOrWithNothingAfterTheColonIsNoData) {
  ExpectNotFound("Veridane");
  ExpectNotFound("Veridane\r\nVeridane:2.0");  // the first match counts even when useless
  ExpectNotFound("Veridane:");
  ExpectNotFound("  Veridane:  \n");  // blanks around an entry are not part of it
  ExpectNotFound("");
  ExpectNotFound("Parlex:2.0\nFaultbook:1.3\n");
  ExpectNotFound(std::string("\x00\x01\xFF\xFE binary", 11));
}

TEST(UpdateRules, MatchingIgnoresCaseAndTakesTheFirstEntryOnly) {
  EXPECT_EQ(Verdict("veridane beta:2.0").text, std::string("A newer version  ( 2.0 )  is available.") + kQuestion);
  ExpectLatest("VERIDANE:1.0\nVeridane:9.9");
  // A comma ends an entry as a line end does.
  EXPECT_EQ(Verdict("Parlex:1.0,Veridane:2.5,Veridane:1.0").text,
            std::string("A newer version  ( 2.5 )  is available.") + kQuestion);
  EXPECT_EQ(MatchingEntry("a\r\nb, x Veridane y :3\r\n", "Veridane"), "x Veridane y :3");
  EXPECT_EQ(VersionsEntries("a\r\n\r\nb,c\rd\n"), (std::vector<std::string>{"a", "", "b", "c", "d"}));
}

TEST(UpdateRules, WithoutColonOrNumberTheNewVersionIsZero) {
  ExpectLatest("Veridane 2.0");  // the whole entry converts to 0
  ExpectLatest("Veridane:beta");
  ExpectLatest("Veridane:1.6x", "1.6");
  ExpectLatest(std::string(100000, 'x') + "Veridane:0.5");  // no line end at all, still read
}

TEST(UpdateRules, DownloadFailuresOfferTheHomepage) {
  UpdateMessage failed = UpdateVerdict(VersionsFile::kDownloadFailed, "", "Veridane", "1.0");
  EXPECT_EQ(failed.text, std::string("Web Datafile not found.") + kQuestion);
  EXPECT_EQ(failed.style, kYesNo);
  EXPECT_EQ(failed.caption, "Current Version: 1.0");
  EXPECT_TRUE(failed.offersHomepage);
  UpdateMessage missing = UpdateVerdict(VersionsFile::kMissing, "Veridane:9", "Veridane", "1.0");
  EXPECT_EQ(missing.text, std::string("Downloaded Datafile not foud.") + kQuestion);
  EXPECT_TRUE(missing.offersHomepage);

  UpdateMessage noSite = NoUpdateSiteMessage("1.0");
  EXPECT_EQ(noSite.text.rfind("Web Datafile not found.\n\n", 0), 0u);
  EXPECT_EQ(noSite.caption, "Current Version: 1.0");
  EXPECT_FALSE(noSite.offersHomepage) << "there is no homepage to go to";
}

TEST(UpdateSite, TheSettingGivesTheAddresses) {
  MemorySettings settings;
  EXPECT_EQ(UpdateSite(settings), "");
  settings.Save("Veridane", "Settings", "UpdateSite", "  pv.example.org/ ");
  EXPECT_EQ(UpdateSite(settings), "https://pv.example.org");
  settings.Save("Veridane", "Settings", "UpdateSite", "http://127.0.0.1:8080//");
  const std::string site = UpdateSite(settings);
  EXPECT_EQ(site, "http://127.0.0.1:8080");
  EXPECT_EQ(VersionsUrl(site), "http://127.0.0.1:8080/dl/swv.txt");
  EXPECT_EQ(HomepageUrl(site), "http://127.0.0.1:8080/dl/Veridane.htm");
  EXPECT_EQ(MaintainerMailUrl("Veridane"), "mailto:maintainer@veridane.example?subject=Veridane");
}

}  // namespace
}  // namespace veridane::testing
