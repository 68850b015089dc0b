// The error log's file and printout: the lines, their bytes and line ends, a write that fails
// without harming an earlier copy, and pages that never run off the paper.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "faultbook/error_log_file.h"
#include "faultbook/error_log_print.h"
#include "test/support/recording_printer.h"
#include "platform/paths.h"

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

class TempFolder {
 public:
  TempFolder() : path_(fs::temp_directory_path() / ("faultbook_" + std::to_string(::getpid()) + "_" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

TEST(ErrorLogFile, TwoEntriesMakeFiveCrLfLinesOf8BitText) {
  TempFolder folder;
  const std::string header = ErrorLogHeader("TDS 340", "14.02.25");
  EXPECT_EQ(header, "Error Log from TDS 340, S/N ________________ / 14.02.25");
  const std::string path = folder.Path() + "/ErrorLog1.txt";
  ASSERT_TRUE(WriteErrorLogFile(path, ErrorLogFileLines(header, {"Fan stalled", "CH1 \xB1 5 \xB5V"})));
  EXPECT_EQ(ReadBytes(path), "\r\n" + header + "\r\n\r\nFan stalled\r\nCH1 \xB1 5 \xB5V\r\n");
  EXPECT_FALSE(fs::exists(path + ".part"));

  // Saving again replaces the file.
  ASSERT_TRUE(WriteErrorLogFile(path, ErrorLogFileLines(header, {})));
  EXPECT_EQ(ReadBytes(path), "\r\n" + header + "\r\n\r\n");
}

TEST(ErrorLogFile, AFailedWriteLeavesTheEarlierCopy) {
  TempFolder folder;
  const std::string path = folder.Path() + "/ErrorLog1.txt";
  ASSERT_TRUE(WriteErrorLogFile(path, {"earlier"}));
  // The temporary file cannot be made where a folder of its name stands.
  fs::create_directory(path + ".part");
  EXPECT_FALSE(WriteErrorLogFile(path, {"later"}));
  EXPECT_EQ(ReadBytes(path), "earlier\r\n");
  EXPECT_FALSE(WriteErrorLogFile(folder.Path() + "/no such folder/ErrorLog1.txt", {"x"}));
}

TEST(ErrorLogFile, TheFolderIsMadeWithItsSimulatedPart) {
  TempFolder folder;
  EXPECT_EQ(PrepareErrorLogFolder(Paths(folder.Path(), true)), folder.Path() + "/Faultbook/Simulated");
  EXPECT_TRUE(fs::is_directory(folder.Path() + "/Faultbook/Simulated"));
  EXPECT_EQ(PrepareErrorLogFolder(Paths(folder.Path(), false)), folder.Path() + "/Faultbook");
  // A file where the folder should be: no folder to start in.
  std::ofstream(folder.Path() + "/blocked");
  EXPECT_EQ(PrepareErrorLogFolder(Paths(folder.Path() + "/blocked", false)), "");
}

// Records the printout as text lines "x,y text", "font", "page", "end".
class RecordingPrinter : public ErrorLogPrinter {
 public:
  explicit RecordingPrinter(double pageHeight) : pageHeight_(pageHeight) {}
  void SetFont(std::string_view name, double size) override {
    log.push_back("font " + std::string(name) + " " + std::to_string(static_cast<int>(size)));
  }
  void PrintAt(double leftMm, double topMm, std::string_view text) override {
    std::ostringstream line;
    line << leftMm << "," << topMm << " " << text;
    log.push_back(line.str());
  }
  void NewPage() override { log.push_back("page"); }
  void EndDoc() override { log.push_back("end"); }
  double PageHeightMm() const override { return pageHeight_; }

  std::vector<std::string> log;

 private:
  double pageHeight_;
};

TEST(ErrorLogPrint, HeaderThenOneEntryEveryFiveMillimetres) {
  RecordingPrinter printer(297);
  PrintErrorLog(printer, "Header", {"A", "B"}, 1);
  EXPECT_EQ(printer.log, (std::vector<std::string>{"font Arial Narrow 10", "8,15 Header", "8,25 A", "8,30 B", "end"}));
}

TEST(ErrorLogPrint, EveryCopyIsAWholeJobAndLongLogsGoOnNextPages) {
  RecordingPrinter twoCopies(297);
  PrintErrorLog(twoCopies, "H", {"A"}, 2);
  EXPECT_EQ(twoCopies.log, (std::vector<std::string>{"font Arial Narrow 10", "8,15 H", "8,25 A", "end",
                                                     "font Arial Narrow 10", "8,15 H", "8,25 A", "end"}));

  // A 60 mm page takes the entries at 25, 30, 35 and 40 mm (the last line ends 15 mm above
  // the bottom edge); the fifth entry starts a new page under a repeated header.
  RecordingPrinter shortPages(60);
  PrintErrorLog(shortPages, "H", {"1", "2", "3", "4", "5", "6"}, 1);
  EXPECT_EQ(shortPages.log, (std::vector<std::string>{"font Arial Narrow 10", "8,15 H", "8,25 1", "8,30 2", "8,35 3",
                                                      "8,40 4", "page", "8,15 H", "8,25 5", "8,30 6", "end"}));

  // However small the page claims to be, every entry is printed.
  RecordingPrinter tiny(0);
  PrintErrorLog(tiny, "H", {"1", "2"}, 0);
  EXPECT_EQ(std::count(tiny.log.begin(), tiny.log.end(), "8,25 1") + std::count(tiny.log.begin(), tiny.log.end(), "8,25 2"),
            2);
}

TEST(ErrorLogPrint, OnTheProgramsPrinterPagesFitTheShorterPaperAndAFailureStopsIt) {
  testing::RecordingPrinter printer;
  std::vector<std::string> entries;
  for (int i = 1; i <= 50; ++i) entries.push_back("E" + std::to_string(i) + " \xB5");
  ErrorLogOnPrinter out(printer);
  PrintErrorLog(out, "Header", entries, 2);
  EXPECT_FALSE(out.Failed());
  ASSERT_EQ(printer.Documents().size(), 2u);  // each copy its own job
  const PrintedDocument& first = printer.Documents()[0];
  ASSERT_EQ(first.pages.size(), 2u);
  // Letter paper: entries from 25 mm to 255 mm, the 48th under a repeated header.
  EXPECT_EQ(first.pages[0].size(), 48u);  // the header and 47 entries
  EXPECT_EQ(first.pages[0].back().text, "E47 \xB5");
  EXPECT_DOUBLE_EQ(first.pages[0].back().y, 255);
  EXPECT_EQ(first.pages[1][0].text, "Header");
  EXPECT_DOUBLE_EQ(first.pages[1][1].x, 8);
  EXPECT_EQ(first.pages[1][1].font, "Arial Narrow");

  testing::RecordingPrinter outOfPaper;
  outOfPaper.FailAtPrint(3);
  ErrorLogOnPrinter failing(outOfPaper);
  PrintErrorLog(failing, "Header", entries, 1);
  EXPECT_TRUE(failing.Failed());
  EXPECT_FALSE(outOfPaper.DocumentOpen());
}

}  // namespace
}  // namespace veridane::testing
