#include "log/print_report.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/numbers.h"

namespace veridane {

namespace {

constexpr float kLeft = 20;
constexpr float kTop = 20;
constexpr float kLineStep = 5;

constexpr float kHeaderTop = 12;
constexpr size_t kHeaderWidth = 80;
constexpr float kMarkTop = 8;
constexpr size_t kMarkWidth = 32;  // ends left of the page number

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size() || lines.empty()) {
    size_t lf = text.find('\n', pos);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    // Only a CR that belongs to the line end is dropped; a bare LF costs no character.
    if (end > pos && lf != std::string_view::npos && text[end - 1] == '\r') --end;
    lines.emplace_back(text.substr(pos, end - pos));
    if (lf == std::string_view::npos) break;
    pos = lf + 1;
  }
  return lines;
}

bool BeginsTable(const std::vector<std::string>& lines, size_t i, const PrintOptions& options) {
  for (const std::string& title : options.tableTitles)
    if (!title.empty() && lines[i].rfind(title + " - ", 0) == 0) return true;
  return false;
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

std::vector<std::vector<std::string>> PaginateReport(std::string_view text, const PrintOptions& options) {
  const std::vector<std::string> lines = SplitLines(text);
  // Where each table begins (with the empty line the display puts before its title) and ends.
  std::vector<size_t> starts;
  for (size_t i = 0; i < lines.size(); ++i)
    if (BeginsTable(lines, i, options)) starts.push_back(i > 0 && lines[i - 1].empty() ? i - 1 : i);

  std::vector<std::vector<std::string>> pages(1);
  size_t next = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (next < starts.size() && starts[next] == i) {
      const size_t end = next + 1 < starts.size() ? starts[next + 1] : lines.size();
      const size_t length = end - i;
      const size_t room = kLinesPerPage - pages.back().size();
      if (length > room && length <= static_cast<size_t>(kLinesPerPage) && !pages.back().empty()) pages.emplace_back();
      ++next;
    }
    if (pages.back().size() == static_cast<size_t>(kLinesPerPage)) pages.emplace_back();
    pages.back().push_back(lines[i]);
  }
  return pages;
}

bool PrintDocument(Printer& printer, std::string_view text, const PrintOptions& options) {
  printer.SetFont(PrinterFont{"Courier New", 10});
  const std::vector<std::vector<std::string>> pages = PaginateReport(text, options);
  const int count = static_cast<int>(pages.size());
  for (int page = 1; page <= count; ++page) {
    if (page > 1 && !printer.NewPage()) return false;
    if (!PrintText(printer, "Page" + PlainText(page) + " of" + PlainText(count), kLeft + 70, kTop + 245, 0))
      return false;
    if (!options.pageMark.empty() &&
        (!PrintText(printer, options.pageMark.substr(0, kMarkWidth), kLeft, kMarkTop, 0) ||
         !PrintText(printer, options.pageMark.substr(0, kMarkWidth), kLeft, kTop + 245, 0)))
      return false;
    if (!options.pageHeader.empty() &&
        !PrintText(printer, options.pageHeader.substr(0, kHeaderWidth), kLeft, kHeaderTop, 0))
      return false;
    float y = kTop;
    for (const std::string& line : pages[static_cast<size_t>(page - 1)]) {
      if (!PrintText(printer, line, kLeft, y, 0)) return false;
      y = -kLineStep;
    }
  }
  return printer.EndDoc();
}

bool PrintStart(Printer& printer, PrintDialog& dialog, Operator& op, std::string_view text,
                const PrintOptions& options) {
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
      if (!PrintDocument(printer, text, options)) {
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
