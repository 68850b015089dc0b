// Answers files written carelessly or with intent: each must end in a clear message or a
// normal answer, never a crash, a hang or a program that grows without end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/console/caption_pattern.h"
#include "ui/console/console_operator.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;

std::string ErrorOf(const std::string& content) {
  try {
    ConsoleOperator::ParseAnswers(content, "hostile.answers");
  } catch (const AnswersFileError& error) {
    return error.what();
  }
  return "no error";
}

TEST(HostileAnswers, PatternsThatWouldExhaustTheStackAreRefusedOrMatched) {
  // Thousands of nested groups broke a recursive compiler; now they are refused by length.
  const std::string deep = std::string(7000, '(') + "a" + std::string(7000, ')');
  EXPECT_NE(ErrorOf("# deep\n" + deep + "\tOK\n").find("hostile.answers, line 2: bad caption pattern"),
            std::string::npos);
  EXPECT_EQ(ErrorOf(std::string(18500, 'x') + "\tOK\n"),
            "hostile.answers, line 1: bad caption pattern \"" + std::string(80, 'x') +
                "...\": longer than 1000 characters");

  // Nesting within the length cap compiles and matches.
  const CaptionPattern nested(std::string(400, '(') + "Auto" + std::string(400, ')'));
  EXPECT_TRUE(nested.FoundIn("Auto mode possible"));
  EXPECT_FALSE(nested.FoundIn("Manual mode"));
}

TEST(HostileAnswers, PatternsThatWouldBacktrackForEverAnswerAtOnce) {
  // A doubled repeat is a mistake in the file: refused with its line, as the usage promises.
  EXPECT_NE(ErrorOf("Auto\tNo\n.**Z\tOK\n").find("line 2: bad caption pattern \".**Z\""), std::string::npos);

  // Nested repeats that a backtracking matcher takes exponential time over.
  std::ostringstream out;
  ConsoleOperator technician(ConsoleOperator::ParseAnswers("^(a+)+$\tNo\n(.*)*(.*)*(.*)*Z\tCancel\n", "a"), out);
  const std::string longCaption(60, 'a');
  EXPECT_EQ(technician.ShowMessBox("?", kYesNo, longCaption), kNo);
  EXPECT_EQ(technician.ShowMessBox("?", kOkCancel, longCaption + "!"), kOk);
  EXPECT_EQ(technician.ShowMessBox("?", kOkCancel, "Auto mode possible, Z"), kCancel);
}

TEST(HostileAnswers, PatternsWorkOnEightBitCaptions) {
  // One byte is one character: '.' takes the whole "µ", a class can name it.
  EXPECT_TRUE(CaptionPattern("^5 .s$").FoundIn("5 \xB5s"));
  EXPECT_TRUE(CaptionPattern("^[\xB5m]V$").FoundIn("\xB5V"));
  EXPECT_FALSE(CaptionPattern("^5 ..s$").FoundIn("5 \xB5s"));
  EXPECT_TRUE(CaptionPattern().FoundIn("anything"));
  // Back references need backtracking and are not offered.
  EXPECT_THROW(CaptionPattern("(a)\\1"), BadCaptionPattern);
}

class HostileAnswersFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("veridane-hostile-answers-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  static std::string ReadError(const fs::path& path) {
    try {
      ConsoleOperator::ReadAnswers(path.string());
    } catch (const AnswersFileError& error) {
      return error.what();
    }
    return "no error";
  }

  fs::path folder_;
};

TEST_F(HostileAnswersFiles, WhatIsNotASmallRegularFileIsNamedAndRefused) {
  EXPECT_EQ(ReadError(folder_), "The answers file " + folder_.string() + " is a folder, not a file.");
  EXPECT_EQ(ReadError("/dev/zero"), "The answers file /dev/zero is not a regular file (a device, FIFO or socket).");
  const fs::path fifo = folder_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_NE(ReadError(fifo).find("is not a regular file"), std::string::npos);

  const fs::path big = folder_ / "big.answers";
  {
    std::ofstream file(big, std::ios::binary);
    const std::string comment = "# " + std::string(1021, '-') + "\n";
    for (size_t written = 0; written <= ConsoleOperator::kAnswersFileLimit; written += comment.size()) file << comment;
  }
  EXPECT_NE(ReadError(big).find("is larger than 1 MB"), std::string::npos);
}

}  // namespace
}  // namespace veridane
