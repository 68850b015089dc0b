#include "platform/file_checks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace veridane {
namespace {

namespace fs = std::filesystem;

class FileChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("veridane-file-checks-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path folder_;
};

TEST_F(FileChecks, ReadsARegularFileUpToItsCapByteForByte) {
  const std::string bytes("a\0b\r\n\xB5", 6);
  FileRead read = ReadRegularFile(Write("six", bytes), 6);
  ASSERT_TRUE(read.Ok()) << read.problem;
  EXPECT_EQ(read.bytes, bytes);

  read = ReadRegularFile(Write("empty", ""), 6);
  ASSERT_TRUE(read.Ok());
  EXPECT_EQ(read.bytes, "");

  read = ReadRegularFile(Write("seven", "1234567"), 6);
  EXPECT_EQ(read.status, FileReadStatus::TooLarge);
  EXPECT_TRUE(read.bytes.empty());
  EXPECT_EQ(read.problem, "is larger than 6 bytes, too large for its kind");
}

TEST_F(FileChecks, RefusesWhatIsNotARegularFileWithoutWaiting) {
  EXPECT_EQ(ReadRegularFile(folder_ / "none", 100).status, FileReadStatus::Missing);
  EXPECT_EQ(ReadRegularFile(folder_ / "none" / "deeper", 100).status, FileReadStatus::Missing);

  FileRead read = ReadRegularFile(folder_, 100);
  EXPECT_EQ(read.status, FileReadStatus::Folder);
  EXPECT_EQ(read.problem, "is a folder, not a file");

  // Nobody writes to this FIFO: a blocking open or read would never return.
  const fs::path fifo = folder_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadRegularFile(fifo, 100).status, FileReadStatus::NotRegular);

  // An endless device: refused before a byte is read.
  EXPECT_EQ(ReadRegularFile("/dev/zero", 100).status, FileReadStatus::NotRegular);
}

TEST_F(FileChecks, AFileWithoutReadPermissionSaysSo) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const fs::path path = Write("locked", "x");
  fs::permissions(path, fs::perms::none);
  const FileRead read = ReadRegularFile(path, 100);
  EXPECT_EQ(read.status, FileReadStatus::Unreadable);
  EXPECT_NE(read.problem.find("cannot be read"), std::string::npos);
}

TEST(FileChecksSizes, APseudoFileThatReportsNoSizeIsStillCapped) {
  // /proc files claim a size of 0 but have content; the cap holds on what is actually read.
  const FileRead small = ReadRegularFile("/proc/self/status", 4);
  EXPECT_EQ(small.status, FileReadStatus::TooLarge);
  const FileRead whole = ReadRegularFile("/proc/self/status", 1 << 20);
  ASSERT_TRUE(whole.Ok()) << whole.problem;
  EXPECT_NE(whole.bytes.find("Name:"), std::string::npos);
}

}  // namespace
}  // namespace veridane
