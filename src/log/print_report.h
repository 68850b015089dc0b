#pragma once
// Printing the result display (or a log's transcript) on paper or to a PDF file: Courier New
// 10 pt, 48 lines a page 5 mm apart from (20 mm, 20 mm), "Page n of m" at (90 mm, 265 mm).
#include <string_view>

#include "platform/operator.h"
#include "platform/printer.h"

namespace veridane {

inline constexpr int kLinesPerPage = 48;

// Prints one copy of the text (lines separated by CR LF or LF; a line end at the very end
// starts no further line) and ends the print job. False when the printer failed.
bool PrintDocument(Printer& printer, std::string_view text);

// The File menu's Print command: the print dialog chooses the printer (or PDF file) and the
// copies; each copy is its own print job. Cancel ends the command silently; a printer that
// fails is reported. The printer follows the system default again afterwards, which this
// command never changes. True when every copy was printed.
bool PrintStart(Printer& printer, PrintDialog& dialog, Operator& op, std::string_view text);

}  // namespace veridane
