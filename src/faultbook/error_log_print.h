#pragma once
// The error log on paper: the header line at the top, then one entry per 5 mm line, all at
// 8 mm from the left edge, in Arial Narrow 10.
//
// ErrorLogPrinter is all the printout needs from a printer; ErrorLogOnPrinter puts it on the
// program's Printer (a printer or a PDF file).
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

class Printer;

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

// The printout on the program's Printer. The Printer does not say how tall its paper is, so a
// page is taken as the shorter of A4 and Letter: no entry falls off either paper. The first
// failed output abandons the document and ends the printout.
class ErrorLogOnPrinter : public ErrorLogPrinter {
 public:
  static constexpr double kPageHeightMm = 279.4;

  explicit ErrorLogOnPrinter(Printer& printer) : printer_(printer) {}
  void SetFont(std::string_view name, double size) override;
  void PrintAt(double leftMm, double topMm, std::string_view text) override;
  void NewPage() override;
  void EndDoc() override;
  double PageHeightMm() const override { return kPageHeightMm; }

  bool Failed() const { return failed_; }

 private:
  Printer& printer_;
  bool failed_ = false;
};

// Prints the given number of copies (at least one); each copy starts on a new page with the
// header and is its own print job. A log too long for one page goes on over the next pages,
// each of which repeats the header so that a loose sheet still says which scope it is from.
void PrintErrorLog(ErrorLogPrinter& printer, const std::string& header, const std::vector<std::string>& entries,
                   int copies);

}  // namespace veridane
