#pragma once
// Standard input at a terminal with line editing and history recall, as an ordinary stream, so
// the console tools read a terminal, a pipe and a script file the same way. Built on BSD
// editline (libedit): its licence lets it link into any program, unlike GNU readline's.
#include <iosfwd>
#include <streambuf>
#include <string>
#include <vector>

namespace veridane {

class LineEditBuffer : public std::streambuf {
 public:
  // history: earlier lines, oldest first (UTF-8), recalled with the arrow keys. flushFirst is
  // flushed before each prompt, so that every answer stands above the next prompt.
  LineEditBuffer(std::string prompt, const std::vector<std::string>& history, std::ostream* flushFirst);
  ~LineEditBuffer() override;
  LineEditBuffer(const LineEditBuffer&) = delete;
  LineEditBuffer& operator=(const LineEditBuffer&) = delete;

 protected:
  int_type underflow() override;

 private:
  std::string prompt_;
  std::ostream* flushFirst_;
  std::string line_;
  bool ended_ = false;
};

// How many earlier lines the recall offers.
inline constexpr size_t kRecalledLines = 500;

}  // namespace veridane
