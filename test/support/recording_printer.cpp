#include "test/support/recording_printer.h"

#include <algorithm>

namespace veridane::testing {

std::vector<std::string> PrintedDocument::PageTexts(size_t page) const {
  std::vector<std::string> texts;
  if (page < pages.size())
    for (const PrintedText& t : pages[page]) texts.push_back(t.text);
  return texts;
}

bool RecordingPrinter::SetTarget(const PrintTarget& target) {
  if (target.pdfFile.empty() && !target.printerName.empty() &&
      std::find(printers_.begin(), printers_.end(), target.printerName) == printers_.end()) {
    error_ = "There is no printer " + target.printerName + ".";
    return false;
  }
  target_ = target;
  return true;
}

bool RecordingPrinter::Begin() {
  if (!open_) open_ = PrintedDocument{DeviceName(), {{}}};
  return true;
}

bool RecordingPrinter::Print(std::string_view text) {
  ++prints_;
  if (failAtPrint_ > 0 && prints_ >= failAtPrint_) {
    open_.reset();
    error_ = "The printer is out of paper.";
    return false;
  }
  Begin();
  open_->pages.back().push_back({x_, y_, std::string(text), font_.name, font_.size, color_});
  x_ += static_cast<double>(text.size()) * font_.size * 0.6 * 25.4 / 72.0;
  return true;
}

bool RecordingPrinter::NewPage() {
  Begin();
  open_->pages.emplace_back();
  return true;
}

bool RecordingPrinter::EndDoc() {
  if (!open_) return true;
  documents_.push_back(std::move(*open_));
  open_.reset();
  return true;
}

std::string RecordingPrinter::DeviceName() const {
  if (!target_.pdfFile.empty()) return target_.pdfFile;
  return target_.printerName.empty() ? default_ : target_.printerName;
}

}  // namespace veridane::testing
