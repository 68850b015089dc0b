#pragma once
// Picking a test's result table out of the main window's display text: the heading PrintFirst
// wrote, then the rows of each channel (channel 2's block follows one empty line), then
// whatever came after (the termination notice of a stopped test).
#include <string>
#include <string_view>
#include <vector>

namespace veridane::testing {

// The display's lines (rows are separated by CR LF).
std::vector<std::string> DisplayLines(std::string_view displayText);

struct ResultTable {
  bool found = false;
  std::string header;
  std::vector<std::string> channel1;
  std::vector<std::string> channel2;
  std::vector<std::string> after;  // lines following the table up to the next test's heading

  std::vector<std::string> AllRows() const;
};

// The last table under the title line "<test name> - <label>" in the display.
ResultTable FindResultTable(std::string_view displayText, std::string_view titleLine);

// The verdict that ends a row (" PASS", ">PASS" or " FAIL"): its last five characters.
std::string Verdict(std::string_view row);

// A column of the fixed-width layout, [from, to).
std::string Column(std::string_view row, size_t from, size_t to);

// A displayed value such as "   500 \xB5V", "  -991 mV" or "   20.0 mV" in volts (the prefix
// letter before the unit applied). NaN when the text holds no number.
double DisplayedVolts(std::string_view text);

}  // namespace veridane::testing
