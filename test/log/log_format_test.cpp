#include "log/log_format.h"

#include <gtest/gtest.h>

#include "report/format.h"

namespace veridane {
namespace {

const LogStamp kStamp{" 3/14/2024 ", "09:26:53"};

TEST(LogHeader, SerialIsUpperCasedAndEmptyFieldsAreUnderscored) {
  auto lines = LogHeaderLines("TDS 340", {"b123", "b123", "", "", false}, kStamp);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Performance Verification of TDS 340, S/N: B123");
  EXPECT_EQ(lines[2], "Date & Time: 3/14/2024, 09:26");
  EXPECT_EQ(lines[4], "Operator: " + std::string(62, '_'));
  EXPECT_EQ(lines[6], "Comments: " + std::string(62, '_'));
  for (size_t i : {1u, 3u, 5u, 7u}) EXPECT_EQ(lines[i], "");
}

TEST(LogHeader, EmptySerialPadsTheFirstLineTo72AndIdModeSaysId) {
  auto lines = LogHeaderLines("TDS 380", {"", "x", "Anna", "after repair", false}, kStamp);
  EXPECT_EQ(lines[0].size(), 72u);
  EXPECT_EQ(lines[0], "Performance Verification of TDS 380, S/N: " + std::string(30, '_'));
  EXPECT_EQ(lines[4], "Operator: Anna");
  EXPECT_EQ(lines[6], "Comments: after repair");

  lines = LogHeaderLines("TDS 340A", {"rack 4 \xE9t\xE9", "x", "", "", true}, kStamp);
  EXPECT_EQ(lines[0], "Performance Verification of TDS 340A, ID: RACK 4 \xC9T\xC9");
}

TEST(StatusFile, FifteenCharactersWithoutLineEndAndReadBack) {
  TestStatuses status{};
  EXPECT_EQ(StatusFileText(status, 5), " 0  0  0  0  0 ");
  status[1] = TestOutcome::Passed;
  status[2] = TestOutcome::Failed;
  EXPECT_EQ(StatusFileText(status, 5), " 1 -1  0  0  0 ");

  TestStatuses read{};
  ASSERT_TRUE(ParseStatusFile(StatusFileText(status, 5), read, 5));
  EXPECT_EQ(read, status);
  // Hand-written forms: line ends, commas, more than five entries.
  ASSERT_TRUE(ParseStatusFile("0\r\n0\r\n-1,1,0\r\n9", read, 5));
  EXPECT_EQ(read[3], TestOutcome::Failed);
  EXPECT_EQ(read[4], TestOutcome::Passed);
}

// A build with a sixth test writes six entries and still reads the five an older one wrote:
// the test the old file does not name was not run.
TEST(StatusFile, OneEntryPerTestAndOlderFilesStillRead) {
  TestStatuses status{};
  status[6] = TestOutcome::Failed;
  EXPECT_EQ(StatusFileText(status, 6), " 0  0  0  0  0 -1 ");
  TestStatuses read{};
  read[6] = TestOutcome::Passed;
  ASSERT_TRUE(ParseStatusFile(" 1  1 -1  0  1 ", read, 6));
  EXPECT_EQ(read[3], TestOutcome::Failed);
  EXPECT_EQ(read[5], TestOutcome::Passed);
  EXPECT_EQ(read[6], TestOutcome::NotRun);
  EXPECT_FALSE(ParseStatusFile(" 1  1 -1  0 ", read, 6));  // fewer than any build wrote
}

TEST(StatusFile, DamagedTextIsRefusedAndLeavesTheStatusesAlone) {
  TestStatuses status{TestOutcome::NotRun, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed, TestOutcome::Passed};
  const auto before = status;
  for (const char* damaged : {"", " 0  0  0  0 ", " 0  0  x  0  0 ", " 0  0  2  0  0 ", " 0  0  1.5  0  0 ", "\x01\x02"})
    EXPECT_FALSE(ParseStatusFile(damaged, status, 5)) << damaged;
  EXPECT_EQ(status, before);
}

TEST(Transcript, ExpandsEveryLineAndJoinsWithCrLf) {
  std::string row = "  1 V        MEASURED   0.998 V    PASS";
  std::string content = CompactLine("Head") + "\r\n\r\n" + CompactLine(row) + "\r\n";
  EXPECT_EQ(TranscriptFromLog(content), "Head\r\n\r\n" + row);
  // A truncated last line (no line end) and LF-only lines are read too.
  EXPECT_EQ(TranscriptFromLog("a\nb"), "a\r\nb");
  EXPECT_EQ(TranscriptFromLog(""), "");
}

TEST(UpperCase1252, AccentedLettersGetTheirCapitalsOtherBytesStay) {
  EXPECT_EQ(UpperCase1252("a1-b \xE0\xFE\xF7\xFF\x9A\xB5"), "A1-B \xC0\xDE\xF7\x9F\x8A\xB5");
}

}  // namespace
}  // namespace veridane
