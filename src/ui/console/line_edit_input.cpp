#include "ui/console/line_edit_input.h"

#include <editline/readline.h>

#include <cstdlib>
#include <ostream>

namespace veridane {

LineEditBuffer::LineEditBuffer(std::string prompt, const std::vector<std::string>& history, std::ostream* flushFirst)
    : prompt_(std::move(prompt)), flushFirst_(flushFirst) {
  using_history();
  stifle_history(static_cast<int>(kRecalledLines));
  const size_t first = history.size() > kRecalledLines ? history.size() - kRecalledLines : 0;
  for (size_t i = first; i < history.size(); ++i) {
    if (!history[i].empty()) add_history(history[i].c_str());
  }
}

LineEditBuffer::~LineEditBuffer() { clear_history(); }

LineEditBuffer::int_type LineEditBuffer::underflow() {
  if (gptr() != nullptr && gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (ended_) return traits_type::eof();
  if (flushFirst_ != nullptr) flushFirst_->flush();
  char* raw = readline(prompt_.c_str());
  if (raw == nullptr) {
    // Ctrl-D: the input has ended. The prompt's line gets its end, so the shell's own prompt
    // starts on a fresh line.
    ended_ = true;
    if (flushFirst_ != nullptr) *flushFirst_ << "\n" << std::flush;
    return traits_type::eof();
  }
  line_ = raw;
  std::free(raw);
  if (!line_.empty()) add_history(line_.c_str());
  line_ += '\n';
  setg(line_.data(), line_.data(), line_.data() + line_.size());
  return traits_type::to_int_type(*gptr());
}

}  // namespace veridane
