// What --list-adapters finds: the boards a library reaches, the serial adapters that answer,
// and nothing written to a port that is not announced as an adapter.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "gpib/backends/adapter_survey.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;

// A folder standing in for /dev (device files of the boards given) and an announcement folder.
struct SurveyFolders {
  explicit SurveyFolders(std::initializer_list<int> boards) {
    root = fs::temp_directory_path() / ("veridane_survey_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "dev");
    fs::create_directories(root / "announce");
    for (int b : boards) std::ofstream(root / "dev" / ("gpib" + std::to_string(b)));
  }
  ~SurveyFolders() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  SurveyOptions Options(const std::string& library) const {
    SurveyOptions options;
    options.libraryPath = library;
    options.deviceFolder = (root / "dev").string();
    options.announceFolder = (root / "announce").string();
    options.probeSeconds = 5;
    return options;
  }
  fs::path root;
};

std::string Text(const std::vector<AdapterListing>& listings) { return AdapterListText(listings); }

TEST(AdapterSurvey, ListsEachBoardWithADeviceFileOrTheOneBoardOfNisLibrary) {
  SurveyFolders folders({0, 3});
  std::vector<AdapterListing> linux = SurveyAdapters(folders.Options(FAKE_LINUX_LIB));
  ASSERT_EQ(linux.size(), 2u) << Text(linux);
  EXPECT_EQ(linux[0].connection, "gpib:0");
  EXPECT_EQ(linux[1].connection, "gpib:3");
  EXPECT_TRUE(linux[0].usable && linux[1].usable);
  EXPECT_NE(linux[1].description.find(FAKE_LINUX_LIB), std::string::npos);

  std::vector<AdapterListing> ni = SurveyAdapters(folders.Options(FAKE_NI_LIB));
  ASSERT_EQ(ni.size(), 1u) << Text(ni);
  EXPECT_EQ(ni[0].connection, "gpib:0");
}

TEST(AdapterSurvey, AnUnusableLibraryIsShownWithItsReasonAndNothingCountsAsFound) {
  SurveyFolders folders({});
  // A dangling announcement (its emulator was killed) is skipped without a word.
  fs::create_symlink(folders.root / "gone", folders.root / "announce" / "prologix-emulator-1");
  std::vector<AdapterListing> found = SurveyAdapters(folders.Options(FAKE_INCOMPLETE_LIB));
  ASSERT_EQ(found.size(), 1u) << Text(found);
  EXPECT_FALSE(found[0].usable);
  EXPECT_NE(found[0].description.find("lacks"), std::string::npos) << found[0].description;
  EXPECT_NE(Text(found).find("No GPIB board or adapter was found"), std::string::npos);
}

TEST(AdapterSurvey, AnAnnouncedPortThatAnswersVerIsListedUnderItsDialect) {
  SurveyFolders folders({});
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string port = ::ptsname(master);
  fs::create_symlink(port, folders.root / "announce" / "adapter");
  // The adapter: answers the first "++ver" it reads.
  std::thread adapter([master] {
    std::string heard;
    pollfd fd{master, POLLIN, 0};
    while (heard.find("++ver\n") == std::string::npos && ::poll(&fd, 1, 5000) > 0) {
      char buffer[64];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) return;
      heard.append(buffer, static_cast<size_t>(n));
    }
    const std::string answer = "AR488 GPIB controller, ver. 0.51.18, 14/01/2023\r\n";
    (void)!::write(master, answer.data(), answer.size());
  });
  std::vector<AdapterListing> found = SurveyAdapters(folders.Options("/nonexistent/libgpib.so.0"));
  adapter.join();
  ::close(master);
  ASSERT_EQ(found.size(), 2u) << Text(found);
  EXPECT_EQ(found[1].connection, "ar488:" + port);
  EXPECT_TRUE(found[1].usable);
  EXPECT_EQ(found[1].description, "AR488 GPIB controller, ver. 0.51.18, 14/01/2023");
  EXPECT_EQ(Text(found).find("No GPIB board or adapter was found"), std::string::npos);
}

}  // namespace
}  // namespace veridane
