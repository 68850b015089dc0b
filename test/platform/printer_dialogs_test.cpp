#include <gtest/gtest.h>

#include "platform/file_dialogs.h"
#include "platform/printer.h"
#include "test/support/recording_printer.h"
#include "test/support/scripted_file_dialogs.h"

namespace veridane {
namespace {

using testing::RecordingPrinter;

TEST(PrintText, PositiveIsAbsoluteNegativeMovesOnZeroStays) {
  RecordingPrinter printer;
  ASSERT_TRUE(PrintText(printer, "A", 20, 30, 0));
  ASSERT_TRUE(PrintText(printer, "B", -5, -2.5f, 12));
  printer.SetCurrentX(40);
  ASSERT_TRUE(PrintText(printer, "C", 0, 0, 99));
  ASSERT_TRUE(printer.EndDoc());
  ASSERT_EQ(printer.Documents().size(), 1u);
  const auto& texts = printer.Documents()[0].pages[0];
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_DOUBLE_EQ(texts[0].x, 20);
  EXPECT_DOUBLE_EQ(texts[0].y, 30);
  EXPECT_EQ(texts[0].color, 0x000000u);
  // Relative from where the printed "A" left the position.
  EXPECT_NEAR(texts[1].x, 20 + 10 * 0.6 * 25.4 / 72 + 5, 1e-4);
  EXPECT_DOUBLE_EQ(texts[1].y, 32.5);
  EXPECT_EQ(texts[1].color, 0xFF0000u);
  EXPECT_DOUBLE_EQ(texts[2].x, 40);
  EXPECT_DOUBLE_EQ(texts[2].y, 32.5);
  EXPECT_EQ(texts[2].color, 0x000000u);  // outside the palette: black
}

TEST(PrintText, EmptyTextOnlyMovesAndPrintMoveIsAbsoluteThenRelative) {
  RecordingPrinter printer;
  ASSERT_TRUE(PrintText(printer, "", 15, 50, 0));
  EXPECT_FALSE(printer.DocumentOpen());
  PrintMove(printer, -25, -5);
  EXPECT_DOUBLE_EQ(printer.CurrentX(), 25);
  EXPECT_DOUBLE_EQ(printer.CurrentY(), 55);
}

TEST(FileFilter, ClassicFilterTextSplitsIntoDescriptionsAndPatterns) {
  auto filters = ParseFileFilter("Error Log Files (*.txt)|*.txt|Lists|*.gmg; *.lst|All");
  ASSERT_EQ(filters.size(), 3u);
  EXPECT_EQ(filters[0].description, "Error Log Files (*.txt)");
  EXPECT_EQ(filters[0].patterns, std::vector<std::string>{"*.txt"});
  EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*.gmg", "*.lst"}));
  EXPECT_EQ(filters[2].description, "All");
  EXPECT_EQ(filters[2].patterns, std::vector<std::string>{"*"});
  EXPECT_TRUE(ParseFileFilter("").empty());
}

TEST(HeadlessFileDialogs, AnswersFromPresetsInTheInitialFolderElseCancels) {
  HeadlessFileDialogs dialogs;
  FileDialogRequest request{"Save the Error Log", "/data/Faultbook", "ErrorLog1", "Error Log Files (*.txt)|*.txt"};
  EXPECT_FALSE(dialogs.SaveFile(request).has_value());
  dialogs.SetSaveAnswer("today.txt");
  EXPECT_EQ(dialogs.SaveFile(request), "/data/Faultbook/today.txt");
  dialogs.SetOpenAnswer("/elsewhere/list.gmg");
  EXPECT_EQ(dialogs.OpenFile(request), "/elsewhere/list.gmg");
  EXPECT_FALSE(dialogs.ChooseFolder(request).has_value());
  EXPECT_TRUE(dialogs.OpenWithDesktop("https://example.invalid/"));
  EXPECT_EQ(dialogs.OpenedWithDesktop(), std::vector<std::string>{"https://example.invalid/"});
}

TEST(RecordingPrinterFake, RefusesUnknownPrintersAndFailsWhenTold) {
  RecordingPrinter printer({"Bench Laser", "Office"}, "Bench Laser");
  EXPECT_FALSE(printer.SetTarget({"Nowhere", ""}));
  EXPECT_EQ(printer.DeviceName(), "Bench Laser");
  ASSERT_TRUE(printer.SetTarget({"Office", ""}));
  printer.FailAtPrint(2);
  EXPECT_TRUE(printer.Print("a"));
  EXPECT_FALSE(printer.Print("b"));
  EXPECT_FALSE(printer.Error().empty());
  EXPECT_TRUE(printer.Documents().empty());
}

}  // namespace
}  // namespace veridane
