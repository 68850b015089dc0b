// The CSV export: what a spreadsheet or a script gets, and what the export refuses to replace.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "results/results_csv.h"
#include "test/results/results_fixture.h"

namespace veridane {
namespace {

using testing::OffsetResult;
using testing::ScratchStore;
using testing::SomeRun;

StoredRow Row(const std::string& serial, const std::string& operatorName) {
  StoredRow stored;
  stored.run.facts = SomeRun(serial, "2026-12-07T10:00:00Z");
  stored.run.facts.operatorName = operatorName;
  stored.recordedAt = "2026-12-07T10:00:05Z";
  stored.result = OffsetResult("CH1 2 mV/div", 0.0032f, -0.0012f);
  stored.result.text = " CH 1  2 mV/div  \xB1" "3.20 mV  -1.20 mV   PASS";
  return stored;
}

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') cell += line[++i];
    else if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) cells.push_back(std::exchange(cell, ""));
    else cell += c;
  }
  cells.push_back(cell);
  return cells;
}

TEST(ResultsCsv, TextIsUtf8AndFormulaLikeTextStaysText) {
  const std::string text = ResultsCsvText({Row("=HYPERLINK(\"http://x\")", "-2+3"), Row("@SUM(A1)", "+J. M\xFCller")});
  const size_t firstEnd = text.find("\r\n");
  const std::vector<std::string> header = Cells(text.substr(0, firstEnd));
  const size_t secondEnd = text.find("\r\n", firstEnd + 2);
  const std::vector<std::string> first = Cells(text.substr(firstEnd + 2, secondEnd - firstEnd - 2));
  const std::vector<std::string> second = Cells(text.substr(secondEnd + 2, text.find("\r\n", secondEnd + 2) - secondEnd - 2));
  ASSERT_EQ(first.size(), header.size());
  EXPECT_EQ(first[1], "'=HYPERLINK(\"http://x\")");
  EXPECT_EQ(first[4], "'-2+3");
  EXPECT_EQ(second[1], "'@SUM(A1)");
  EXPECT_EQ(second[4], "'+J. M\xC3\xBCller");
  // Numbers keep their sign: they are numbers, not text.
  EXPECT_EQ(first[17].rfind("-0.0012", 0), 0u) << first[17];
  EXPECT_EQ(first[header.size() - 2], " CH 1  2 mV/div  \xC2\xB1" "3.20 mV  -1.20 mV   PASS");
}

// A row without a reading is a failure in the verdict column, as the table shows it, so that
// a filter on FAIL counts it; the reading column tells it from a reading outside the limits.
TEST(ResultsCsv, ARowWithoutAReadingIsAFailureThatSaysSo) {
  StoredRow none = Row("B1", "Jo");
  none.result.measured.reset();
  none.result.verdict = Verdict::NotMeasurable;
  StoredRow outside = Row("B1", "Jo");
  outside.result.verdict = Verdict::Fail;
  const std::string text = ResultsCsvText({Row("B1", "Jo"), none, outside});
  std::vector<std::vector<std::string>> lines;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(Cells(text.substr(at, end - at)));
  ASSERT_EQ(lines.size(), 4u);
  const std::vector<std::string>& header = lines[0];
  const auto column = [&](const std::string& name) {
    return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  const size_t verdict = column("verdict"), reading = column("reading"), measured = column("measured");
  ASSERT_LT(reading, header.size());
  for (const auto& line : lines) ASSERT_EQ(line.size(), header.size());
  EXPECT_EQ(lines[1][verdict], "PASS");
  EXPECT_EQ(lines[1][reading], "");
  EXPECT_EQ(lines[2][verdict], "FAIL");
  EXPECT_EQ(lines[2][reading], "no reading");
  EXPECT_EQ(lines[2][measured], "");
  EXPECT_EQ(lines[3][verdict], "FAIL");
  EXPECT_EQ(lines[3][reading], "");
}

TEST(ResultsCsv, OnlyARegularFileOrANewNameIsWritten) {
  ScratchStore scratch("csv");
  std::filesystem::create_directories(scratch.Folder());
  const std::filesystem::path folder = scratch.Folder();
  std::string error;
  ASSERT_TRUE(WriteResultsCsv((folder / "new.csv").string(), {Row("B1", "Jo")}, error)) << error;
  ASSERT_TRUE(WriteResultsCsv((folder / "new.csv").string(), {Row("B1", "Jo")}, error)) << error;

  const std::filesystem::path fifo = folder / "pipe.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::filesystem::path precious = folder / "precious.txt";
  std::ofstream(precious) << "keep";
  const std::filesystem::path link = folder / "link.csv";
  std::filesystem::create_symlink(precious, link);
  for (const std::filesystem::path& target : {fifo, link}) {
    EXPECT_FALSE(WriteResultsCsv(target.string(), {Row("B1", "Jo")}, error)) << target;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  std::ifstream kept(precious);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
}

}  // namespace
}  // namespace veridane
