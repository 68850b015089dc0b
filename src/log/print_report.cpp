#include "log/print_report.h"

#include <algorithm>
#include <string>

#include "platform/numbers.h"

namespace veridane {

namespace {

constexpr float kLeft = 20;
constexpr float kTop = 20;
constexpr float kLineStep = 5;

int LineCount(std::string_view text) {
  auto n = static_cast<int>(1 + std::count(text.begin(), text.end(), '\n'));
  if (!text.empty() && text.back() == '\n') --n;
  return n;
}

// Keeps the technician's pointer honest whichever way printing ends.
class BusyPointer {
 public:
  explicit BusyPointer(Operator& op) : op_(op) { op_.SetBusy(true); }
  ~BusyPointer() { op_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  Operator& op_;
};

}  // namespace

bool PrintDocument(Printer& printer, std::string_view text) {
  printer.SetFont(PrinterFont{"Courier New", 10});
  int lines = LineCount(text);
  int pages = (lines + kLinesPerPage - 1) / kLinesPerPage;
  int page = 0;
  size_t pos = 0;
  for (int line = 1; line <= lines; ++line) {
    size_t lf = text.find('\n', pos);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    // Only a CR that belongs to the line end is dropped; a bare LF costs no character.
    if (end > pos && lf != std::string_view::npos && text[end - 1] == '\r') --end;
    std::string_view lineText = text.substr(pos, end - pos);

    float y = -kLineStep;
    if (line % kLinesPerPage == 1) {
      ++page;
      if (line > 1 && !printer.NewPage()) return false;
      if (!PrintText(printer, "Page" + PlainText(page) + " of" + PlainText(pages), kLeft + 70, kTop + 245, 0))
        return false;
      y = kTop;
    }
    if (!PrintText(printer, lineText, kLeft, y, 0)) return false;
    pos = lf == std::string_view::npos ? text.size() : lf + 1;
  }
  return printer.EndDoc();
}

bool PrintStart(Printer& printer, PrintDialog& dialog, Operator& op, std::string_view text) {
  std::optional<PrintChoice> choice = dialog.ChoosePrinter(printer);
  if (!choice) return false;
  bool printed = true;
  std::string failure;
  if (!printer.SetTarget(choice->target)) {
    printed = false;
    failure = printer.Error();
  } else {
    BusyPointer busy(op);
    for (int copy = 0; copy < std::max(1, choice->copies); ++copy) {
      if (!PrintDocument(printer, text)) {
        printed = false;
        failure = printer.Error();
        break;
      }
    }
    printer.EndDoc();
  }
  printer.SetTarget(PrintTarget{});
  // A print that silently did not happen would pass for a printed report.
  if (!printed)
    op.ShowMessBox("The report could not be printed:\n" + (failure.empty() ? std::string("printer error") : failure),
                   kOkOnly + kExclamation, "Print Error");
  return printed;
}

}  // namespace veridane
