#include "ui/console/headless_view.h"

#include <ostream>

#include "platform/text8.h"
#include "ui/console/console_looks.h"

namespace veridane {

void HeadlessView::SetDisplayText(std::string_view text) {
  // A display that is not the old one continued (cleared, or replaced by a log re-opened for
  // appending) starts the count again.
  if (text.substr(0, display_.size()) != display_ || display_.empty()) printedRows_ = 0;
  display_ = text;
  PrintNewRows();
}

void HeadlessView::AppendDisplayText(std::string_view text) {
  display_ += text;
  PrintNewRows();
}

void HeadlessView::PrintNewRows() {
  if (display_.empty()) return;
  size_t row = 0;
  size_t start = 0;
  for (;;) {
    const size_t end = display_.find("\r\n", start);
    if (row >= printedRows_) {
      const std::string_view line = std::string_view(display_).substr(start, end == std::string::npos ? std::string::npos : end - start);
      out_ << (colourRows_ ? ColouredRow(Utf8FromText8(line)) : Utf8FromText8(line)) << '\n';
    }
    ++row;
    if (end == std::string::npos) break;
    start = end + 2;
  }
  if (row > printedRows_) ++changes_;
  printedRows_ = row;
  out_.flush();
}

void HeadlessView::SetLabel1(std::string_view text) { messages_ << "(scope) " << Utf8FromText8(text) << std::endl; }

void HeadlessView::ShowAbout() { out_ << Utf8FromText8(caption_) << std::endl; }

}  // namespace veridane
