#pragma once
// The open log file as the result display sees it: every row shown while a log is open is
// written there too, compacted, so the log stays a transcript of the display.
#include <string_view>

namespace veridane {

class ResultLog {
 public:
  virtual ~ResultLog() = default;
  virtual bool LogOpen() const = 0;
  // One compacted row without line end; the log adds its own CR LF.
  virtual void WriteLogLine(std::string_view compactedLine) = 0;
};

}  // namespace veridane
