#include "log/print_report.h"

#include <gtest/gtest.h>

#include "test/support/recording_printer.h"
#include "test/support/scripted_operator.h"

namespace veridane {
namespace {

using testing::PrintedDocument;
using testing::RecordingPrinter;
using testing::ScriptedOperator;

std::string Lines(int n, const char* end = "\r\n") {
  std::string text;
  for (int i = 1; i <= n; ++i) text += (i > 1 ? end : "") + std::string("line ") + std::to_string(i);
  return text;
}

TEST(PrintDocument, FortyEightLinesFillOnePage) {
  RecordingPrinter printer;
  ASSERT_TRUE(PrintDocument(printer, Lines(48)));
  ASSERT_EQ(printer.Documents().size(), 1u);
  const PrintedDocument& doc = printer.Documents()[0];
  ASSERT_EQ(doc.pages.size(), 1u);
  ASSERT_EQ(doc.pages[0].size(), 49u);
  EXPECT_EQ(doc.pages[0][0].text, "Page 1 of 1");
  EXPECT_DOUBLE_EQ(doc.pages[0][0].x, 90);
  EXPECT_DOUBLE_EQ(doc.pages[0][0].y, 265);
  EXPECT_EQ(doc.pages[0][1].text, "line 1");
  EXPECT_DOUBLE_EQ(doc.pages[0][1].x, 20);
  EXPECT_DOUBLE_EQ(doc.pages[0][1].y, 20);
  EXPECT_DOUBLE_EQ(doc.pages[0][48].y, 20 + 47 * 5);
  EXPECT_EQ(doc.pages[0][48].font, "Courier New");
  EXPECT_DOUBLE_EQ(doc.pages[0][48].size, 10);
}

TEST(PrintDocument, TheFortyNinthLineStartsPageTwoAtTheTop) {
  RecordingPrinter printer;
  ASSERT_TRUE(PrintDocument(printer, Lines(49) + "\r\n"));  // the last line end adds no line
  const PrintedDocument& doc = printer.Documents().at(0);
  ASSERT_EQ(doc.pages.size(), 2u);
  EXPECT_EQ(doc.pages[0][0].text, "Page 1 of 2");
  EXPECT_EQ(doc.PageTexts(1), (std::vector<std::string>{"Page 2 of 2", "line 49"}));
  EXPECT_DOUBLE_EQ(doc.pages[1][1].y, 20);
}

TEST(PrintDocument, EveryPageNamesTheScopeAndATableIsNotSplitWhenItFits) {
  // 40 lines of other text, then a 12-line table: it would be split at line 48, so it starts
  // page 2 whole (with the empty line before its title). A table longer than a page is split.
  std::string text = Lines(40) + "\r\n\r\nOffset at Zero - Test ACQ / 1 of 3\r\n" + Lines(10) +
                     "\r\n\r\nAnalog Bandwidth - Test ACQ / 3 of 3\r\n" + Lines(60);
  PrintOptions options;
  options.pageHeader = "TDS 340, F/W: v1.04, S/N: B123, Bench: sim, 2026-12-07 18:03";
  options.tableTitles = {"Offset at Zero", "Analog Bandwidth"};
  const auto pages = PaginateReport(text, options);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].size(), 40u);
  EXPECT_EQ(pages[1][0], "");
  EXPECT_EQ(pages[1][1], "Offset at Zero - Test ACQ / 1 of 3");
  EXPECT_EQ(pages[1].size(), 48u);  // the 12-line table, then the bandwidth table fills the page
  EXPECT_EQ(pages[2].size(), 26u);
  // Without titles the same text is cut every 48 lines, as it always was.
  EXPECT_EQ(PaginateReport(text).at(0).size(), 48u);

  RecordingPrinter printer;
  ASSERT_TRUE(PrintDocument(printer, text, options));
  const PrintedDocument& doc = printer.Documents().at(0);
  ASSERT_EQ(doc.pages.size(), 3u);
  for (const auto& page : doc.pages) {
    ASSERT_GE(page.size(), 2u);
    EXPECT_EQ(page[1].text, options.pageHeader);
    EXPECT_DOUBLE_EQ(page[1].x, 20);
    EXPECT_DOUBLE_EQ(page[1].y, 12);
  }
  EXPECT_EQ(doc.pages[2][0].text, "Page 3 of 3");
}

// A printout of a simulated bench says so at the top and the foot of every page, clear of the
// header and the page number, and takes no line from the text.
TEST(PrintDocument, ASimulatedBenchIsMarkedOnEveryPage) {
  PrintOptions options;
  options.pageHeader = "TDS 340, F/W: v1.04, S/N: B123, Bench: sim, 2026-12-07 18:03";
  options.pageMark = kSimulatedPrintMark;
  RecordingPrinter printer;
  ASSERT_TRUE(PrintDocument(printer, Lines(60), options));
  const PrintedDocument& doc = printer.Documents().at(0);
  ASSERT_EQ(doc.pages.size(), 2u);
  for (const auto& page : doc.pages) {
    int marks = 0;
    for (const auto& text : page) {
      if (text.text != kSimulatedPrintMark) continue;
      ++marks;
      EXPECT_DOUBLE_EQ(text.x, 20);
      EXPECT_TRUE(text.y == 8 || text.y == 265) << text.y;
    }
    EXPECT_EQ(marks, 2);
  }
  EXPECT_EQ(PaginateReport(Lines(60), options).at(0).size(), 48u);
  // Without a mark a page carries none.
  RecordingPrinter plain;
  options.pageMark.clear();
  ASSERT_TRUE(PrintDocument(plain, Lines(10), options));
  for (const auto& text : plain.Documents().at(0).pages.at(0)) EXPECT_EQ(text.text.find("SIMULATED"), std::string::npos);
}

TEST(PrintDocument, EmptyLinesTakeTheirHeightAndBareLineFeedsKeepEveryCharacter) {
  RecordingPrinter printer;
  ASSERT_TRUE(PrintDocument(printer, "a\r\n\r\n\r\nd\ne"));
  const auto& page = printer.Documents().at(0).pages.at(0);
  ASSERT_EQ(page.size(), 4u);  // page number, a, d, e
  EXPECT_EQ(page[1].text, "a");
  EXPECT_EQ(page[2].text, "d");
  EXPECT_DOUBLE_EQ(page[2].y, 35);
  EXPECT_EQ(page[3].text, "e");
  EXPECT_DOUBLE_EQ(page[3].y, 40);
}

TEST(PrintStart, EachCopyIsItsOwnJobOnTheChosenPrinter) {
  RecordingPrinter printer({"Bench Laser", "Office"}, "Bench Laser");
  PresetPrintDialog dialog(PrintChoice{{"Office", ""}, 2});
  ScriptedOperator technician;
  ASSERT_TRUE(PrintStart(printer, dialog, technician, Lines(3)));
  ASSERT_EQ(printer.Documents().size(), 2u);
  EXPECT_EQ(printer.Documents()[0].device, "Office");
  EXPECT_EQ(printer.Documents()[1].PageTexts(0), printer.Documents()[0].PageTexts(0));
  EXPECT_EQ(printer.DeviceName(), "Bench Laser");  // follows the default again
  EXPECT_FALSE(technician.Busy());
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

TEST(PrintStart, CancelIsSilentAFailingPrinterIsReported) {
  RecordingPrinter printer;
  ScriptedOperator technician;
  PresetPrintDialog cancelled;
  EXPECT_FALSE(PrintStart(printer, cancelled, technician, "x"));
  EXPECT_TRUE(printer.Documents().empty());

  PresetPrintDialog chosen(PrintChoice{});
  printer.FailAtPrint(3);
  technician.Expect("The report could not be printed:\nThe printer is out of paper.", 48, "Print Error", kOk);
  EXPECT_FALSE(PrintStart(printer, chosen, technician, Lines(5)));
  EXPECT_FALSE(technician.Busy());
  EXPECT_FALSE(printer.DocumentOpen());

  PresetPrintDialog unknown(PrintChoice{{"Gone", ""}, 1});
  technician.Expect("The report could not be printed:\nThere is no printer Gone.", 48, "Print Error", kOk);
  EXPECT_FALSE(PrintStart(printer, unknown, technician, "x"));
  EXPECT_TRUE(technician.ExpectAllConsumed());
}

}  // namespace
}  // namespace veridane
