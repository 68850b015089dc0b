#pragma once
// Printing the result display (or a log's transcript) on paper or to a PDF file: Courier New
// 10 pt, 48 lines a page 5 mm apart from (20 mm, 20 mm), "Page n of m" at (90 mm, 265 mm), a
// page header line at (20 mm, 12 mm) when one is given, and a page mark when one is given: above
// the header at (20 mm, 8 mm) and again beside the page number at (20 mm, 265 mm).
#include <string>
#include <string_view>
#include <vector>

#include "platform/operator.h"
#include "platform/printer.h"

namespace veridane {

inline constexpr int kLinesPerPage = 48;

// The page mark of a printout made on a simulated bench: the words its certificate carries.
inline constexpr const char* kSimulatedPrintMark = "SIMULATED - NOT A CALIBRATION";

// What makes a printout stand on its own beyond the display's text.
struct PrintOptions {
  // One line above the text of every page (model, firmware, serial, bench, date), so that no
  // page is anonymous, with a log or without; empty: none. At most 80 characters are printed.
  std::string pageHeader;
  // What no page may be read without (kSimulatedPrintMark on a simulated bench), at the top and
  // at the foot of every page; empty: none. At most 32 characters are printed.
  std::string pageMark;
  // The names of the tests: a line "<name> - ..." begins that test's table, which is moved to
  // the next page as a whole when it would be split and fits on one page.
  std::vector<std::string> tableTitles;
};

// The text's lines as they fall on the pages (the CR of CR LF dropped; a line end at the very
// end starts no further line).
std::vector<std::vector<std::string>> PaginateReport(std::string_view text, const PrintOptions& options = {});

// Prints one copy of the text and ends the print job. False when the printer failed.
bool PrintDocument(Printer& printer, std::string_view text, const PrintOptions& options = {});

// The File menu's Print command: the print dialog chooses the printer (or PDF file) and the
// copies; each copy is its own print job. Cancel ends the command silently; a printer that
// fails is reported. The printer follows the system default again afterwards, which this
// command never changes. True when every copy was printed.
bool PrintStart(Printer& printer, PrintDialog& dialog, Operator& op, std::string_view text,
                const PrintOptions& options = {});

}  // namespace veridane
