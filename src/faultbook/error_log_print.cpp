#include "faultbook/error_log_print.h"

#include <algorithm>

#include "platform/printer.h"

namespace veridane {

namespace {

constexpr double kLeftMm = 8;
constexpr double kHeaderTopMm = 15;
constexpr double kLinePitchMm = 5;
constexpr double kBottomMarginMm = 15;

}  // namespace

void ErrorLogOnPrinter::SetFont(std::string_view name, double size) {
  PrinterFont font;
  font.name = std::string(name);
  font.size = size;
  printer_.SetFont(font);
}

void ErrorLogOnPrinter::PrintAt(double leftMm, double topMm, std::string_view text) {
  if (failed_) return;
  printer_.SetCurrentX(leftMm);
  printer_.SetCurrentY(topMm);
  if (!printer_.Print(text)) failed_ = true;
}

void ErrorLogOnPrinter::NewPage() {
  if (!failed_ && !printer_.NewPage()) failed_ = true;
}

void ErrorLogOnPrinter::EndDoc() {
  if (!failed_ && !printer_.EndDoc()) failed_ = true;
}

void PrintErrorLog(ErrorLogPrinter& printer, const std::string& header, const std::vector<std::string>& entries,
                   int copies) {
  // A page must take at least one entry below the header, whatever the printer says.
  const double lastLineTop =
      std::max(printer.PageHeightMm() - kBottomMarginMm - kLinePitchMm, kHeaderTopMm + 2 * kLinePitchMm);
  for (int copy = 0; copy < std::max(copies, 1); ++copy) {
    printer.SetFont("Arial Narrow", 10);
    printer.PrintAt(kLeftMm, kHeaderTopMm, header);
    // The header's line is followed by a blank one: the first entry sits two lines down.
    double top = kHeaderTopMm + kLinePitchMm;
    for (const std::string& entry : entries) {
      top += kLinePitchMm;
      if (top > lastLineTop) {
        printer.NewPage();
        printer.PrintAt(kLeftMm, kHeaderTopMm, header);
        top = kHeaderTopMm + 2 * kLinePitchMm;
      }
      printer.PrintAt(kLeftMm, top, entry);
    }
    printer.EndDoc();
  }
}

}  // namespace veridane
