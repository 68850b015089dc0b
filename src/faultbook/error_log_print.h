#pragma once
// The error log on paper: the header line at the top, then one entry per 5 mm line, all at
// 8 mm from the left edge, in Arial Narrow 10.
//
// ErrorLogPrinter is all the printout needs from a printer, so any printer of the program can
// stand behind it through a thin adapter.
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

class ErrorLogPrinter {
 public:
  virtual ~ErrorLogPrinter() = default;
  virtual void SetFont(std::string_view name, double size) = 0;
  // Prints the 8-bit text with its top left corner at that place, in millimetres from the top
  // left edge of the page.
  virtual void PrintAt(double leftMm, double topMm, std::string_view text) = 0;
  virtual void NewPage() = 0;
  // Ends the print job: the pages so far go to the printer.
  virtual void EndDoc() = 0;
  // Printable height of a page in millimetres, from its top edge.
  virtual double PageHeightMm() const = 0;
};

// Prints the given number of copies (at least one); each copy starts on a new page with the
// header and is its own print job. A log too long for one page goes on over the next pages,
// each of which repeats the header so that a loose sheet still says which scope it is from.
void PrintErrorLog(ErrorLogPrinter& printer, const std::string& header, const std::vector<std::string>& entries,
                   int copies);

}  // namespace veridane
